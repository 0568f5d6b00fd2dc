// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/book/book_service.h"

#include "app/book/book_session.h"
#include "app/book/book_texts.h"
#include "app/book/book_window.h"
#include "app/book/record_dialog.h"
#include "book/location.h"
#include "book/settled_sheet.h"
#include "correction/play.h"
#include "platform/desktop.h"
#include "sheetfile/sheet_file.h"

#include <QFile>

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace zelvara::app {

namespace {

QString defaultPath()
{
    // NOLINTNEXTLINE(concurrency-mt-unsafe): read on the main thread, as the settings' place is
    return QFile::decodeName(
        QByteArray::fromStdString(book::defaultBookPath(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"))));
}

} // namespace

BookService::BookService(const QString &path, QObject *parent)
    : QObject(parent), m_session(std::make_unique<BookSession>(path.isEmpty() ? defaultPath() : path))
{}

// The window and the dialog go first: they use the session.
BookService::~BookService()
{
    delete m_recordDialog;
    m_window.reset();
}

RecordDialog *BookService::recordDialog() const
{
    return m_recordDialog;
}

void BookService::start(BookHost &host)
{
    m_host = &host;
}

void BookService::refuse(const QString &message)
{
    m_host->desktop().beep();
    m_host->desktop().showMessage(m_host->mainWindow(), message);
}

void BookService::recordShownSheet()
{
    const correction::SettledSheet *shown = m_host ? m_host->shownSettlement() : nullptr;
    if (!shown || m_recordDialog)
        return;
    // The shown settlement as a sheet file holds it: what the book keeps of a sheet comes from there.
    sheetfile::SheetDocument document;
    document.sheet = shown->record.sheet;
    document.options = shown->record.options;
    document.decimalSeparator = shown->record.decimalSeparator;
    document.answer = shown->record.answer;
    if (!shown->note.empty())
        document.note = shown->note;
    const auto settled = book::settleForBook(document);
    if (const auto *refused = std::get_if<book::NotRecordable>(&settled)) {
        refuse(u"Пулю нельзя записать в журнал: "_s + notRecordableReason(*refused) + u'.');
        return;
    }
    auto *dialog = new RecordDialog(RecordDialog::Purpose::Record, m_host->mainWindow());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setValues(momentOf(shown->date), QString::fromStdString(shown->note));
    m_recordDialog = dialog;
    connect(dialog, &QDialog::accepted, this,
            [this, dialog, sheet = std::get<book::SettledSheet>(settled)] { record(sheet, *dialog); });
    dialog->open();
}

void BookService::record(const book::SettledSheet &sheet, const RecordDialog &dialog)
{
    const auto date = gameDateOf(dialog.date());
    if (!date) {
        refuse(u"Такую дату журнал не хранит: выберите дату от 1 до 9999 года."_s);
        return;
    }
    QString problem;
    book::Book *book = m_session->writer(&problem);
    if (!book) {
        refuse(problem);
        return;
    }
    try {
        if (book->readOnly()) {
            refuse(u"Пулю нельзя записать: журнал «"_s + m_session->path() +
                   u"» доступен только для чтения. Его можно просматривать."_s);
            return;
        }
        if (!book->recorded(sheet, *date).empty() &&
            !m_host->desktop().ask(m_host->mainWindow(), u"Эта пуля с датой "_s + shownDate(date->text) +
                                                             u" уже записана в журнал. Записать её ещё раз?"_s))
            return;
        book->add(sheet, *date, dialog.note().toStdString());
    } catch (const book::BookError &error) {
        m_session->close();
        if (error.kind() == book::BookError::Kind::NotRecordable)
            refuse(u"Пулю нельзя записать: двое её игроков в журнале — один игрок (их имена объединены)."_s);
        else
            refuse(bookProblem(error, m_session->path()));
        return;
    }
    m_session->changedHere();
}

void BookService::showBook()
{
    if (!m_host)
        return;
    if (!m_window)
        m_window = std::make_unique<BookWindow>(*m_session, *m_host);
    m_window->showBook();
}

} // namespace zelvara::app
