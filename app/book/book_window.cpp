// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/book/book_window.h"

#include "app/book/book_chart.h"
#include "app/book/book_session.h"
#include "app/book/book_texts.h"
#include "app/book/player_dialog.h"
#include "app/book/record_dialog.h"
#include "app/book/records_model.h"
#include "app/book_module.h"
#include "book/dates.h"
#include "book/settled_sheet.h"
#include "cli/book/output.h"
#include "platform/desktop.h"
#include "platform/whole_file.h"
#include "sheetfile/sheet_file.h"

#include <QBuffer>
#include <QCollator>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace zelvara::app {

namespace {

// How often an open window looks whether another program changed the book: a question of a few
// microseconds to SQLite (its data version).
constexpr int WatchMs = 1000;

QPushButton *button(const QString &name, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLabel *label(const QString &name, const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setBuddy(buddy);
    return l;
}

// A calendar day as the book's filter takes it: "2026-12-08".
std::string isoDay(const QDate &date)
{
    return date.toString(Qt::ISODate).toStdString();
}

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// A row of the standings table; every cell read-only.
void setRow(QTableWidget *table, int row, const QStringList &cells)
{
    for (int column = 0; column < cells.size(); ++column) {
        auto *item = new QTableWidgetItem(cells[column]);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        if (column > 0)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table->setItem(row, column, item);
    }
}

} // namespace

BookWindow::BookWindow(BookSession &session, BookHost &host, QWidget *parent)
    : QWidget(parent, Qt::Window), m_session(session), m_host(host),
      m_records(new RecordsModel(session, host.desktop().decimalSeparator(), this)), m_period(new QComboBox(this)),
      m_from(new QDateEdit(QDate(QDate::currentDate().year(), 1, 1), this)),
      m_to(new QDateEdit(QDate::currentDate(), this)), m_player(new QComboBox(this)), m_tabs(new QTabWidget(this)),
      m_status(new QLabel(this)), m_watch(new QTimer(this))
{
    setObjectName(u"BookWindow"_s);
    setWindowTitle(u"Журнал"_s);
    // Closing the main window ends the program even while the book is open.
    setAttribute(Qt::WA_QuitOnClose, false);

    m_period->setObjectName(u"Period"_s);
    m_period->addItems({u"Всё время"_s, u"Этот месяц"_s, u"Этот год"_s, u"Выбранные даты"_s});
    m_from->setObjectName(u"From"_s);
    m_to->setObjectName(u"To"_s);
    for (QDateEdit *edit : {m_from, m_to}) {
        edit->setDisplayFormat(u"dd.MM.yyyy"_s);
        edit->setCalendarPopup(true);
    }
    m_player->setObjectName(u"Player"_s);
    m_player->setMinimumContentsLength(14);
    m_player->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    auto *filters = new QHBoxLayout;
    filters->addWidget(label(u"PeriodLabel"_s, u"Пе&риод:"_s, m_period, this));
    filters->addWidget(m_period);
    filters->addWidget(label(u"FromLabel"_s, u"с"_s, m_from, this));
    filters->addWidget(m_from);
    filters->addWidget(label(u"ToLabel"_s, u"по"_s, m_to, this));
    filters->addWidget(m_to);
    filters->addSpacing(12);
    filters->addWidget(label(u"PlayerLabel"_s, u"&Игрок:"_s, m_player, this));
    filters->addWidget(m_player, 1);

    m_tabs->setObjectName(u"Tabs"_s);
    m_tabs->addTab(recordsTab(), u"&Пули"_s);
    m_tabs->addTab(standingsTab(), u"Ит&оги"_s);
    m_tabs->addTab(chartTab(), u"&График"_s);

    m_status->setObjectName(u"Status"_s);
    m_status->setTextFormat(Qt::PlainText);
    QPushButton *close = button(u"Close"_s, u"&Закрыть"_s, this);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(bottom);
    resize(820, 560);

    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    connect(m_period, &QComboBox::currentIndexChanged, this, &BookWindow::filterChanged);
    connect(m_from, &QDateEdit::dateChanged, this, &BookWindow::filterChanged);
    connect(m_to, &QDateEdit::dateChanged, this, &BookWindow::filterChanged);
    connect(m_player, &QComboBox::currentIndexChanged, this, &BookWindow::filterChanged);
    connect(m_tabs, &QTabWidget::currentChanged, this, &BookWindow::tabChanged);
    connect(&session, &BookSession::changed, this, &BookWindow::refresh);
    // A failure met while the view scrolls is told once the model is through with its rows.
    connect(m_records, &RecordsModel::failed, this, &BookWindow::tell, Qt::QueuedConnection);
    m_watch->setInterval(WatchMs);
    connect(m_watch, &QTimer::timeout, &session, &BookSession::look);
    // Nothing is read before the window is shown.
    const QScopedValueRollback quiet(m_refreshing, true);
    setPeriod(Period::Everything);
}

BookWindow::~BookWindow() = default;

QWidget *BookWindow::recordsTab()
{
    auto *tab = new QWidget;
    tab->setObjectName(u"RecordsTab"_s);
    m_recordsView = new QTableView(tab);
    m_recordsView->setObjectName(u"Records"_s);
    m_recordsView->setAccessibleName(u"Записи журнала"_s);
    m_recordsView->setModel(m_records);
    m_recordsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_recordsView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_recordsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_recordsView->setWordWrap(false);
    m_recordsView->verticalHeader()->hide();
    // Every row is one line high: the view need not measure rows it has not shown.
    m_recordsView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_recordsView->horizontalHeader()->setSectionResizeMode(RecordsModel::ResultsColumn, QHeaderView::Stretch);
    m_recordsView->setColumnWidth(RecordsModel::DateColumn, 120);
    m_recordsView->setColumnWidth(RecordsModel::NoteColumn, 180);

    m_openRecord = button(u"OpenRecord"_s, u"О&ткрыть пулю"_s, tab);
    m_editRecord = button(u"EditRecord"_s, u"Из&менить…"_s, tab);
    m_deleteRecord = button(u"DeleteRecord"_s, u"&Удалить"_s, tab);
    m_undoDelete = button(u"UndoDelete"_s, u"&Вернуть удалённую"_s, tab);
    m_import = button(u"ImportSheets"_s, u"Импорт пу&ль…"_s, tab);
    QPushButton *exportRecords = button(u"ExportRecords"_s, u"&Экспорт CSV…"_s, tab);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_openRecord, m_editRecord, m_deleteRecord, m_undoDelete})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(m_import);
    buttons->addWidget(exportRecords);
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(m_recordsView, 1);
    layout->addLayout(buttons);

    connect(m_openRecord, &QPushButton::clicked, this, &BookWindow::OpenRecordClick);
    connect(m_editRecord, &QPushButton::clicked, this, &BookWindow::EditRecordClick);
    connect(m_deleteRecord, &QPushButton::clicked, this, &BookWindow::DeleteRecordClick);
    connect(m_undoDelete, &QPushButton::clicked, this, &BookWindow::UndoDeleteClick);
    connect(m_import, &QPushButton::clicked, this, &BookWindow::ImportSheetsClick);
    connect(exportRecords, &QPushButton::clicked, this, &BookWindow::ExportRecordsClick);
    connect(m_recordsView, &QTableView::doubleClicked, this, &BookWindow::OpenRecordClick);
    connect(m_recordsView->selectionModel(), &QItemSelectionModel::selectionChanged, this, &BookWindow::enableButtons);
    connect(m_records, &QAbstractItemModel::modelReset, this, &BookWindow::enableButtons);
    auto *undo = new QShortcut(QKeySequence::Undo, tab);
    connect(undo, &QShortcut::activated, this, &BookWindow::UndoDeleteClick);
    auto *remove = new QShortcut(QKeySequence::Delete, m_recordsView, nullptr, nullptr, Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, &BookWindow::DeleteRecordClick);
    return tab;
}

