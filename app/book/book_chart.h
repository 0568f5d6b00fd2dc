// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The "График" tab: each player's running total over the period, one line a player (Qt Charts), with a
// legend, and the day and amount of the nearest point under the mouse.

#include "book/book.h"

#include <QImage>
#include <QWidget>

#include <vector>

class QChart;
class QChartView;
class QLineSeries;

namespace zelvara::app {

class BookChart : public QWidget
{
    Q_OBJECT

public:
    // The most points a line is drawn through, about two pixels apart across the chart: a season of years
    // draws nearly as fast as a month.
    static constexpr std::size_t MaxPoints = 400;

    explicit BookChart(char separator, QWidget *parent = nullptr);
    ~BookChart() override;
    Q_DISABLE_COPY_MOVE(BookChart)

    // Draws the lines, in the order given (the standings'); the chart is empty for none.
    void setLines(const std::vector<book::Timeline> &lines);
    int lineCount() const;
    // The names and the number of points of each line, as drawn.
    QStringList lineNames() const;
    // What the hover shows for a line at a point in the chart's values: "Аня, 08.12.2026: +29".
    QString pointText(int line, const QPointF &value) const;
    // The chart as drawn on the screen, for "Сохранить как PNG…".
    QImage picture();

private:
    void hovered(QLineSeries *series, const QPointF &value, bool inside);

    char m_separator;
    QChart *m_chart = nullptr;
    QChartView *m_view = nullptr;
    // Per line: the days (as ms since the epoch, the chart's x) and the totals, as drawn.
    struct Line
    {
        QString name;
        std::vector<qint64> days;
        std::vector<std::int64_t> totals;
    };
    std::vector<Line> m_lines;
};

} // namespace zelvara::app
