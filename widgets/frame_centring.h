// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Centres a window's frame, title bar included, over another window's frame or over an area of the
// screen, or puts it wherever a rule of the caller's says. The window manager tells a frame's margins
// only once it has framed the window, so a first showing places the frame with margins borrowed from
// another window (or none), and places it again as soon as its own margins arrive.

#include <QElapsedTimer>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>

#include <functional>

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
    // The frame's top left corner for the frame's margins; the rule may also resize the window. Until the
    // window manager tells this window's margins, those of `like` stand in (when given).
    using FrameRule = std::function<QPoint(const QMargins &)>;
    void placeBy(FrameRule rule, const QWidget *like);

    // The margins the window manager added round a window's inner area; empty until it has framed it.
    static QMargins frameMargins(const QWidget *window);

private:
    QPoint centredFrame(const QPoint &centre, const QMargins &margins) const;
    void place(const QMargins &margins);
    void checkMargins();

    QWidget *m_window;
    FrameRule m_rule;
    QPoint m_asked;
    QMargins m_used;
    QTimer m_poll;
    QElapsedTimer m_since;
};

} // namespace zelvara::widgets
