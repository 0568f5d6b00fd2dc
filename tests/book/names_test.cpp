// SPDX-License-Identifier: GPL-3.0-or-later
#include "book/dates.h"
#include "book/names.h"

#include <QTest>

using namespace zelvara::book;

class NamesTest : public QObject
{
    Q_OBJECT

private slots:
    void nameKey_matchesAsPlayersDo_data();
    void nameKey_matchesAsPlayersDo();
    void gameDate_readsIsoWithOffset_data();
    void gameDate_readsIsoWithOffset();
};

void NamesTest::nameKey_matchesAsPlayersDo_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");

    QTest::newRow("Cyrillic case") << u"АНЯ"_qs << u"аня"_qs << true;
    QTest::newRow("blanks around, tabs and no-break spaces") << u" \tАня\u00A0"_qs << u"Аня"_qs << true;
    QTest::newRow("blanks inside count") << u"Анна Мария"_qs << u"АннаМария"_qs << false;
    QTest::newRow("ё is е") << u"Алёна"_qs << u"АЛЕНА"_qs << true;
    QTest::newRow("Ё is е") << u"ЁЖИК"_qs << u"ежик"_qs << true;
    QTest::newRow("Latin case") << u"Pete"_qs << u"PETE"_qs << true;
    QTest::newRow("Latin-1 letters") << u"JOSÉ"_qs << u"josé"_qs << true;
    QTest::newRow("Ukrainian and Belarusian letters") << u"ЇЖАК Ў Ґ"_qs << u"їжак ў ґ"_qs << true;
    QTest::newRow("Latin a is not Cyrillic а") << u"a"_qs << u"а"_qs << false;
    QTest::newRow("й is not и") << u"Йоган"_qs << u"Иоган"_qs << false;
    QTest::newRow("different names") << u"Саша"_qs << u"Александр"_qs << false;
}

void NamesTest::nameKey_matchesAsPlayersDo()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    QCOMPARE(nameKey(a.toStdString()) == nameKey(b.toStdString()), same);
    // The key does not change with the locale: the program never asks it.
    QCOMPARE(QString::fromStdString(nameKey(u"Алёна"_qs.toStdString())), u"алена"_qs);
}

void NamesTest::gameDate_readsIsoWithOffset_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written");
    QTest::addColumn<qint64>("utc");

    QTest::newRow("with offset") << u"2026-12-08T21:40:00+03:00"_qs << u"2026-12-08T21:40:00+03:00"_qs
                                 << qint64{1796755200};
    QTest::newRow("seconds left out") << u"2026-12-08T21:40+03:00"_qs << u"2026-12-08T21:40:00+03:00"_qs
                                      << qint64{1796755200};
    QTest::newRow("Z") << u"2026-12-08T18:40:00Z"_qs << u"2026-12-08T18:40:00+00:00"_qs << qint64{1796755200};
    QTest::newRow("west of Greenwich") << u"2026-12-08T13:40:00-05:00"_qs << u"2026-12-08T13:40:00-05:00"_qs
                                       << qint64{1796755200};
    QTest::newRow("leap day") << u"2028-02-29T00:00:00+00:00"_qs << u"2028-02-29T00:00:00+00:00"_qs
                              << qint64{1835395200};
    QTest::newRow("no leap day in 2100") << u"2100-02-29T00:00:00+00:00"_qs << QString() << qint64{0};
    QTest::newRow("no offset") << u"2026-12-08T21:40:00"_qs << QString() << qint64{0};
    QTest::newRow("hour 24") << u"2026-12-08T24:00:00+03:00"_qs << QString() << qint64{0};
    QTest::newRow("trailing text") << u"2026-12-08T21:40:00+03:00x"_qs << QString() << qint64{0};
}

void NamesTest::gameDate_readsIsoWithOffset()
{
    QFETCH(QString, text);
    QFETCH(QString, written);
    QFETCH(qint64, utc);
    const auto date = readGameDate(text.toStdString());
    QCOMPARE(date.has_value(), !written.isEmpty());
    if (date) {
        QCOMPARE(QString::fromStdString(date->text), written);
        QCOMPARE(date->utc, utc);
        QCOMPARE(QString::fromStdString(date->day), text.left(10));
    }
}

QTEST_APPLESS_MAIN(NamesTest)
#include "names_test.moc"
