// SPDX-License-Identifier: GPL-3.0-or-later
// Where the payments and breakdown windows first open: beside the main window when the screen has room,
// over the sheet otherwise, never over the column of options and buttons. The placement is a function of
// rectangles, tried on screens of several sizes; one real window checks the rectangles it is given.

#include "app/breakdown_window.h"
#include "app/main_window.h"
#include "app/side_window.h"
#include "tests/support/find_control.h"
#include "tests/support/recording_desktop.h"

#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;
using zelvara::app::sideWindowFrame;

namespace {

// A main window's frame as a window manager draws it: 515 x 523 with its title bar, the column of options
// and buttons starting 379 pixels from its left edge.
QRect mainAt(int left, int top)
{
    return {left, top, 515, 523};
}

QRect columnOf(const QRect &main)
{
    return {main.left() + 379, main.top(), main.right() - main.left() - 378, main.height()};
}

// The breakdown window's frame, and the least it may be narrowed to.
const QSize Breakdown(526, 450);
const QSize Least(200, 150);

} // namespace

class SideWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void placement_besideOrOverTheSheet_data();
    void placement_besideOrOverTheSheet();
    void realWindow_opensClearOfTheColumn();
};

void SideWindowTest::placement_besideOrOverTheSheet_data()
{
    QTest::addColumn<QRect>("main");
    QTest::addColumn<QSize>("least");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("expected");

    QTest::newRow("1920 x 1080: beside, on the right")
        << mainAt(700, 250) << Least << QRect(0, 0, 1920, 1040) << QRect(1215, 250, 526, 450);
    QTest::newRow("no room on the right: beside, on the left")
        << mainAt(1400, 100) << Least << QRect(0, 0, 1920, 1040) << QRect(874, 100, 526, 450);
    QTest::newRow("1280 x 800, centred: over the sheet")
        << mainAt(382, 123) << Least << QRect(0, 0, 1280, 770) << QRect(235, 123, 526, 450);
    QTest::newRow("1280 x 800, at the left edge: beside")
        << mainAt(0, 100) << Least << QRect(0, 0, 1280, 770) << QRect(515, 100, 526, 450);
    QTest::newRow("1024 x 768: narrowed into the wider room, right of the column")
        << mainAt(0, 0) << Least << QRect(0, 0, 1024, 738) << QRect(515, 0, 509, 450);
    QTest::newRow("800 x 600: narrowed over the sheet")
        << mainAt(0, 0) << Least << QRect(0, 0, 800, 600) << QRect(0, 0, 379, 450);
    QTest::newRow("second screen under a panel: moved up only as far as its bottom")
        << mainAt(2620, 600) << Least << QRect(1920, 30, 1280, 994) << QRect(2094, 574, 526, 450);
    QTest::newRow("no room even for the least width: only then over the column, cut to the screen's height")
        << mainAt(0, 0) << QSize(400, 150) << QRect(0, 0, 640, 400) << QRect(0, 0, 400, 400);
}

void SideWindowTest::placement_besideOrOverTheSheet()
{
    QFETCH(QRect, main);
    QFETCH(QSize, least);
    QFETCH(QRect, screen);
    QFETCH(QRect, expected);
    const QRect column = columnOf(main);
    const QRect placed = sideWindowFrame(main, column, Breakdown, least, screen);
    QCOMPARE(placed, expected);
    QVERIFY(screen.contains(placed));
    if (least.width() <= column.left() - screen.left())
        QVERIFY2(!placed.intersects(column), "the window covers the options and buttons");
}

void SideWindowTest::realWindow_opensClearOfTheColumn()
{
    // The offscreen screen is 800 x 600: no room beside the main window, so the breakdown lies over the
    // sheet, its top level with the main window's.
    zelvara::testing::RecordingDesktop desktop;
    zelvara::app::TZelvara main(desktop);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    zelvara::app::BreakdownWindow view(&main);
    view.showBeside();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    const auto *sheet = zelvara::testing::findControl<QWidget>(main, u"PanelFor4"_s);
    const QRect mainFrame = main.frameGeometry();
    const QRect column(QPoint(sheet->mapToGlobal(QPoint(sheet->width(), 0)).x(), mainFrame.top()),
                       mainFrame.bottomRight());
    const QRect placed = view.frameGeometry();
    QVERIFY2(!placed.intersects(column), "the window covers the options and buttons");
    QVERIFY(main.screen()->availableGeometry().contains(placed));
    QCOMPARE(placed.top(), mainFrame.top());
    QVERIFY(placed.intersects(sheet->rect().translated(sheet->mapToGlobal(QPoint(0, 0)))));

    // Moved by the player, it opens where it was left.
    view.hide();
    view.move(placed.topLeft() + QPoint(-1, 1));
    view.showBeside();
    QCOMPARE(view.frameGeometry().topLeft(), placed.topLeft() + QPoint(-1, 1));
}

QTEST_MAIN(SideWindowTest)
#include "side_window_test.moc"
