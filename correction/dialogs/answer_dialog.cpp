// SPDX-License-Identifier: GPL-3.0-or-later
#include "correction/dialogs/answer_dialog.h"

#include "widgets/frame_centring.h"
#include "widgets/window_look.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace zelvara::correction {

AnswerDialog::AnswerDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
{
    // The dialog never keeps the program running on its own: closing the main window ends the run
    // even while a dialog is up.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(widgets::sansFont());
    m_centring = new widgets::FrameCentring(this);
}

void AnswerDialog::finishForm(QSize clientSize, QPushButton *ok, QPushButton *cancel)
{
    setFixedSize(clientSize);
    m_ok = ok;

    ok->setIcon(widgets::pngIcon(u":/images/ok.png"_s, u":/images/ok-disabled.png"_s));
    cancel->setIcon(widgets::pngIcon(u":/images/cancel.png"_s, u":/images/cancel-disabled.png"_s));
    ok->setIconSize(QSize(18, 18));
    cancel->setIconSize(QSize(18, 18));
    ok->setDefault(true);
    setTabOrder(ok, cancel);
}

void AnswerDialog::centreOver(QWidget *window)
{
    if (window == nullptr) {
        return;
    }
    m_owner = window;
    m_centring->centreOver(window);

    winId(); // the native window must exist before it can name its owner
    if (windowHandle() != nullptr && window->windowHandle() != nullptr) {
        windowHandle()->setTransientParent(window->windowHandle());
    }
}

void AnswerDialog::reject() {}

void AnswerDialog::setVisible(bool visible)
{
    if (visible && !m_dressed) {
        m_dressed = true;
        dressTexts();
    }
    QDialog::setVisible(visible);
}

bool AnswerDialog::event(QEvent *event)
{
    // A queued activation may arrive after a button has hidden the dialog; it must not refill
    // anything then.
    if (event->type() == QEvent::WindowActivate && isVisible()) {
        emit activated();
    }
    return QDialog::event(event);
}

void AnswerDialog::closeEvent(QCloseEvent *event)
{
    // While the window it stands over is up, only the two buttons may end the dialog, since only they
    // enable that window again. Once the main window has closed, the run is ending and so may the dialog.
    if (isVisible() && m_owner != nullptr && m_owner->isVisible()) {
        event->ignore();
    } else {
        event->accept();
    }
}

void AnswerDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_ok != nullptr) {
        m_ok->setFocus(Qt::ActiveWindowFocusReason);
    }
}

} // namespace zelvara::correction