QWidget *BookWindow::standingsTab()
{
    auto *tab = new QWidget;
    tab->setObjectName(u"StandingsTab"_s);
    m_standings = new QTableWidget(0, 6, tab);
    m_standings->setObjectName(u"Standings"_s);
    m_standings->setAccessibleName(u"Итоги за период"_s);
    m_standings->setHorizontalHeaderLabels(
        {u"Игрок"_s, u"Пуль"_s, u"Итог"_s, u"В среднем"_s, u"Лучшая"_s, u"Худшая"_s});
    m_standings->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_standings->setSelectionMode(QAbstractItemView::SingleSelection);
    m_standings->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_standings->verticalHeader()->hide();
    m_standings->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

    m_rename = button(u"RenamePlayer"_s, u"П&ереименовать…"_s, tab);
    m_merge = button(u"MergePlayers"_s, u"О&бъединить…"_s, tab);
    QPushButton *exportStandings = button(u"ExportStandings"_s, u"&Экспорт CSV…"_s, tab);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_rename);
    buttons->addWidget(m_merge);
    buttons->addStretch(1);
    buttons->addWidget(exportStandings);

    m_payments = new QListWidget(tab);
    m_payments->setObjectName(u"SeasonPayments"_s);
    m_payments->setAccessibleName(u"Кто кому платит за период"_s);
    m_payments->setMaximumHeight(140);
    m_paymentsNote = new QLabel(tab);
    m_paymentsNote->setObjectName(u"SeasonPaymentsNote"_s);
    m_paymentsNote->setTextFormat(Qt::PlainText);
    m_paymentsNote->setWordWrap(true);
    m_paymentsNote->hide();

    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(m_standings, 1);
    layout->addLayout(buttons);
    layout->addWidget(label(u"SeasonPaymentsLabel"_s, u"Кто кому платит за период"_s, m_payments, tab));
    layout->addWidget(m_payments);
    layout->addWidget(m_paymentsNote);

    connect(m_rename, &QPushButton::clicked, this, &BookWindow::RenamePlayerClick);
    connect(m_merge, &QPushButton::clicked, this, &BookWindow::MergePlayersClick);
    connect(exportStandings, &QPushButton::clicked, this, &BookWindow::ExportStandingsClick);
    connect(m_standings, &QTableWidget::itemSelectionChanged, this, &BookWindow::enableButtons);
    return tab;
}

