// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QPointer>

namespace zelvara::app {

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

    // Shows the window and brings it forward; the first time beside the main window, afterwards where
    // the player left it.
    void showBeside();

private:
    QPointer<QWidget> m_mainWindow;
    bool m_placed = false;
};

} // namespace zelvara::app
