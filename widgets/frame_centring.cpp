// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/frame_centring.h"

#include <QWidget>

namespace zelvara::widgets {

namespace {

// How long a new window waits for the window manager to tell its frame, and how often it looks.
constexpr int WaitMs = 2000;
constexpr int PollMs = 10;

} // namespace

FrameCentring::FrameCentring(QWidget *window) : QObject(window), m_window(window)
{
    m_poll.setInterval(PollMs);
    connect(&m_poll, &QTimer::timeout, this, &FrameCentring::checkMargins);
}

QMargins FrameCentring::frameMargins(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

void FrameCentring::centreOver(const QWidget *over)
{
    m_over = over;
    m_area = QRect();
    QMargins margins = frameMargins(m_window);
    // Windows of one program get the same decoration: the frame below stands in for one still unknown.
    if (margins.isNull() && over != nullptr)
        margins = frameMargins(over);
    place(margins);
}

void FrameCentring::centreOn(const QRect &area)
{
    m_over = nullptr;
    m_area = area;
    place(frameMargins(m_window));
}

QPoint FrameCentring::targetCentre() const
{
    if (m_over)
        return m_over->frameGeometry().center();
    return m_area.center();
}

QPoint FrameCentring::frameTopLeft(const QMargins &margins) const
{
    const QSize frame = m_window->size().grownBy(margins);
    const QPoint centre = targetCentre();
    return {centre.x() - (frame.width() - 1) / 2, centre.y() - (frame.height() - 1) / 2};
}

void FrameCentring::place(const QMargins &margins)
{
    m_used = margins;
    // A window's position is the top left corner of its frame.
    m_window->move(frameTopLeft(margins));
    if (frameMargins(m_window).isNull()) {
        m_since.start();
        m_poll.start();
    } else {
        m_poll.stop();
    }
}

void FrameCentring::checkMargins()
{
    const QMargins margins = frameMargins(m_window);
    if (!margins.isNull()) {
        m_poll.stop();
        // Placed with borrowed margins that differ from its own, or placed by its inner corner (a window
        // made before it was placed): either way the frame goes where it belongs. A window that stands
        // anywhere else has been moved by the player meanwhile, and stays.
        const QPoint frame = m_window->frameGeometry().topLeft();
        const QPoint asked = frameTopLeft(m_used);
        const bool byInnerCorner = frame == asked - QPoint(margins.left(), margins.top());
        if ((frame == asked && margins != m_used) || byInnerCorner)
            place(margins);
    } else if (m_since.elapsed() > WaitMs) {
        // No frame at all (or a window manager that never tells): the first placement stands.
        m_poll.stop();
    }
}

} // namespace zelvara::widgets
