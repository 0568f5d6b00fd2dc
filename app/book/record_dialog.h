// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The date and the note of a record: asked before a settled sheet goes into the book ("Записать в
// журнал"), and when a record is given a new date or note ("Изменить запись"). It only asks: the caller
// reads the answer when the dialog is accepted.

#include <QDateTime>
#include <QDialog>

class QDateTimeEdit;
class QLineEdit;
class QPushButton;

namespace zelvara::app {

class RecordDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Purpose { Record, Change };

    RecordDialog(Purpose purpose, QWidget *parent);
    ~RecordDialog() override;
    Q_DISABLE_COPY_MOVE(RecordDialog)

    // What the dialog opens with; an invalid date stands for now.
    void setValues(const QDateTime &date, const QString &note);
    // The date the player chose, to the minute shown; the one given, seconds and all, while the player
    // has not changed it.
    QDateTime date() const;
    bool dateChanged() const;
    QString note() const;

private:
    QDateTimeEdit *m_date = nullptr;
    QLineEdit *m_note = nullptr;
    QPushButton *m_accept = nullptr;
    QDateTime m_given;
};

} // namespace zelvara::app
