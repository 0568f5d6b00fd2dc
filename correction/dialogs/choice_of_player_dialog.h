// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "correction/dialogs/answer_dialog.h"

#include <QStringList>

#include <memory>

namespace Ui {
class TChoiceOfPlayer;
}

namespace zelvara::correction {

// The correction by lot ("Выбор игрока"): the players draw one of them at the table and mark him here.
// The dialog shows the names it is given and reports the answer; the main window applies it.
class TChoiceOfPlayer : public AnswerDialog
{
    Q_OBJECT

public:
    explicit TChoiceOfPlayer(QWidget *parent = nullptr);
    ~TChoiceOfPlayer() override;

    // Prepares the dialog for an opening by the settlement: the names of the sheet in use (three or
    // four) as captions, and the first player checked.
    void prepare(const QStringList &names);
    // Brings the captions up to date (the fourth seat shows only for four players); the mark stays
    // where the player put it.
    void setPlayers(const QStringList &names);

    // The player whose button is checked, 1..4.
    int checkedPlayer() const;

signals:
    // "OK" with the drawn player; the dialog is already hidden.
    void playerChosen(int player);
    // "Отмена"; the dialog is already hidden.
    void declined();

protected:
    void dressTexts() override;

private:
    void OKClick();
    void CancelClick();

    std::unique_ptr<Ui::TChoiceOfPlayer> ui;
};

} // namespace zelvara::correction
