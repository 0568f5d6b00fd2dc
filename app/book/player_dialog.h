// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Asks for a player's new name ("Переименовать игрока") or for the player who is the same person
// ("Объединить игроков"). It only asks; the book's window reads the answer once it is accepted. Names
// are the players' own text and are shown as plain text.

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace zelvara::app {

class PlayerDialog : public QDialog
{
    Q_OBJECT

public:
    // A new name for `name`.
    static PlayerDialog *forRename(const QString &name, QWidget *parent);
    // Which of `others` is the same person as `name`.
    static PlayerDialog *forMerge(const QString &name, const QStringList &others, QWidget *parent);
    ~PlayerDialog() override;
    Q_DISABLE_COPY_MOVE(PlayerDialog)

    // The name typed, or the player chosen.
    QString value() const;

private:
    PlayerDialog(const QString &caption, const QString &question, QWidget *field, QWidget *parent);

    QLineEdit *m_name = nullptr;
    QComboBox *m_others = nullptr;
};

} // namespace zelvara::app
