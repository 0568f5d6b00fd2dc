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
    connect(&m_choiceOfPlayer, &correction::TChoiceOfPlayer::playerChosen, this,
            [this](int player) { answer(engine::Button::OK, player); });
    connect(&m_choiceOfPlayer, &correction::TChoiceOfPlayer::declined, this,
            [this] { answer(engine::Button::Cancel); });

    connect(&m_confirmOfChange, &correction::AnswerDialog::activated, this, &CorrectionController::showProposal);
    connect(&m_confirmOfChange, &correction::TConfirmOfChange::confirmed, this, [this] { answer(engine::Button::OK); });
    connect(&m_confirmOfChange, &correction::TConfirmOfChange::declined, this,
            [this] { answer(engine::Button::Cancel); });
}

void CorrectionController::open(const engine::SheetRecord &record, const correction::Asked &asked)
{
    // Filled when the settlement opens it, before it is first drawn; a later activation only shows the
    // same again, so the answer always applies to what the dialog was opened with.
    m_record = record;
    m_asked = asked;
    if (asked.dialog == engine::CorrectionDialog::ChoiceOfPlayer) {
        m_choiceOfPlayer.prepare(playerNames());
        showOverMainWindow(m_choiceOfPlayer);
    } else {
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
    QStringList names;
    for (const std::string &name : m_asked.names)
        names.append(QString::fromStdString(name));
    return names;
}

void CorrectionController::showProposal()
{
    m_confirmOfChange.setProposal(QString::fromStdString(m_asked.proposal.line1),
                                  QString::fromStdString(m_asked.proposal.line2));
}

void CorrectionController::answer(engine::Button button, int player)
{
    releaseMainWindow();
    engine::SheetRecord record = std::exchange(m_record, engine::SheetRecord{});
    m_asked = correction::Asked{};
    record.answer = engine::Answer{button, player};
    correction::Played played = correction::play(record);
    // The record opened this very dialog, so its answer always plays to results.
    auto *shown = std::get_if<correction::Shown>(&played);
    if (shown == nullptr)
        return;
    if (!shown->writes.empty())
        m_mainWindow.writeFields(record.sheet.players, shown->writes);
    m_mainWindow.showResults(std::move(record), std::move(*shown));
}

} // namespace zelvara::app
