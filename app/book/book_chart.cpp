// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/book/book_chart.h"

#include "app/book/book_texts.h"

#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QDate>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLineSeries>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace zelvara::app {

namespace {

// A day on the chart's axis: its noon, so that a day's point sits in the middle of its day.
qint64 dayToX(const std::string &day)
{
    const QDate date = QDate::fromString(QString::fromStdString(day), Qt::ISODate);
    return QDateTime(date, QTime(12, 0)).toMSecsSinceEpoch();
}

// Labels on the time axis.
constexpr int AxisTicks = 7;

} // namespace

BookChart::BookChart(char separator, QWidget *parent)
    : QWidget(parent), m_separator(separator), m_chart(new QChart), m_view(new QChartView(m_chart, this))
{
    m_chart->setLocalizeNumbers(true);
    m_chart->legend()->setVisible(true);
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_view->setObjectName(u"Chart"_s);
    m_view->setAccessibleName(u"График итогов"_s);
    m_view->setRenderHint(QPainter::Antialiasing);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}

BookChart::~BookChart() = default;

void BookChart::setLines(const std::vector<book::Timeline> &lines)
{
    m_chart->removeAllSeries();
    for (QAbstractAxis *axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
    m_lines.clear();

    qint64 first = 0;
    qint64 last = 0;
    std::int64_t lowest = 0;
    std::int64_t highest = 0;
    bool any = false;
    auto *days = new QDateTimeAxis;
    days->setFormat(u"dd.MM.yyyy"_s);
    auto *amounts = new QValueAxis;
    m_chart->addAxis(days, Qt::AlignBottom);
    m_chart->addAxis(amounts, Qt::AlignLeft);
    for (const book::Timeline &timeline : lines) {
        Line line{QString::fromStdString(timeline.name).trimmed(), {}, {}};
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(timeline.points.size()));
        for (const book::TimelinePoint &point : timeline.points) {
            const qint64 x = dayToX(point.day);
            line.days.push_back(x);
            line.totals.push_back(point.hundredths);
            points.append(QPointF(static_cast<double>(x), static_cast<double>(point.hundredths) / 100.0));
            first = any ? std::min(first, x) : x;
            last = any ? std::max(last, x) : x;
            lowest = std::min(lowest, point.hundredths);
            highest = std::max(highest, point.hundredths);
            any = true;
        }
        auto *series = new QLineSeries;
        // A name is the player's text: the legend draws it as it is.
        series->setName(line.name.toHtmlEscaped());
        series->replace(points);
        // One point a line still draws: as a dot.
        series->setPointsVisible(points.size() == 1);
        m_chart->addSeries(series);
        series->attachAxis(days);
        series->attachAxis(amounts);
        connect(series, &QLineSeries::hovered, this,
                [this, series](const QPointF &value, bool inside) { hovered(series, value, inside); });
        m_lines.push_back(std::move(line));
    }
    // Whole days on the axis, at least six of them, so that no two of its seven labels name one day.
    const QDate firstDay = any ? QDateTime::fromMSecsSinceEpoch(first).date() : QDate::currentDate();
    const QDate lastDay = any ? QDateTime::fromMSecsSinceEpoch(last).date() : firstDay;
    const qint64 span = firstDay.daysTo(lastDay) + 1;
    const qint64 shown = std::max<qint64>(span, AxisTicks - 1);
    const QDate start = firstDay.addDays(-(shown - span) / 2);
    days->setTickCount(AxisTicks);
    days->setRange(start.startOfDay(), start.addDays(shown).startOfDay());
    const double low = static_cast<double>(lowest) / 100.0;
    const double high = static_cast<double>(highest) / 100.0;
    amounts->setRange(low == high ? low - 1 : low, low == high ? high + 1 : high);
    amounts->applyNiceNumbers();
    amounts->setLabelFormat(std::max(std::abs(low), std::abs(high)) < 10 ? u"%.2f"_s : u"%.0f"_s);
}

int BookChart::lineCount() const
{
    return static_cast<int>(m_chart->series().size());
}

QStringList BookChart::lineNames() const
{
    QStringList names;
    for (const Line &line : m_lines)
        names << line.name;
    return names;
}

QString BookChart::pointText(int line, const QPointF &value) const
{
    if (line < 0 || static_cast<std::size_t>(line) >= m_lines.size())
        return {};
    const Line &l = m_lines[static_cast<std::size_t>(line)];
    if (l.days.empty())
        return {};
    // The drawn point nearest along the time axis.
    const auto x = static_cast<qint64>(value.x());
    auto at = std::lower_bound(l.days.begin(), l.days.end(), x);
    if (at == l.days.end() || (at != l.days.begin() && x - *(at - 1) < *at - x))
        --at;
    const auto i = static_cast<std::size_t>(at - l.days.begin());
    return l.name + u", "_s + QDateTime::fromMSecsSinceEpoch(l.days[i]).date().toString(u"dd.MM.yyyy"_s) + u": "_s +
           signedAmount(l.totals[i], m_separator);
}

void BookChart::hovered(QLineSeries *series, const QPointF &value, bool inside)
{
    if (!inside) {
        QToolTip::hideText();
        return;
    }
    const auto line = static_cast<int>(m_chart->series().indexOf(series));
    QToolTip::showText(QCursor::pos(), plainToolTip(pointText(line, value)), m_view);
}

QImage BookChart::picture()
{
    return m_view->grab().toImage();
}

} // namespace zelvara::app
