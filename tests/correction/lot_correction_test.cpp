// SPDX-License-Identifier: GPL-3.0-or-later
#include "correction/correction.h"
#include "tests/support/apply_writes.h"
#include "tests/support/test_sheets.h"

#include <QTest>

using namespace zelvara::engine;
using namespace zelvara::correction;
using namespace zelvara::testing;

class LotCorrectionTest : public QObject
{
    Q_OBJECT

private slots:
    void correction_writesDrawnPlayerAndRounds_data();
    void correction_writesDrawnPlayerAndRounds();
    void accept_generatedSheetsSettleToTheSameTexts();
};

void LotCorrectionTest::correction_writesDrawnPlayerAndRounds_data()
{
    QTest::addColumn<char>("separator");
    QTest::addColumn<int>("players");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<int>("drawn");
    QTest::addColumn<QString>("writes");
    QTest::addColumn<QString>("accepted");
    QTest::addColumn<QString>("declined");

    struct Row
    {
        const char *name;
        int players;
        QString fields;
        int drawn;
        QString writes;
        QString accepted;
        QString declined;
    };
    const std::vector<Row> rows{
        {"three players, drawn loses a point", 3, u"H=1"_qs, 2, u"H2=-1 W12=3 W32=3"_qs, u"-7r +4 +3"_qs,
         u"-6,67r +3,33 +3,33"_qs},
        {"three players, drawn gains a point", 3, u"H=2"_qs, 3, u"H3=1 W31=3 W32=3"_qs, u"-13r +7 +6"_qs,
         u"-13,33r +6,67 +6,67"_qs},
        {"three players, direction from the raised sum", 3, u"P=2"_qs, 1, u"H1=-1 W21=3 W31=3"_qs, u"+14 -7r -7r"_qs,
         u"+13,33 -6,67r -6,67r"_qs},
        {"three players, rounding keeps the unrounded sign", 3, u"H=1;W12=3;V=0,01"_qs, 1, u"H1=0 W21=3 W31=3"_qs,
         u"-0,03r 0 +0,03"_qs, u"-0,04r +0 +0,03"_qs},
        {"four players, drawn gains a point", 4, u"H=1"_qs, 3, u"H3=1 W31=3 W32=3 W34=3"_qs, u"-8r +2 +4 +2"_qs,
         u"-7,5r +2,5 +2,5 +2,5"_qs},
        {"four players at 0,01, half a hundredth away from zero", 4, u"H=1;V=0,01"_qs, 1, u"H1=2 W12=3 W13=3 W14=3"_qs,
         u"-0,06r +0,02 +0,02 +0,02"_qs, u"-0,08r +0,03 +0,03 +0,03"_qs},
        {"four players, negative whist value", 4, u"H=1;V=-0,01"_qs, 2, u"H2=1 W21=3 W23=3 W24=3"_qs,
         u"+0,08 -0,04r -0,02r -0,02r"_qs, u"+0,08 -0,03r -0,03r -0,03r"_qs},
        {"a heap beyond the typing limit", 4, u"H=99999"_qs, 1, u"H1=100000 W12=3 W13=3 W14=3"_qs,
         u"-749991r +249997 +249997 +249997"_qs, u"-749992,5r +249997,5 +249997,5 +249997,5"_qs},
        {"a heap at the 32-bit limit is written in full", 4, u"H=2147483647"_qs, 1,
         u"H1=2147483648 W12=3 W13=3 W14=3"_qs, u"-16106127351r +5368709117 +5368709117 +5368709117"_qs,
         u"-16106127352,5r +5368709117,5 +5368709117,5 +5368709117,5"_qs},
    };
    for (const char separator : {',', '.'}) {
        for (const Row &row : rows) {
            QTest::addRow("%s %c", row.name, separator)
                << separator << row.players << row.fields << row.drawn << row.writes
                << localised(row.accepted, separator) << localised(row.declined, separator);
        }
    }
}

void LotCorrectionTest::correction_writesDrawnPlayerAndRounds()
{
    QFETCH(char, separator);
    QFETCH(int, players);
    QFETCH(QString, fields);
    QFETCH(int, drawn);
    QFETCH(QString, writes);
    QFETCH(QString, accepted);
    QFETCH(QString, declined);
    const SheetTexts sheet = sheetFrom(players, fields, separator);
    QVERIFY(dialogOf(settle(sheet, {GameType::Sochi, HeapDivision::OnNPlayers}, separator)) ==
            CorrectionDialog::ChoiceOfPlayer);
    const Shown ok = acceptLotCorrection(checkedValues(sheet, separator), GameType::Sochi, drawn, separator);
    QCOMPARE(describeWrites(ok.writes), writes);
    QCOMPARE(describe(ok.results), accepted);
    QCOMPARE(describe(declineLotCorrection(checkedValues(sheet, separator), GameType::Sochi, separator).results),
             declined);
}

void LotCorrectionTest::accept_generatedSheetsSettleToTheSameTexts()
{
    int corrected = 0;
    for (const char separator : {',', '.'}) {
        SheetGenerator generator(4242);
        for (int round = 0; round < 3000; ++round) {
            const auto c = generator.next(separator, 3 + round % 2, HeapDivision::OnNPlayers);
            if (dialogOf(settle(c.sheet, c.options, separator)) != CorrectionDialog::ChoiceOfPlayer) {
                continue;
            }
            const int players = c.sheet.players;
            for (int drawn = 1; drawn <= players; ++drawn) {
                ++corrected;
                const auto where = qPrintable(QStringLiteral("sheet %1 drawn %2").arg(round).arg(drawn));
                const Shown ok =
                    acceptLotCorrection(checkedValues(c.sheet, separator), c.options.gameType, drawn, separator);
                const SheetTexts after = zelvara::testing::applyWrites(c.sheet, ok.writes);
                const SettlementOutcome again = settle(after, c.options, separator);
                const auto *results = std::get_if<Results>(&again);
                QVERIFY2(results, where);
                QCOMPARE(describe(resultTexts(*results, separator)), describe(ok.results));
                // Only the drawn player's heap moves, by one point.
                const auto before = readInteger(c.sheet.heaps[static_cast<std::size_t>(drawn - 1)]);
                const auto moved = readInteger(after.heaps[static_cast<std::size_t>(drawn - 1)]);
                QVERIFY2(before && moved && (*moved - *before == 1 || *moved - *before == -1), where);
                QCOMPARE(static_cast<int>(ok.writes.size()), players);
            }
        }
    }
    QVERIFY(corrected > 500);
}

QTEST_APPLESS_MAIN(LotCorrectionTest)
#include "lot_correction_test.moc"
