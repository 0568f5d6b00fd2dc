// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/side_window.h"

#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace zelvara::app {

SideWindow::SideWindow(QWidget *mainWindow)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_mainWindow(mainWindow)
{
    // Closing the main window ends the program even while a view is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setModal(false);
}

void SideWindow::showBeside()
{
    if (m_mainWindow) {
        // Kept above the main window by the window manager, so clicking the sheet does not bury it.
        winId();
        if (QWindow *own = windowHandle(); own && m_mainWindow->windowHandle())
            own->setTransientParent(m_mainWindow->windowHandle());
    }
    show();
    if (!m_placed && m_mainWindow) {
        m_placed = true;
        // To the right of the main window when the screen has room there, so the sheet stays in view.
        const QRect main = m_mainWindow->frameGeometry();
        QRect frame = frameGeometry();
        frame.moveTopLeft(QPoint(main.right() + 1, main.top()));
        if (const QScreen *s = m_mainWindow->screen()) {
            const QRect area = s->availableGeometry();
            if (frame.right() > area.right())
                frame.moveRight(area.right());
            if (frame.bottom() > area.bottom())
                frame.moveBottom(area.bottom());
            frame.moveLeft(std::max(frame.left(), area.left()));
            frame.moveTop(std::max(frame.top(), area.top()));
        }
        move(frame.topLeft());
    }
    raise();
    activateWindow();
}

} // namespace zelvara::app