QWidget *BookWindow::chartTab()
{
    auto *tab = new QWidget;
    tab->setObjectName(u"ChartTab"_s);
    // Made here, so that it follows the tabs in the order of the keyboard's focus.
    m_chart = new BookChart(separator(), tab);
    QPushButton *save = button(u"SaveChart"_s, u"&Сохранить как PNG…"_s, tab);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save);
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(m_chart, 1);
    layout->addLayout(buttons);
    connect(save, &QPushButton::clicked, this, &BookWindow::SaveChartClick);
    return tab;
}

char BookWindow::separator() const
{
    return m_host.desktop().decimalSeparator();
}

bool BookWindow::showBook()
{
    QString problem;
    if (!m_session.reader(&problem)) {
        m_host.desktop().beep();
        m_host.desktop().showError(m_host.mainWindow(), problem);
        return false;
    }
    refresh();
    show();
    raise();
    activateWindow();
    return true;
}

book::Filter BookWindow::filter() const
{
    book::Filter filter;
    const QDate today = QDate::currentDate();
    switch (static_cast<Period>(m_period->currentIndex())) {
    case Period::Everything:
        break;
    case Period::ThisMonth:
        filter.from = isoDay(QDate(today.year(), today.month(), 1));
        filter.to = isoDay(QDate(today.year(), today.month(), 1).addMonths(1).addDays(-1));
        break;
    case Period::ThisYear:
        filter.from = isoDay(QDate(today.year(), 1, 1));
        filter.to = isoDay(QDate(today.year(), 12, 31));
        break;
    case Period::Dates:
        filter.from = isoDay(m_from->date());
        filter.to = isoDay(m_to->date());
        break;
    }
    if (m_player->currentIndex() > 0)
        filter.player = m_player->currentText().toStdString();
    return filter;
}

void BookWindow::setPeriod(Period period)
{
    m_period->setCurrentIndex(static_cast<int>(period));
    filterChanged();
}

void BookWindow::filterChanged()
{
    const bool dates = static_cast<Period>(m_period->currentIndex()) == Period::Dates;
    m_from->setEnabled(dates);
    m_to->setEnabled(dates);
    if (m_refreshing)
        return;
    m_records->setFilter(filter());
    refreshStandings();
    m_chartStale = true;
    tabChanged();
}

