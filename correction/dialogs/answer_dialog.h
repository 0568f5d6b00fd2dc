// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QPointer>

class QPushButton;

namespace zelvara::widgets {
class FrameCentring;
}

namespace zelvara::correction {

// What the two correction dialogs share: a fixed-size window with a title and no close box, shown
// without a modal loop while the main window is disabled. Such a window may only end through its two
// buttons, since only they enable the main window again: a close request from the window manager and
// Escape are refused while the main window is up; when the main window closes, the run ends with them.
class AnswerDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AnswerDialog(QWidget *parent = nullptr);

    // Centres the dialog's frame over the frame of `window` and keeps it above that window.
    void centreOver(QWidget *window);

    // Escape and window-manager closes land here; nothing happens.
    void reject() override;

    // The first showing dresses the dialog's texts first (see dressTexts).
    void setVisible(bool visible) override;

signals:
    // The dialog became the program's active window while shown (a new opening or a return to it).
    void activated();

protected:
    // Sizes the window and dresses the two buttons; OK is the default button and first in tab order.
    void finishForm(QSize clientSize, QPushButton *ok, QPushButton *cancel);
    // What needs the fonts themselves (a bold caption, a line sized to its text), done once, just before
    // the dialog is first shown: matching a font costs more than building the whole form, and a dialog
    // that is never opened in a run should not slow its start.
    virtual void dressTexts() {}

    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *m_ok = nullptr;
    widgets::FrameCentring *m_centring = nullptr;
    QPointer<QWidget> m_owner;
    bool m_dressed = false;
};

} // namespace zelvara::correction
