// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

namespace Ui {
class TAboutProgram;
}

namespace zelvara::app {

// The About window: the program's name, version and what it does. It is never a modal loop: while it
// is shown the main window is disabled instead, and however it is closed it only hides and enables the
// main window again.
class TAboutProgram : public QWidget
{
    Q_OBJECT

public:
    // The main window is not the parent: disabling a parent would disable this window with it.
    explicit TAboutProgram(QWidget *mainWindow);
    ~TAboutProgram() override;

    // AboutClick and InfoClick: shows the window and returns at once. Centred over the main window the
    // first time, afterwards where it was left.
    void showAbout();

protected:
    // FormClose: the button, the close box and Alt+F4 all end here.
    void closeEvent(QCloseEvent *event) override;

private:
    void Close1Click();

    std::unique_ptr<Ui::TAboutProgram> m_ui;
    QPointer<QWidget> m_mainWindow;
    bool m_placed = false;
};

} // namespace zelvara::app
