// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/book/record_dialog.h"

#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace zelvara::app {

namespace {

// A note is a line or two; one that came longer with a sheet file is kept whole.
constexpr int NoteTypingLimit = 1000;

} // namespace

RecordDialog::RecordDialog(Purpose purpose, QWidget *parent)
    : QDialog(parent), m_date(new QDateTimeEdit(this)), m_note(new QLineEdit(this))
{
    const bool record = purpose == Purpose::Record;
    setObjectName(record ? u"RecordInBookDialog"_s : u"ChangeRecordDialog"_s);
    setWindowTitle(record ? u"Записать в журнал"_s : u"Изменить запись"_s);

    m_date->setObjectName(u"GameDate"_s);
    m_date->setDisplayFormat(u"dd.MM.yyyy HH:mm"_s);
    m_date->setCalendarPopup(true);
    m_note->setObjectName(u"Note"_s);
    m_note->setMinimumWidth(320);
    auto *dateLabel = new QLabel(u"&Дата игры:"_s, this);
    dateLabel->setObjectName(u"GameDateLabel"_s);
    dateLabel->setBuddy(m_date);
    auto *noteLabel = new QLabel(u"&Примечание:"_s, this);
    noteLabel->setObjectName(u"NoteLabel"_s);
    noteLabel->setBuddy(m_note);

    auto *buttons = new QDialogButtonBox(this);
    buttons->setObjectName(u"Buttons"_s);
    m_accept = buttons->addButton(record ? u"&Записать"_s : u"&Сохранить"_s, QDialogButtonBox::AcceptRole);
    m_accept->setObjectName(u"Accept"_s);
    m_accept->setDefault(true);
    QPushButton *cancel = buttons->addButton(u"Отмена"_s, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"Cancel"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout;
    form->addRow(dateLabel, m_date);
    form->addRow(noteLabel, m_note);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setValues({}, {});
}

RecordDialog::~RecordDialog() = default;

void RecordDialog::setValues(const QDateTime &date, const QString &note)
{
    m_given = date.isValid() ? date.toLocalTime() : QDateTime::currentDateTime();
    m_date->setDateTime(m_given);
    m_note->setMaxLength(std::max<int>(NoteTypingLimit, static_cast<int>(note.size())));
    m_note->setText(note);
}

QDateTime RecordDialog::date() const
{
    return dateChanged() ? m_date->dateTime() : m_given;
}

bool RecordDialog::dateChanged() const
{
    // The field shows minutes: the given date's seconds are not a change.
    const QDateTime shown = m_given.addSecs(-m_given.time().second()).addMSecs(-m_given.time().msec());
    return m_date->dateTime() != shown && m_date->dateTime() != m_given;
}

QString RecordDialog::note() const
{
    return m_note->text();
}

} // namespace zelvara::app
