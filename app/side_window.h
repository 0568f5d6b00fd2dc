// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QPointer>

class QRect;
class QSize;

namespace zelvara::app {

// Where a side window's frame first goes, everything in the screen's coordinates (device-independent
// pixels, so a scaled screen places it alike): `main` is the main window's frame, `column` the part of
// it that must stay in view (the options and the buttons), `frame` and `smallest` the side window's
// frame at its size and at the least it may be narrowed to, `screen` the screen's available area.
// Beside the main window when the screen has room there, the right first, the left otherwise, the tops
// aligned; with no room on either side, over the sheet, its right edge against the column; narrowed to
// the wider room on either side of the column when even that does not fit. The window moves up only as
// far as the bottom of the screen demands.
QRect sideWindowFrame(const QRect &main, const QRect &column, const QSize &frame, const QSize &smallest,
                      const QRect &screen);

// A view of the shown results in a window of its own. It never takes the keyboard from the main
// window by a modal loop and never disables it: the player may go on working on the sheet, and the
// view follows. Escape, "Закрыть" and the close box only hide it.
class SideWindow : public QDialog
{
    Q_OBJECT

public:
    // The main window is not the parent: a correction dialog disables the main window, and this view
    // must stay readable meanwhile.
    explicit SideWindow(QWidget *mainWindow);

    // Shows the window and brings it forward; the first time beside the main window (sideWindowFrame),
    // afterwards where the player left it.
    void showBeside();

private:
    void placeBeside();

    QPointer<QWidget> m_mainWindow;
    bool m_placed = false;
};

} // namespace zelvara::app
