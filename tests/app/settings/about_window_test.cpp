// SPDX-License-Identifier: GPL-3.0-or-later
// The About window on its own: its layout and texts, and that every way of closing it hides it and
// gives the main window back.

#include "app/about_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using zelvara::app::TAboutProgram;

class AboutWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void layout_asDesigned();
    void descriptionLines_data();
    void descriptionLines();
    void open_disablesMainWindowWithoutModalLoop();
    void close_data();
    void close();
    void position_centredFirstThenKept();
};

namespace {

QWidget *child(QWidget &window, const char *name)
{
    auto *found = window.findChild<QWidget *>(QString::fromLatin1(name));
    if (found == nullptr)
        qFatal("no control %s", name);
    return found;
}

} // namespace

void AboutWindowTest::layout_asDesigned()
{
    QWidget main;
    TAboutProgram about(&main);
    QCOMPARE(about.objectName(), QStringLiteral("AboutProgram"));
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
    QCOMPARE(about.size(), QSize(377, 328));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QVERIFY(!(about.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(about.isHidden());

    auto *icon = qobject_cast<QLabel *>(child(about, "ProgramIcon"));
    QCOMPARE(icon->geometry(), QRect(16, 16, 32, 32));
    QVERIFY(!icon->pixmap().isNull());

    auto *title = qobject_cast<QLabel *>(child(about, "StaticText"));
    QCOMPARE(title->text(), QStringLiteral("Zelvara 1.06"));
    QCOMPARE(title->pos(), QPoint(64, 20));
    QCOMPARE(title->font().pointSize(), 14);

    auto *bevel = qobject_cast<QFrame *>(child(about, "Bevel"));
    QCOMPARE(bevel->frameShape(), QFrame::HLine);
    QCOMPARE(bevel->pos(), QPoint(8, 171));
    QCOMPARE(bevel->width(), 361);

    auto *close = qobject_cast<QPushButton *>(child(about, "Close1"));
    QCOMPARE(close->text(), QStringLiteral("Закрыть"));
    QCOMPARE(close->accessibleName(), QStringLiteral("Закрыть"));
    QCOMPARE(close->geometry(), QRect(128, 264, 121, 41));
    QVERIFY(!close->icon().isNull());
}

void AboutWindowTest::descriptionLines_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    QTest::newRow("1") << 1 << "Программа подсчитывает выигрыш или проигрыш каждого игрока";
    QTest::newRow("2") << 2 << "на основе конечных результатов пули при игре в преферанс. При";
    QTest::newRow("3") << 3 << "этом имеется возможность установить количество игроков, тип";
    QTest::newRow("4 ends with a hyphen and a blank")
        << 4 << "игры и делимость горы. Расчет производится с учетом рекоменда- ";
    QTest::newRow("5") << 5 << "ций Кодекса преферанса, согласно которому в случае возникно-";
    QTest::newRow("6") << 6 << "вения дробных частей итоговых сумм делаются поправки в горе и";
    QTest::newRow("7") << 7 << "вистах игроков для того, чтобы деление шло без остатка.";
}

void AboutWindowTest::descriptionLines()
{
    QFETCH(int, line);
    QFETCH(QString, text);
    QWidget main;
    TAboutProgram about(&main);
    auto *label = about.findChild<QLabel *>(QStringLiteral("Description") + QString::number(line));
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->geometry().topLeft(), QPoint(16, 64 + 13 * (line - 1)));
    QCOMPARE(label->width(), 345);
    // The line is not clipped by its width.
    QVERIFY2(label->fontMetrics().horizontalAdvance(text) <= 345,
             qPrintable(QString::number(label->fontMetrics().horizontalAdvance(text))));
}

void AboutWindowTest::open_disablesMainWindowWithoutModalLoop()
{
    QWidget main;
    main.show();
    TAboutProgram about(&main);
    about.showAbout(); // returns at once: no modal loop runs
    QVERIFY(about.isVisible());
    QVERIFY(!about.isModal());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(!main.isEnabled());
    // The window itself still takes input.
    QVERIFY(about.isEnabled());
    QVERIFY(child(about, "Close1")->isEnabled());
}

void AboutWindowTest::close_data()
{
    QTest::addColumn<bool>("byButton");
    QTest::newRow("the Закрыть button") << true;
    QTest::newRow("the close box or Alt+F4") << false;
}

void AboutWindowTest::close()
{
    QFETCH(bool, byButton);
    QWidget main;
    main.show();
    TAboutProgram about(&main);
    for (int round = 0; round < 2; ++round) { // opening again shows the same window
        about.showAbout();
        QVERIFY(!main.isEnabled());
        if (byButton)
            QTest::mouseClick(child(about, "Close1"), Qt::LeftButton);
        else
            about.close(); // the window manager's close request ends in the same close event
        QVERIFY(about.isHidden());
        QVERIFY(main.isEnabled());
    }
}

void AboutWindowTest::position_centredFirstThenKept()
{
    QWidget main;
    main.setGeometry(100, 120, 511, 473);
    main.show();
    TAboutProgram about(&main);
    about.showAbout();
    QVERIFY(qAbs(about.frameGeometry().center().x() - main.frameGeometry().center().x()) <= 1);
    QVERIFY(qAbs(about.frameGeometry().center().y() - main.frameGeometry().center().y()) <= 1);

    about.move(30, 40);
    const QPoint left = about.pos();
    about.close();
    main.move(300, 300);
    about.showAbout();
    QCOMPARE(about.pos(), left);
}

QTEST_MAIN(AboutWindowTest)
#include "about_window_test.moc"
