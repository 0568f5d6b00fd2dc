// SPDX-License-Identifier: GPL-3.0-or-later
#include "correction/correction.h"
#include "tests/support/apply_writes.h"
#include "tests/support/test_sheets.h"

#include <QTest>

#include <cmath>

using namespace zelvara::engine;
using namespace zelvara::correction;
using namespace zelvara::testing;

class ConfirmedCorrectionTest : public QObject
{
    Q_OBJECT

private slots:
    void correction_proposesWritesAndRounds_data();
    void correction_proposesWritesAndRounds();
    void proposal_isEmptyWhenResiduesAgree();
    void accept_generatedSheetsSettleWithoutDialog();
};

void ConfirmedCorrectionTest::correction_proposesWritesAndRounds_data()
{
    QTest::addColumn<char>("separator");
    QTest::addColumn<GameType>("game");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("proposal"); // the two lines joined by "|"
    QTest::addColumn<QString>("writes");
    QTest::addColumn<QString>("accepted");
    QTest::addColumn<QString>("declined");

    struct Row
    {
        const char *name;
        GameType game;
        QString fields;
        QString proposal;
        QString writes;
        QString accepted;
        QString declined;
    };
    const std::vector<Row> rows{
        {"one heap loses a point", GameType::Sochi, u"H=1"_qs, u"списать 1 очко с горы игрока Запад.|"_qs,
         u"H1=0 H2=0 H3=0 H4=0 W21=3 W31=3 W41=3"_qs, u"-9r +3 +3 +3"_qs, u"-10r +3,33 +3,33 +3,33"_qs},
        {"example sheet 4, 2, 7, 10", GameType::Sochi, u"H=4/2/7/10"_qs, u"списать 1 очко с горы игрока Север.|"_qs,
         u"H1=4 H2=1 H3=7 H4=10 W12=3 W32=3 W42=3"_qs, u"+23 +51 -17r -57r"_qs, u"+23,33 +50 -16,67r -56,67r"_qs},
        {"one gains and one loses", GameType::Sochi, u"H=5/7/9/12"_qs,
         u"добавить 1 очко в гору игрока Запад и списать 1 очко с горы игрока|Север."_qs,
         u"H1=6 H2=6 H3=9 H4=12 W12=6 W13=3 W14=3 W32=3 W42=3"_qs, u"+42 +18 -10r -50r"_qs,
         u"+43,33 +16,67 -10r -50r"_qs},
        {"one loses and one gains", GameType::Sochi, u"H=7/5/9/12;N1=Аня;N2=Боря"_qs,
         u"списать 1 очко с горы игрока Аня и добавить 1 очко в гору игрока|Боря."_qs,
         u"H1=6 H2=6 H3=9 H4=12 W21=6 W23=3 W24=3 W31=3 W41=3"_qs, u"+18 +42 -10r -50r"_qs,
         u"+16,67 +43,33 -10r -50r"_qs},
        {"the odd one gains", GameType::Sochi, u"H=1/1/1"_qs, u"добавить 1 очко в гору игрока Юг.|"_qs,
         u"H1=1 H2=1 H3=1 H4=1 W41=3 W42=3 W43=3"_qs, u"-3r -3r -3r +9"_qs, u"-3,33r -3,33r -3,33r +10"_qs},
        {"a tie goes to the smaller residue", GameType::Sochi, u"P=2/2"_qs,
         u"добавить 1 очко в гору игроков: Восток, Юг.|"_qs,
         u"H1=0 H2=0 H3=1 H4=1 W31=3 W32=3 W34=3 W41=3 W42=3 W43=3"_qs, u"+14 +14 -14r -14r"_qs,
         u"+13,33 +13,33 -13,33r -13,33r"_qs},
        {"two lose a point", GameType::Sochi, u"H=1/1"_qs, u"списать 1 очко с горы игроков: Запад, Север.|"_qs,
         u"H1=0 H2=0 H3=0 H4=0 W12=3 W21=3 W31=3 W32=3 W41=3 W42=3"_qs, u"-6r -6r +6 +6"_qs,
         u"-6,67r -6,67r +6,67 +6,67"_qs},
        {"Leningrad pool", GameType::Leningrad, u"P=1"_qs, u"списать 1 очко с горы игрока Запад.|"_qs,
         u"H1=-1 H2=0 H3=0 H4=0 W21=3 W31=3 W41=3"_qs, u"+21 -7r -7r -7r"_qs, u"+20 -6,67r -6,67r -6,67r"_qs},
        {"a heap beyond the typing limit", GameType::Sochi, u"H=99999/1/1/1"_qs,
         u"добавить 1 очко в гору игрока Запад.|"_qs, u"H1=100000 H2=1 H3=1 H4=1 W12=3 W13=3 W14=3"_qs,
         u"-999981r +333327 +333327 +333327"_qs, u"-999980r +333326,67 +333326,67 +333326,67"_qs},
        {"plus sign rules around zero", GameType::Sochi, u"H=1;V=0,01;W12=3"_qs,
         u"списать 1 очко с горы игрока Запад.|"_qs, u"H1=0 H2=0 H3=0 H4=0 W21=3 W31=3 W41=3"_qs,
         u"-0,06r 0 +0,03 +0,03"_qs, u"-0,07r +0 +0,03 +0,03"_qs},
    };
    for (const char separator : {',', '.'}) {
        for (const Row &row : rows) {
            QTest::addRow("%s %c", row.name, separator)
                << separator << row.game << row.fields << row.proposal << row.writes
                << localised(row.accepted, separator) << localised(row.declined, separator);
        }
    }
}

