// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The glue between the main window and the two correction dialogs: it opens the dialog that a
// settlement asks for, fills it from the sheet as it stands, and applies the player's answer through
// the correction rules and the main window's one display function.

#include "correction/correction.h"
#include "engine/settlement.h"
#include "engine/shown_settlement.h"

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

    // Shows the dialog without a modal loop, then disables the main window until a button is pressed.
    void open(engine::CorrectionDialog which);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showOverMainWindow(correction::AnswerDialog &dialog);
    // Gives the main window back to the player; every answer starts here.
    void releaseMainWindow();

    // The names on the sheet in use, player 1 first.
    QStringList playerNames() const;
    void lotAccepted(int drawnPlayer);
    void lotDeclined();

    void showProposal();
    void confirmedAccepted();
    void confirmedDeclined();

    // The sheet as it stands before the answer is applied, with the options and how it is answered.
    engine::ShownSettlement sourceOf(int players, engine::ShownBy shownBy, int drawnPlayer = 0) const;
    void apply(const engine::ShownSettlement &source, const correction::CorrectionOutcome &outcome);

    TZelvara &m_mainWindow;
    correction::TChoiceOfPlayer &m_choiceOfPlayer;
    correction::TConfirmOfChange &m_confirmOfChange;
    platform::Desktop &m_desktop;
    // The confirmed correction from the opening to the button press; zero at every other time.
    correction::Proposal m_proposal;
};

} // namespace zelvara::app
