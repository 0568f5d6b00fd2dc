// SPDX-License-Identifier: GPL-3.0-or-later
// The book's window over a season of 100,000 records, on Qt's offscreen platform: how long the window
// takes to open with its first rows drawn, each step of scrolling to the end (a page read as the view
// reaches it), a change of period, and the chart drawn. Prints figures, never fails.
//
//     book_window_bench [RECORDS] [BOOK]     (defaults: 100000, a fresh book under /tmp)
//
// A BOOK that exists is used as it is; otherwise the season is generated into it first.

#include "app/book/book_chart.h"
#include "app/book/book_session.h"
#include "app/book/book_window.h"
#include "app/book/records_model.h"
#include "app/book_module.h"
#include "bench/book/season.h"
#include "platform/desktop.h"

#include <QApplication>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

using namespace zelvara;
using bench::Clock;
using bench::median;
using bench::millisecondsSince;

namespace {

// The window's host, without a main window: nothing is opened back into a sheet here.
class Host : public app::BookHost
{
public:
    QWidget *mainWindow() override { return nullptr; }
    platform::Desktop &desktop() override { return m_desktop; }
    const correction::SettledSheet *shownSettlement() const override { return nullptr; }
    void openSheet(const sheetfile::SheetDocument &, const QString &) override {}

private:
    platform::SystemDesktop m_desktop;
};

// Lets the window handle what is pending and draws it, as the screen would.
void drawn(QWidget &window)
{
    QApplication::processEvents();
    window.grab();
}

} // namespace

int main(int argc, char **argv)
{
    // NOLINTNEXTLINE(concurrency-mt-unsafe): before any thread starts
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const int records = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const bool own = argc <= 2;
    const std::filesystem::path path = own ? std::filesystem::temp_directory_path() /
                                                 ("zelvara-book-window-bench-" + std::to_string(::getpid())) /
                                                 "book.sqlite"
                                           : std::filesystem::path(argv[2]);
    if (!std::filesystem::exists(path)) {
        const Clock::time_point start = Clock::now();
        book::Book book = book::Book::open(path.string(), book::Book::Access::Write);
        bench::recordSeason(book, 0, records);
        std::printf("generated %d records in %.0f ms\n", records, millisecondsSince(start));
    }

    Host host;
    app::BookSession session(QString::fromStdString(path.string()));
    Clock::time_point start = Clock::now();
    app::BookWindow window(session, host);
    window.showBook();
    drawn(window);
    const double opening = millisecondsSince(start);
    auto *view = window.findChild<QTableView *>(QStringLiteral("Records"));
    std::printf("open the window, first rows drawn: %.1f ms (%d rows read of %lld)\n", opening,
                window.records().rowCount(),
                static_cast<long long>(book::Book::open(path.string(), book::Book::Access::Read).recordCount()));

    // Scrolling to the end page by page: each step reaches the last row read, the view asks for the next
    // page and draws it.
    std::vector<double> steps;
    for (int i = 0; i < 1000 && window.records().canFetchMore({}); ++i) {
        start = Clock::now();
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
        drawn(window);
        steps.push_back(millisecondsSince(start));
    }
    const std::vector<double> deepest(steps.end() - std::min<std::ptrdiff_t>(50, std::ssize(steps)), steps.end());
    std::printf("scroll to the end of what was read, next page read and drawn: median %.1f ms, slowest %.1f ms, "
                "median of the last 50 %.1f ms (%zu steps to the end, %d rows)\n",
                median(steps), *std::max_element(steps.begin(), steps.end()), median(deepest), steps.size(),
                window.records().rowCount());
    // Moving about what was read: no reading, drawing only.
    std::vector<double> frames;
    for (int i = 0; i < 50; ++i) {
        start = Clock::now();
        view->verticalScrollBar()->setValue((i * 7919) % std::max(1, view->verticalScrollBar()->maximum()));
        drawn(window);
        frames.push_back(millisecondsSince(start));
    }
    std::printf("jump within the rows read, drawn: median %.1f ms, slowest %.1f ms\n", median(frames),
                *std::max_element(frames.begin(), frames.end()));

    // A new period reads the first page, the standings and the season's payments again.
    std::vector<double> periods;
    for (int i = 0; i < 6; ++i) {
        start = Clock::now();
        window.setPeriod(i % 2 == 0 ? app::BookWindow::Period::ThisYear : app::BookWindow::Period::Everything);
        drawn(window);
        periods.push_back(millisecondsSince(start));
    }
    std::printf("change of period (list, standings, payments): median %.1f ms\n", median(periods));

    // The chart: the running totals read, the lines built and drawn.
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("Tabs"));
    start = Clock::now();
    tabs->setCurrentIndex(2);
    drawn(window);
    const double firstChart = millisecondsSince(start);
    std::vector<double> charts;
    std::vector<double> building;
    book::Book reader = book::Book::open(path.string(), book::Book::Access::Read);
    for (int i = 0; i < 5; ++i) {
        start = Clock::now();
        const auto lines = reader.timeline({}, app::BookChart::MaxPoints);
        const Clock::time_point read = Clock::now();
        window.chart().setLines(lines);
        building.push_back(millisecondsSince(read));
        window.chart().picture();
        charts.push_back(millisecondsSince(start));
    }
    std::printf("chart of everything (%d lines): first shown %.1f ms; then median %.1f ms, of which building the "
                "lines %.1f ms\n",
                window.chart().lineCount(), firstChart, median(charts), median(building));
    window.close();
    if (own)
        std::filesystem::remove_all(path.parent_path());
    return 0;
}
