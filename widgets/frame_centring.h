// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Centres a window's frame, title bar included, over another window's frame or over an area of the
// screen. The window manager tells a frame's margins only once it has framed the window, so a first
// showing places the frame with margins borrowed from the window below (or none), and places it again
// as soon as its own margins arrive.

#include <QElapsedTimer>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>

class QWidget;

namespace zelvara::widgets {

class FrameCentring : public QObject
{
    Q_OBJECT

public:
    // Owned by `window`.
    explicit FrameCentring(QWidget *window);

    // Places the window now; call it before or right after showing the window.
    void centreOver(const QWidget *over);
    void centreOn(const QRect &area);

    // The margins the window manager added round a window's inner area; empty until it has framed it.
    static QMargins frameMargins(const QWidget *window);

private:
    QPoint targetCentre() const;
    QPoint frameTopLeft(const QMargins &margins) const;
    void place(const QMargins &margins);
    void checkMargins();

    QWidget *m_window;
    QPointer<const QWidget> m_over;
    QRect m_area;
    QMargins m_used;
    QTimer m_poll;
    QElapsedTimer m_since;
};

} // namespace zelvara::widgets
