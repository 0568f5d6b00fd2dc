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
    const QPointer<const QWidget> target(over);
    const QRect fallback = over != nullptr ? over->frameGeometry() : QRect();
    placeBy(
        [this, target, fallback](const QMargins &margins) {
            return centredFrame(target ? target->frameGeometry().center() : fallback.center(), margins);
        },
        over);
}

void FrameCentring::centreOn(const QRect &area)
{
    placeBy([this, area](const QMargins &margins) { return centredFrame(area.center(), margins); }, nullptr);
}

void FrameCentring::placeBy(FrameRule rule, const QWidget *like)
{
    m_rule = std::move(rule);
    QMargins margins = frameMargins(m_window);
    // Windows of one program get the same decoration: another's frame stands in for one still unknown.
    if (margins.isNull() && like != nullptr)
        margins = frameMargins(like);
    place(margins);
}

QPoint FrameCentring::centredFrame(const QPoint &centre, const QMargins &margins) const
{
    const QSize frame = m_window->size().grownBy(margins);
    return {centre.x() - (frame.width() - 1) / 2, centre.y() - (frame.height() - 1) / 2};
}

void FrameCentring::place(const QMargins &margins)
{
    m_used = margins;
    m_asked = m_rule(margins);
    // A window's position is the top left corner of its frame.
    m_window->move(m_asked);
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
        const bool byInnerCorner = frame == m_asked - QPoint(margins.left(), margins.top());
        if ((frame == m_asked && margins != m_used) || byInnerCorner)
            place(margins);
    } else if (m_since.elapsed() > WaitMs) {
        // No frame at all (or a window manager that never tells): the first placement stands.
        m_poll.stop();
    }
}

} // namespace zelvara::widgets
