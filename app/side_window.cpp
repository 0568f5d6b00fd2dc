// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/side_window.h"

#include "app/sheet_panel.h"
#include "widgets/frame_centring.h"

#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace zelvara::app {

namespace {

// Tops aligned with the main window where the screen allows; a window taller than the screen is cut
// to it, unless that would take it below its least height.
QRect fitHeight(QRect frame, int smallest, const QRect &screen)
{
    frame.setHeight(std::max(std::min(frame.height(), screen.height()), smallest));
    if (frame.bottom() > screen.bottom())
        frame.moveBottom(screen.bottom());
    if (frame.top() < screen.top())
        frame.moveTop(screen.top());
    return frame;
}

bool across(const QRect &frame, const QRect &screen)
{
    return frame.left() >= screen.left() && frame.right() <= screen.right();
}

} // namespace

QRect sideWindowFrame(const QRect &main, const QRect &column, const QSize &frame, const QSize &smallest,
                      const QRect &screen)
{
    const auto placed = [&](int left, int width) {
        return fitHeight(QRect(left, main.top(), width, frame.height()), smallest.height(), screen);
    };
    const int width = frame.width();
    if (const QRect right = placed(main.right() + 1, width); across(right, screen))
        return right;
    if (const QRect left = placed(main.left() - width, width); across(left, screen))
        return left;
    // No room beside: over the sheet, as close to the column as it may lie without covering it.
    if (const QRect sheet = placed(column.left() - width, width); across(sheet, screen))
        return sheet;
    const int leftRoom = column.left() - screen.left();
    const int rightRoom = screen.right() - column.right();
    if (rightRoom > leftRoom && rightRoom >= smallest.width())
        return placed(column.right() + 1, rightRoom);
    // The room left of the column, or, where even the least width does not fit there, the screen's left
    // edge: only then may the window reach over the column.
    return placed(screen.left(), std::max(std::min(width, leftRoom), smallest.width()));
}

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
    if (!m_placed && m_mainWindow) {
        m_placed = true;
        placeBeside();
    }
    show();
    raise();
    activateWindow();
}

void SideWindow::placeBeside()
{
    // Placed by its frame, which the window manager draws only once the window shows: until then the main
    // window's frame stands in, and the window is placed again when its own arrives.
    const QSize natural = size();
    const QSize least = minimumSizeHint().expandedTo(minimumSize());
    auto *placement = new widgets::FrameCentring(this);
    placement->placeBy(
        [this, natural, least](const QMargins &margins) {
            const QScreen *screen = m_mainWindow ? m_mainWindow->screen() : nullptr;
            if (screen == nullptr)
                return frameGeometry().topLeft();
            const QRect main = m_mainWindow->frameGeometry();
            // The options and the buttons stand right of the sheet, to the main window's right edge.
            QRect column = main;
            if (const auto *sheet = m_mainWindow->findChild<const SheetPanel *>())
                column.setLeft(sheet->mapToGlobal(QPoint(sheet->width(), 0)).x());
            const QRect frame = sideWindowFrame(main, column, natural.grownBy(margins), least.grownBy(margins),
                                                screen->availableGeometry());
            resize(frame.size().shrunkBy(margins));
            return frame.topLeft();
        },
        m_mainWindow);
}

} // namespace zelvara::app
