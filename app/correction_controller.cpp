// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/correction_controller.h"

#include "app/main_window.h"
#include "correction/dialogs/choice_of_player_dialog.h"
#include "correction/dialogs/confirm_of_change_dialog.h"
#include "platform/desktop.h"

#include <QEvent>
#include <QStringList>

#include <utility>

namespace zelvara::app {

namespace {

// Only the confirmed correction is offered with four players on "На N игроков — 1"; the lot serves
// whichever of four or three players is in use.
constexpr int ConfirmedCorrectionPlayers = 4;

} // namespace

CorrectionController::CorrectionController(TZelvara &mainWindow, correction::TChoiceOfPlayer &choiceOfPlayer,
                                           correction::TConfirmOfChange &confirmOfChange, platform::Desktop &desktop,
                                           QObject *parent)
    : QObject(parent), m_mainWindow(mainWindow), m_choiceOfPlayer(choiceOfPlayer), m_confirmOfChange(confirmOfChange),
      m_desktop(desktop)
{
    connect(&m_mainWindow, &TZelvara::correctionRequested, this, &CorrectionController::open);
    m_mainWindow.installEventFilter(this);

    // A return to an open dialog (from another program, or by a click on the disabled main window)
    // brings its captions up to date and keeps everything the player has marked.
    connect(&m_choiceOfPlayer, &correction::AnswerDialog::activated, this,
            [this] { m_choiceOfPlayer.setPlayers(playerNames()); });
    connect(&m_choiceOfPlayer, &correction::TChoiceOfPlayer::playerChosen, this, &CorrectionController::lotAccepted);
    connect(&m_choiceOfPlayer, &correction::TChoiceOfPlayer::declined, this, &CorrectionController::lotDeclined);

    connect(&m_confirmOfChange, &correction::AnswerDialog::activated, this, &CorrectionController::showProposal);
    connect(&m_confirmOfChange, &correction::TConfirmOfChange::confirmed, this,
            &CorrectionController::confirmedAccepted);
    connect(&m_confirmOfChange, &correction::TConfirmOfChange::declined, this,
            &CorrectionController::confirmedDeclined);
}

void CorrectionController::open(engine::CorrectionDialog which)
{
    // Filled when the settlement opens it, before it is first drawn; a later activation only shows the
    // same again, so the answer always applies to what the dialog was opened with.
    if (which == engine::CorrectionDialog::ChoiceOfPlayer) {
        m_choiceOfPlayer.prepare(playerNames());
        showOverMainWindow(m_choiceOfPlayer);
    } else {
        m_proposal =
            correction::proposeConfirmedCorrection(m_mainWindow.sheetTexts(ConfirmedCorrectionPlayers),
                                                   m_mainWindow.options().gameType, m_desktop.decimalSeparator());
        showProposal();
        showOverMainWindow(m_confirmOfChange);
    }
    m_mainWindow.setEnabled(false);
}

void CorrectionController::showOverMainWindow(correction::AnswerDialog &dialog)
{
    dialog.centreOver(&m_mainWindow);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

bool CorrectionController::eventFilter(QObject *watched, QEvent *event)
{
    // The disabled main window brought to the front (a click on it, the window list) brings the open
    // dialog back over it, even from a minimised state: the player always finds the way to its buttons.
    if (watched == &m_mainWindow && event->type() == QEvent::WindowActivate) {
        for (correction::AnswerDialog *dialog : {static_cast<correction::AnswerDialog *>(&m_choiceOfPlayer),
                                                 static_cast<correction::AnswerDialog *>(&m_confirmOfChange)}) {
            if (dialog->isVisible()) {
                dialog->setWindowState(dialog->windowState() & ~Qt::WindowMinimized);
                dialog->raise();
                dialog->activateWindow();
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void CorrectionController::releaseMainWindow()
{
    m_mainWindow.setEnabled(true);
    m_mainWindow.activateWindow();
}

QStringList CorrectionController::playerNames() const
{
    const engine::SheetTexts sheet = m_mainWindow.sheetTexts(m_mainWindow.selectedPlayers());
    QStringList names;
    for (int i = 0; i < sheet.players; ++i) {
        names.append(QString::fromStdString(sheet.names[static_cast<std::size_t>(i)]));
    }
    return names;
}

void CorrectionController::lotAccepted(int drawnPlayer)
{
    releaseMainWindow();
    const engine::ShownSettlement source =
        sourceOf(m_mainWindow.selectedPlayers(), engine::ShownBy::LotAccepted, drawnPlayer);
    apply(source,
          correction::acceptLotCorrection(source.sheet, source.options.gameType, drawnPlayer, source.decimalSeparator));
}

void CorrectionController::lotDeclined()
{
    releaseMainWindow();
    const engine::ShownSettlement source = sourceOf(m_mainWindow.selectedPlayers(), engine::ShownBy::LotDeclined);
    apply(source, correction::declineLotCorrection(source.sheet, source.options.gameType, source.decimalSeparator));
}

void CorrectionController::showProposal()
{
    m_confirmOfChange.setProposal(QString::fromStdString(m_proposal.line1), QString::fromStdString(m_proposal.line2));
}

void CorrectionController::confirmedAccepted()
{
    releaseMainWindow();
    const correction::Proposal proposal = std::exchange(m_proposal, correction::Proposal{});
    const engine::ShownSettlement source = sourceOf(ConfirmedCorrectionPlayers, engine::ShownBy::ConfirmedAccepted);
    apply(source, correction::acceptConfirmedCorrection(source.sheet, source.options.gameType, proposal,
                                                        source.decimalSeparator));
}

void CorrectionController::confirmedDeclined()
{
    releaseMainWindow();
    m_proposal = correction::Proposal{};
    const engine::ShownSettlement source = sourceOf(ConfirmedCorrectionPlayers, engine::ShownBy::ConfirmedDeclined);
    apply(source,
          correction::declineConfirmedCorrection(source.sheet, source.options.gameType, source.decimalSeparator));
}

engine::ShownSettlement CorrectionController::sourceOf(int players, engine::ShownBy shownBy, int drawnPlayer) const
{
    return {m_mainWindow.sheetTexts(players), m_mainWindow.options(), m_desktop.decimalSeparator(), shownBy,
            drawnPlayer};
}

void CorrectionController::apply(const engine::ShownSettlement &source, const correction::CorrectionOutcome &outcome)
{
    const int players = source.sheet.players;
    if (!outcome.writes.empty()) {
        m_mainWindow.writeFields(players, outcome.writes);
    }
    m_mainWindow.showResults(players, outcome.results, source);
}

} // namespace zelvara::app