void BookWindow::refresh()
{
    {
        const QScopedValueRollback quiet(m_refreshing, true);
        refreshPlayers();
    }
    // The list stays where the player was, on the record chosen.
    const book::Record *selected = selectedRecord();
    const std::int64_t chosen = selected ? selected->id : 0;
    const int scrolled = m_recordsView->verticalScrollBar()->value();
    m_records->reload(filter());
    if (const int row = m_records->rowOf(chosen); row >= 0)
        m_recordsView->selectRow(row);
    m_recordsView->verticalScrollBar()->setValue(scrolled);
    refreshStandings();
    m_chartStale = true;
    tabChanged();
    book::Book *book = m_session.reader(nullptr);
    QString status = u"Журнал: "_s + QDir::toNativeSeparators(m_session.path());
    if (book) {
        try {
            status += u"; записей: "_s + QString::number(book->recordCount());
        } catch (const book::BookError &) {
            m_session.close();
        }
        if (!m_session.writable())
            status += u"; только для чтения"_s;
    }
    m_status->setText(status);
    enableButtons();
}

void BookWindow::refreshPlayers()
{
    const QString current = m_player->currentIndex() > 0 ? m_player->currentText() : QString();
    QStringList names;
    if (book::Book *book = m_session.reader(nullptr)) {
        try {
            for (const std::string &name : book->players())
                names << QString::fromStdString(name);
        } catch (const book::BookError &) {
            m_session.close();
        }
    }
    QCollator collator{QLocale(QLocale::Russian)};
    std::sort(names.begin(), names.end(), collator);
    m_player->clear();
    m_player->addItem(u"Все игроки"_s);
    m_player->addItems(names);
    m_player->setCurrentIndex(std::max<int>(0, static_cast<int>(names.indexOf(current)) + 1));
}

void BookWindow::refreshStandings()
{
    m_standings->setRowCount(0);
    m_payments->clear();
    m_paymentsNote->clear();
    m_paymentsNote->hide();
    book::Book *book = m_session.reader(nullptr);
    if (!book)
        return;
    std::vector<book::Standing> standings;
    book::SeasonPayments payments;
    try {
        const book::Filter chosen = filter();
        standings = book->standings(chosen);
        payments = book->payments(chosen);
    } catch (const book::BookError &error) {
        fail(error);
        return;
    }
    const char sep = separator();
    m_standings->setRowCount(static_cast<int>(standings.size()));
    for (std::size_t i = 0; i < standings.size(); ++i) {
        const book::Standing &s = standings[i];
        setRow(m_standings, static_cast<int>(i),
               {QString::fromStdString(s.name), QString::number(s.games), signedAmount(s.hundredths, sep),
                signedAmount(s.average, sep), signedAmount(s.best, sep), signedAmount(s.worst, sep)});
    }
    for (const book::SeasonTransfer &t : payments.transfers) {
        m_payments->addItem(QString::fromStdString(t.from) + u" → "_s + QString::fromStdString(t.to) + u": "_s +
                            moneyAmount(t.hundredths, sep));
    }
    if (payments.transfers.empty() && payments.note.empty())
        m_payments->addItem(u"Никто никому не должен."_s);
    if (!payments.note.empty()) {
        m_paymentsNote->setText(u"Примечание: "_s + QString::fromStdString(payments.note) + u'.');
        m_paymentsNote->show();
    }
}

void BookWindow::refreshChart()
{
    m_chartStale = false;
    std::vector<book::Timeline> lines;
    if (book::Book *book = m_session.reader(nullptr)) {
        try {
            lines = book->timeline(filter(), BookChart::MaxPoints);
        } catch (const book::BookError &error) {
            fail(error);
        }
    }
    m_chart->setLines(lines);
}

void BookWindow::tabChanged()
{
    // The chart is drawn when it is looked at: a change of period need not wait for it.
    if (m_chartStale && m_tabs->currentIndex() == 2 && isVisible())
        refreshChart();
    enableButtons();
}

void BookWindow::enableButtons()
{
    const bool writable = m_session.writable();
    const bool record = selectedRecord() != nullptr;
    m_openRecord->setEnabled(record);
    m_editRecord->setEnabled(record && writable);
    m_deleteRecord->setEnabled(record && writable);
    m_undoDelete->setEnabled(!m_removed.empty() && writable);
    m_import->setEnabled(writable);
    const bool player = !selectedPlayer().isEmpty();
    m_rename->setEnabled(player && writable);
    m_merge->setEnabled(player && writable && m_standings->rowCount() > 1);
}

const book::Record *BookWindow::selectedRecord() const
{
    const QModelIndexList rows = m_recordsView->selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : m_records->recordAt(rows.first().row());
}

