// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The glue between the main window and the two correction dialogs: it opens the dialog that a
// settlement asks for, shows what the record's play gives it to show, and plays the record again with
// the player's answer, showing the outcome through the main window's one display function.

#include "correction/play.h"
#include "engine/sheet_record.h"

#include <QObject>
#include <QStringList>

namespace zelvara::correction {
class AnswerDialog;
class TChoiceOfPlayer;
class TConfirmOfChange;
} // namespace zelvara::correction

namespace zelvara::platform {
class Desktop;
}

namespace zelvara::app {

class TZelvara;

class CorrectionController : public QObject
{
    Q_OBJECT

public:
    CorrectionController(TZelvara &mainWindow, correction::TChoiceOfPlayer &choiceOfPlayer,
                         correction::TConfirmOfChange &confirmOfChange, platform::Desktop &desktop,
                         QObject *parent = nullptr);

    // Shows the dialog the record asks for without a modal loop, then disables the main window until a
    // button is pressed.
    void open(const engine::SheetRecord &record, const correction::Asked &asked);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showOverMainWindow(correction::AnswerDialog &dialog);
    // Gives the main window back to the player; every answer starts here.
    void releaseMainWindow();

    // The names the open dialog shows, player 1 first.
    QStringList playerNames() const;
    void showProposal();
    // Plays the waiting record with the player's answer and shows what it gives.
    void answer(engine::Button button, int player = 1);

    TZelvara &m_mainWindow;
    correction::TChoiceOfPlayer &m_choiceOfPlayer;
    correction::TConfirmOfChange &m_confirmOfChange;
    platform::Desktop &m_desktop;
    // The record that opened the dialog and what it asks, from the opening to the button press.
    engine::SheetRecord m_record;
    correction::Asked m_asked;
};

} // namespace zelvara::app