void ConfirmedCorrectionTest::correction_proposesWritesAndRounds()
{
    QFETCH(char, separator);
    QFETCH(GameType, game);
    QFETCH(QString, fields);
    QFETCH(QString, proposal);
    QFETCH(QString, writes);
    QFETCH(QString, accepted);
    QFETCH(QString, declined);
    const SheetTexts sheet = sheetFrom(4, fields, separator);
    QVERIFY(dialogOf(settle(sheet, {game, HeapDivision::OnNPlayersMinus1}, separator)) ==
            CorrectionDialog::ConfirmOfChange);
    const Proposal proposed = proposeConfirmedCorrection(checkedValues(sheet, separator), game);
    QCOMPARE(QString::fromStdString(proposed.line1 + "|" + proposed.line2), proposal);
    const Shown ok = acceptConfirmedCorrection(checkedValues(sheet, separator), game, proposed, separator);
    QCOMPARE(describeWrites(ok.writes), writes);
    QCOMPARE(describe(ok.results), accepted);
    QCOMPARE(describe(declineConfirmedCorrection(checkedValues(sheet, separator), game, separator).results), declined);
}

void ConfirmedCorrectionTest::proposal_isEmptyWhenResiduesAgree()
{
    const SheetTexts sheet = sheetFrom(4, u"H=1/1/1/1"_qs, ',');
    const Proposal proposal = proposeConfirmedCorrection(checkedValues(sheet, ','), GameType::Sochi);
    QCOMPARE(proposal.heapCorrections, (std::array<int, 4>{}));
    QCOMPARE(proposal.commonShift, 0);
    QVERIFY(proposal.line1.empty() && proposal.line2.empty());
}

void ConfirmedCorrectionTest::accept_generatedSheetsSettleWithoutDialog()
{
    int corrected = 0;
    for (const char separator : {',', '.'}) {
        SheetGenerator generator(31337);
        for (int round = 0; round < 2000; ++round) {
            const auto c = generator.next(separator, 4, HeapDivision::OnNPlayersMinus1);
            if (dialogOf(settle(c.sheet, c.options, separator)) != CorrectionDialog::ConfirmOfChange) {
                continue;
            }
            ++corrected;
            const auto where = qPrintable(QStringLiteral("sheet %1").arg(round));
            const Proposal proposal = proposeConfirmedCorrection(checkedValues(c.sheet, separator), c.options.gameType);
            QVERIFY2(!proposal.line1.empty(), where);
            const Shown ok =
                acceptConfirmedCorrection(checkedValues(c.sheet, separator), c.options.gameType, proposal, separator);
            const SheetTexts after = zelvara::testing::applyWrites(c.sheet, ok.writes);
            const SettlementOutcome again = settle(after, c.options, separator);
            const auto *results = std::get_if<Results>(&again);
            QVERIFY2(results, where);
            const auto exact = exactBalancesTimes12(checkedValues(after, separator), c.options.gameType, 3);
            for (std::size_t i = 0; i < 4; ++i) {
                const long double settled = results->values[i];
                const auto shown = readReal(ok.results[i].text, separator);
                QVERIFY2(shown && std::fabs(*shown - settled) < 1e-9L, where);
                QVERIFY2(std::fabs(settled - exactResult(exact[i], c.whistHundredths)) < 1e-9L, where);
                QVERIFY2(exact[i] % 12 == 0, where); // whole whists once corrected
                QCOMPARE(ok.results[i].tone, toneOf(settled));
            }
        }
    }
    QVERIFY(corrected > 200);
}

QTEST_APPLESS_MAIN(ConfirmedCorrectionTest)
#include "confirmed_correction_test.moc"