QString BookWindow::selectedPlayer() const
{
    const QList<QTableWidgetItem *> items = m_standings->selectedItems();
    if (items.isEmpty())
        return {};
    const QTableWidgetItem *name = m_standings->item(items.first()->row(), 0);
    return name ? name->text() : QString();
}

book::Book *BookWindow::writer()
{
    QString problem;
    book::Book *book = m_session.writer(&problem);
    if (!book)
        tell(problem);
    return book;
}

void BookWindow::fail(const book::BookError &error)
{
    m_session.close();
    tell(bookProblem(error, m_session.path()));
}

void BookWindow::tell(const QString &message)
{
    m_host.desktop().beep();
    m_host.desktop().showMessage(this, message);
}

void BookWindow::OpenRecordClick()
{
    const book::Record *record = selectedRecord();
    if (!record)
        return;
    std::optional<std::string> text;
    try {
        if (book::Book *book = m_session.reader(nullptr))
            text = book->sheetText(record->id);
    } catch (const book::BookError &error) {
        fail(error);
        return;
    }
    const QString source = u"пулей из журнала от "_s + shownDate(record->date);
    if (!text) {
        tell(u"Этой записи уже нет в журнале."_s);
        return;
    }
    auto read = sheetfile::readSheet(*text);
    if (const auto *error = std::get_if<sheetfile::ReadError>(&read)) {
        tell(QString::fromStdString(
            sheetfile::russianMessage(*error, QString(u"запись от "_s + shownDate(record->date)).toStdString())));
        return;
    }
    auto document = std::get<sheetfile::SheetDocument>(std::move(read));
    // The sheet is dated by its record, so that recording it again unchanged is seen as the same game.
    document.saved = record->date;
    document.note = record->note;
    m_host.openSheet(document, source);
    if (QWidget *main = m_host.mainWindow()) {
        main->raise();
        main->activateWindow();
    }
}

