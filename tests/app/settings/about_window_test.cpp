// SPDX-License-Identifier: GPL-3.0-or-later
// The About window on its own: its texts and where it appears. Opening it from the main window and
// closing it are tested with the main window.

#include "app/about_window.h"
#include "tests/support/announced_captions.h"
#include "zelvara/version.h"

#include <QLabel>
#include <QTest>

using zelvara::app::TAboutProgram;

class AboutWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
    void position_centredFirstThenKept();
};

void AboutWindowTest::texts_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::newRow("title") << "StaticText" << QStringLiteral("Zelvara %1").arg(QLatin1StringView(zelvara::Version));
    QTest::newRow("1") << "Description1"
                       << "Программа подсчитывает выигрыш или проигрыш каждого игрока";
    QTest::newRow("2") << "Description2"
                       << "на основе конечных результатов пули при игре в преферанс. При";
    QTest::newRow("3") << "Description3"
                       << "этом имеется возможность установить количество игроков, тип";
    QTest::newRow("4 ends with a hyphen and a blank")
        << "Description4"
        << "игры и делимость горы. Расчет производится с учетом рекоменда- ";
    QTest::newRow("5") << "Description5"
                       << "ций Кодекса преферанса, согласно которому в случае возникно-";
    QTest::newRow("6") << "Description6"
                       << "вения дробных частей итоговых сумм делаются поправки в горе и";
    QTest::newRow("7") << "Description7"
                       << "вистах игроков для того, чтобы деление шло без остатка.";
}

void AboutWindowTest::texts()
{
    QFETCH(QString, label);
    QFETCH(QString, text);
    QWidget main;
    TAboutProgram about(&main);
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
    QCOMPARE(zelvara::testing::captionMismatches(&about), QStringList());
    auto *shown = about.findChild<QLabel *>(label);
    QVERIFY(shown);
    QCOMPARE(shown->text(), text);
    // Drawn whole within the label's designed width.
    QVERIFY2(shown->fontMetrics().horizontalAdvance(text) <= shown->width(),
             qPrintable(QString::number(shown->fontMetrics().horizontalAdvance(text))));
}

void AboutWindowTest::position_centredFirstThenKept()
{
    QWidget main;
    main.setGeometry(100, 120, 511, 473);
    main.show();
    TAboutProgram about(&main);
    about.showAbout();
    const QPoint offset = about.frameGeometry().center() - main.frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 2, qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));

    about.move(30, 40);
    const QPoint left = about.pos();
    about.close();
    main.move(300, 300);
    about.showAbout();
    QCOMPARE(about.pos(), left);
}

QTEST_MAIN(AboutWindowTest)
#include "about_window_test.moc"