void BookWindow::EditRecordClick()
{
    const book::Record *record = selectedRecord();
    if (!record)
        return;
    auto *dialog = new RecordDialog(RecordDialog::Purpose::Change, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setValues(momentOf(record->date), QString::fromStdString(record->note));
    const std::int64_t id = record->id;
    const std::string oldNote = record->note;
    connect(dialog, &QDialog::accepted, this, [this, dialog, id, oldNote] {
        book::Book *book = writer();
        if (!book)
            return;
        try {
            if (dialog->dateChanged()) {
                const auto date = gameDateOf(dialog->date());
                if (!date) {
                    tell(u"Такую дату журнал не хранит."_s);
                    return;
                }
                book->setDate(id, *date);
            }
            if (dialog->note().toStdString() != oldNote)
                book->setNote(id, dialog->note().toStdString());
        } catch (const book::BookError &error) {
            fail(error);
            return;
        }
        m_session.changedHere();
        if (const int row = m_records->rowOf(id); row >= 0)
            m_recordsView->selectRow(row);
    });
    dialog->open();
}

void BookWindow::DeleteRecordClick()
{
    const book::Record *record = selectedRecord();
    if (!record || !m_deleteRecord->isEnabled())
        return;
    const std::int64_t id = record->id;
    if (!m_host.desktop().ask(this, u"Удалить из журнала пулю от "_s + shownDate(record->date) + u" ("_s +
                                        playersLine(*record) +
                                        u")? Удаление можно отменить, пока окно журнала открыто."_s))
        return;
    book::Book *book = writer();
    if (!book)
        return;
    const int row = m_recordsView->selectionModel()->selectedRows().value(0).row();
    try {
        m_removed.push_back(book->remove(id));
    } catch (const book::BookError &error) {
        fail(error);
        return;
    }
    m_session.changedHere();
    // The next record down takes the place of the deleted one.
    if (m_records->rowCount() > 0)
        m_recordsView->selectRow(std::min(row, m_records->rowCount() - 1));
    enableButtons();
}

void BookWindow::UndoDeleteClick()
{
    if (m_removed.empty() || !m_undoDelete->isEnabled())
        return;
    book::Book *book = writer();
    if (!book)
        return;
    std::int64_t id = 0;
    try {
        id = book->restore(m_removed.back());
        m_removed.pop_back();
    } catch (const book::BookError &error) {
        // Kept: the player may try again once the book is back.
        fail(error);
        return;
    }
    m_session.changedHere();
    if (const int row = m_records->rowOf(id); row >= 0)
        m_recordsView->selectRow(row);
    enableButtons();
}

void BookWindow::ImportSheetsClick()
{
    const QStringList paths = m_host.desktop().openFileNames(
        this, u"Импорт пуль"_s, documentsFolder(), u"Пуля Zelvara (*.zelvara);;JSON (*.json);;Все файлы (*)"_s);
    if (!paths.isEmpty())
        importFiles(paths);
}

void BookWindow::importFiles(const QStringList &paths)
{
    book::Book *book = writer();
    if (!book)
        return;
    std::vector<book::Book::Entry> entries;
    QStringList refused;
    const char userSeparator = separator();
    for (const QString &path : paths) {
        const QString name = QFileInfo(path).fileName();
        const auto refuse = [&](const QString &why) { refused << u"«"_s + name + u"»: "_s + why; };
        const auto bytes = platform::readFileBytes(path, sheetfile::MaxFileSize);
        if (!bytes) {
            refuse(u"файл не читается или слишком велик для пули"_s);
            continue;
        }
        auto read = sheetfile::readSheet(*bytes);
        if (const auto *error = std::get_if<sheetfile::ReadError>(&read)) {
            refuse(u"это не пуля Zelvara ("_s +
                   QString::fromStdString(sheetfile::russianMessage(*error, name.toStdString())) + u')');
            continue;
        }
        auto &document = std::get<sheetfile::SheetDocument>(read);
        // A file that names no separator was typed under this locale.
        if (!document.decimalSeparator)
            document.decimalSeparator = userSeparator;
        const auto settled = book::settleForBook(document);
        if (const auto *why = std::get_if<book::NotRecordable>(&settled)) {
            refuse(notRecordableReason(*why));
            continue;
        }
        // The game was played when its sheet was saved; a file that does not say is dated by the file.
        std::optional<book::GameDate> date;
        if (document.saved)
            date = book::readGameDate(*document.saved);
        if (!date)
            date = gameDateOf(QFileInfo(path).lastModified());
        if (!date) {
            refuse(u"у файла нет даты, которую хранит журнал"_s);
            continue;
        }
        const auto &sheet = std::get<book::SettledSheet>(settled);
        try {
            if (!book->recorded(sheet, *date).empty()) {
                refuse(u"эта пуля с той же датой уже есть в журнале"_s);
                continue;
            }
            if (std::ranges::any_of(entries, [&](const book::Book::Entry &earlier) {
                    return book::sameGame(earlier.sheet, earlier.date, sheet, *date);
                })) {
                refuse(u"эта пуля с той же датой уже есть среди выбранных файлов"_s);
                continue;
            }
        } catch (const book::BookError &error) {
            fail(error);
            return;
        }
        entries.push_back({sheet, *date, sheet.note});
    }
    std::size_t added = 0;
    if (!entries.empty()) {
        try {
            added = book->addAll(entries).size();
        } catch (const book::BookError &error) {
            if (error.kind() != book::BookError::Kind::NotRecordable) {
                fail(error);
                return;
            }
            refused.prepend(u"Ничего не записано: в одной из пуль двое игроков — один игрок журнала."_s);
        }
        m_session.changedHere();
    }
    QString report = u"Записано пуль: "_s + QString::number(added) + u'.';
    if (!refused.isEmpty())
        report += u"\n\nНе записаны:\n"_s + refused.join(u'\n');
    if (!refused.isEmpty())
        m_host.desktop().beep();
    m_host.desktop().showMessage(this, report);
}

bool BookWindow::exportText(const QString &caption, const QString &name, const std::string &text)
{
    const QString path = m_host.desktop().saveFileName(this, caption, QDir(documentsFolder()).filePath(name),
                                                       u"CSV (*.csv)"_s, u"csv"_s);
    if (path.isEmpty())
        return false;
    if (!platform::writeFileAtomically(path, text)) {
        m_host.desktop().beep();
        m_host.desktop().showError(this, u"Не удалось записать файл «"_s + QDir::toNativeSeparators(path) +
                                             u"». Прежний файл с этим именем, если он был, не изменён."_s);
        return false;
    }
    return true;
}

void BookWindow::ExportRecordsClick()
{
    book::Book *book = m_session.reader(nullptr);
    if (!book)
        return;
    const char sep = separator();
    std::string text = cli::book::recordsCsvHeader();
    try {
        std::optional<book::RecordCursor> after;
        const book::Filter chosen = filter();
        for (;;) {
            const auto page = book->records(chosen, 1000, after);
            for (const book::Record &record : page)
                text += cli::book::recordCsv(record, sep);
            if (page.size() < 1000)
                break;
            after = book::RecordCursor{page.back().utc, page.back().id};
        }
    } catch (const book::BookError &error) {
        fail(error);
        return;
    }
    exportText(u"Экспорт пуль в CSV"_s, u"Журнал — пули.csv"_s, text);
}

void BookWindow::ExportStandingsClick()
{
    book::Book *book = m_session.reader(nullptr);
    if (!book)
        return;
    std::string text;
    try {
        text = cli::book::standingsCsv(book->standings(filter()), separator());
    } catch (const book::BookError &error) {
        fail(error);
        return;
    }
    exportText(u"Экспорт итогов в CSV"_s, u"Журнал — итоги.csv"_s, text);
}

void BookWindow::RenamePlayerClick()
{
    const QString name = selectedPlayer();
    if (name.isEmpty() || !m_rename->isEnabled())
        return;
    auto *dialog = PlayerDialog::forRename(name, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog, name] {
        book::Book *book = writer();
        if (book == nullptr || dialog->value().trimmed() == name)
            return;
        try {
            book->rename(name.toStdString(), dialog->value().toStdString());
        } catch (const book::BookError &error) {
            if (error.kind() != book::BookError::Kind::NotRecordable) {
                fail(error);
                return;
            }
            tell(dialog->value().trimmed().isEmpty()
                     ? u"Имя игрока не может быть пустым."_s
                     : u"Имя «"_s + dialog->value().trimmed() +
                           u"» уже носит другой игрок журнала. Если это один человек, объедините их."_s);
            return;
        }
        m_session.changedHere();
    });
    dialog->open();
}

void BookWindow::MergePlayersClick()
{
    const QString name = selectedPlayer();
    if (name.isEmpty() || !m_merge->isEnabled())
        return;
    QStringList others;
    for (int i = 1; i < m_player->count(); ++i) {
        if (m_player->itemText(i) != name)
            others << m_player->itemText(i);
    }
    auto *dialog = PlayerDialog::forMerge(name, others, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog, name] {
        const QString other = dialog->value();
        book::Book *book = writer();
        if (!book || other.isEmpty())
            return;
        try {
            book->merge(name.toStdString(), other.toStdString());
        } catch (const book::BookError &error) {
            if (error.kind() != book::BookError::Kind::NotRecordable) {
                fail(error);
                return;
            }
            tell(u"«"_s + name + u"» и «"_s + other + u"» играли в одной пуле: это разные игроки."_s);
            return;
        }
        m_session.changedHere();
    });
    dialog->open();
}

void BookWindow::SaveChartClick()
{
    if (m_chartStale)
        refreshChart();
    const QString proposed = QDir(documentsFolder()).filePath(u"Журнал — график.png"_s);
    const QString path =
        m_host.desktop().saveFileName(this, u"Сохранить график"_s, proposed, u"Рисунок PNG (*.png)"_s, u"png"_s);
    if (path.isEmpty())
        return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const bool drawn = m_chart->picture().save(&buffer, "PNG");
    if (!drawn || !platform::writeFileAtomically(
                      path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        m_host.desktop().beep();
        m_host.desktop().showError(this, u"Не удалось записать файл «"_s + QDir::toNativeSeparators(path) +
                                             u"». Прежний файл с этим именем, если он был, не изменён."_s);
    }
}

void BookWindow::changeEvent(QEvent *event)
{
    // Coming back to the window is when another program's changes matter most.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_session.look();
    QWidget::changeEvent(event);
}

void BookWindow::showEvent(QShowEvent *event)
{
    m_watch->start();
    QWidget::showEvent(event);
    tabChanged();
}

void BookWindow::hideEvent(QHideEvent *event)
{
    // Minimised, the window is still open: only a window that is closed forgets what it deleted.
    if (!event->spontaneous()) {
        m_watch->stop();
        m_removed.clear();
        enableButtons();
    }
    QWidget::hideEvent(event);
}

} // namespace zelvara::app
