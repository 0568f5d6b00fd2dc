// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/settlement.h"
#include "tests/support/test_sheets.h"

#include <QTest>

#include <cmath>

using namespace zelvara::engine;
using namespace zelvara::testing;

namespace {

QString outcomeText(const SettlementOutcome &outcome, char separator)
{
    if (const auto *results = std::get_if<Results>(&outcome)) {
        return describe(resultTexts(*results, separator));
    }
    if (const auto *failure = std::get_if<ValidationFailure>(&outcome)) {
        return u"message " + QString::fromStdString(failure->message);
    }
    return std::get<CorrectionDialog>(outcome) == CorrectionDialog::ChoiceOfPlayer ? QStringLiteral("dialog lot")
                                                                                   : QStringLiteral("dialog confirm");
}

QString message(const char *text)
{
    return u"message " + QString::fromUtf8(text);
}

const QString Example1 = QStringLiteral("H=20/4/12/0;P=10/8/6/10;W12=20;W21=4;W34=6;W41=2;");
const QString Example3 = QStringLiteral("V=0,5;H=14/10/8;P=10/5/0;W12=30;W21=10;W13=12;W31=0;W23=5;W32=7");
const QString Example6 = QStringLiteral("H=6/2;P=/4;W12=10;W21=4");

} // namespace

class SettlementTest : public QObject
{
    Q_OBJECT

private slots:
    void settle_showsTheSheetsResult_data();
    void settle_showsTheSheetsResult();
    void settle_generatedSheetsMatchExactArithmetic();
};

void SettlementTest::settle_showsTheSheetsResult_data()
{
    QTest::addColumn<char>("separator");
    QTest::addColumn<int>("players");
    QTest::addColumn<GameType>("game");
    QTest::addColumn<HeapDivision>("division");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("expected"); // results with "r" for red, "dialog ...", or "message ..."

    constexpr auto Sochi = GameType::Sochi;
    constexpr auto Leningrad = GameType::Leningrad;
    constexpr auto OnN = HeapDivision::OnNPlayers;
    constexpr auto OnNMinus1 = HeapDivision::OnNPlayersMinus1;
    constexpr auto Whole = HeapDivision::Nondivisible;
    const QString example2 = Example1 + u"H=21/4/12/0;";

    struct Row
    {
        const char *name;
        int players;
        GameType game;
        HeapDivision division;
        QString fields;
        QString expected;
    };
    const std::vector<Row> rows{
        {"example 1", 4, Sochi, OnN, Example1, u"-81r +29 -49r +101"_qs},
        {"example 1 at a half", 4, Sochi, OnN, Example1 + u"V=0,5", u"-40,5r +14,5 -24,5r +50,5"_qs},
        {"example 1 at minus one", 4, Sochi, OnN, Example1 + u"V=-1", u"+81 -29r +49 -101r"_qs},
        {"example 2 at 1 opens the lot", 4, Sochi, OnN, example2, u"dialog lot"_qs},
        {"example 2 at 3 opens the lot", 4, Sochi, OnN, example2 + u"V=3", u"dialog lot"_qs},
        {"example 2 at 0,01 opens the lot", 4, Sochi, OnN, example2 + u"V=0,01", u"dialog lot"_qs},
        {"example 2 at 2", 4, Sochi, OnN, example2 + u"V=2", u"-177r +63 -93r +207"_qs},
        {"example 2 at a half", 4, Sochi, OnN, example2 + u"V=0,5", u"-44,25r +15,75 -23,25r +51,75"_qs},
        {"odd heap sum at 0,1", 4, Sochi, OnN, u"H=1;V=0,1"_qs, u"-0,75r +0,25 +0,25 +0,25"_qs},
        {"odd heap sum at -0,5 opens the lot", 4, Sochi, OnN, u"H=1;V=-0,5"_qs, u"dialog lot"_qs},
        {"example 3", 3, Leningrad, OnNMinus1, Example3, u"+66 -6r -60r"_qs},
        {"example 4 levelled", 4, Sochi, OnNMinus1, u"H=4/1/7/10"_qs, u"+20 +60 -20r -60r"_qs},
        {"example 4 under Leningrad", 4, Leningrad, OnNMinus1, u"H=4/1/7/10"_qs, u"+20 +60 -20r -60r"_qs},
        {"example 4 opens the confirmation", 4, Sochi, OnNMinus1, u"H=4/2/7/10"_qs, u"dialog confirm"_qs},
        {"example 4 at 3", 4, Sochi, OnNMinus1, u"H=4/2/7/10;V=3"_qs, u"+70 +150 -50r -170r"_qs},
        {"negative heaps shifted first", 4, Sochi, OnNMinus1, u"H=0/1/4/7;P=2"_qs, u"+60 +20 -20r -60r"_qs},
        {"cancelled thirds show 0", 4, Sochi, OnNMinus1, u"H=0/0/1/3;V=3"_qs, u"+40 +40 0 -80r"_qs},
        {"example 5", 4, Sochi, Whole, Example1, u"-366r +164 -214r +416"_qs},
        {"example 6 on two", 2, Sochi, OnN, Example6, u"-34r +34"_qs},
        {"example 6 undivided", 2, Sochi, Whole, Example6, u"-74r +74"_qs},
        {"example 6 on N-1 is undivided", 2, Sochi, OnNMinus1, Example6, u"-74r +74"_qs},
        {"three players at 0,03", 3, Sochi, OnN, u"H=1;V=0,03"_qs, u"-0,2r +0,1 +0,1"_qs},
        {"three players at 3", 3, Sochi, OnN, u"H=1;V=3"_qs, u"-20r +10 +10"_qs},
        {"three players at 1 opens the lot", 3, Sochi, OnN, u"H=1"_qs, u"dialog lot"_qs},
        {"three players, sum divisible by 3", 3, Sochi, OnN, u"H=2/1"_qs, u"-10r 0 +10"_qs},
        {"empty sheet, four on three", 4, Leningrad, OnNMinus1, {}, u"0 0 0 0"_qs},
        {"empty sheet, four undivided", 4, Sochi, Whole, {}, u"0 0 0 0"_qs},
        {"empty sheet, three on two", 3, Sochi, OnNMinus1, {}, u"0 0 0"_qs},
        {"negative zero shows 0", 2, Sochi, OnN, u"V=-1"_qs, u"0 0"_qs},
        {"longest texts", 2, Sochi, Whole, u"H=99999;W21=999999"_qs, u"-1999989r +1999989"_qs},
        {"third decimal fails", 4, Sochi, OnN, u"V=0,125"_qs, message(WhistValueMessage)},
        {"other separator fails", 4, Sochi, OnN, u"V=0.5"_qs, message(WhistValueMessage)},
        {"empty whist value fails", 4, Sochi, OnN, u"V="_qs, message(WhistValueMessage)},
        {"blank whist value fails", 4, Sochi, OnN, u"V= "_qs, message(WhistValueMessage)},
        {"third decimal below -1000 fails", 4, Sochi, OnN, u"V=-1000,005"_qs, message(WhistValueMessage)},
        {"whist value checked first", 4, Sochi, OnN, u"V=x;N1=;H=x"_qs, message(WhistValueMessage)},
        {"empty name", 3, Sochi, OnN, u"N2=;N3=Запад;H=x"_qs, message(NamesMissingMessage)},
        {"names equal", 2, Sochi, OnN, u"N1=Юг;H=x"_qs, message(NamesEqualMessage)},
        {"names differ by case", 2, Sochi, OnN, u"N1=юг"_qs, u"0 0"_qs},
        {"names differ by a blank", 2, Sochi, OnN, u"N1=Юг "_qs, u"0 0"_qs},
        {"a blank is a name", 2, Sochi, OnN, u"N1= "_qs, u"0 0"_qs},
        {"blank heap", 4, Sochi, OnN, u"H=// "_qs, message(IntegerMessage)},
        {"bad pool", 3, Sochi, OnN, u"P=//1,5"_qs, message(IntegerMessage)},
        {"bad last whists field", 4, Sochi, OnN, u"W34=--"_qs, message(IntegerMessage)},
        {"heap sum beyond 32 bits", 4, Sochi, OnN, u"H=2147483647/1"_qs, message(TooLargeMessage)},
        {"adjusted heap beyond 32 bits", 4, Leningrad, Whole, u"P=1073741824"_qs, message(TooLargeMessage)},
        {"claim beyond 32 bits", 2, Sochi, OnN, u"H=214748365"_qs, message(TooLargeMessage)},
        {"shift beyond 32 bits", 4, Sochi, OnNMinus1, u"H=-2147483648/2147483647"_qs, message(TooLargeMessage)},
        {"largest heap needs no wide step", 4, Sochi, OnN, u"H=2147483647;V=2"_qs,
         u"-32212254705r +10737418235 +10737418235 +10737418235"_qs},
    };
    for (const char separator : {',', '.'}) {
        for (const Row &row : rows) {
            QTest::addRow("%s %c", row.name, separator)
                << separator << row.players << row.game << row.division << row.fields
                << (row.expected.startsWith(u"message") ? row.expected : localised(row.expected, separator));
        }
    }
}

void SettlementTest::settle_showsTheSheetsResult()
{
    QFETCH(char, separator);
    QFETCH(int, players);
    QFETCH(GameType, game);
    QFETCH(HeapDivision, division);
    QFETCH(QString, fields);
    QFETCH(QString, expected);
    const SheetTexts sheet = sheetFrom(players, fields, separator);
    QCOMPARE(outcomeText(settle(sheet, {game, division}, separator), separator), expected);
}

void SettlementTest::settle_generatedSheetsMatchExactArithmetic()
{
    int dialogs = 0;
    int settled = 0;
    for (const char separator : {',', '.'}) {
        SheetGenerator generator(20261208);
        for (int round = 0; round < 3000; ++round) {
            const SheetGenerator::Case c = generator.next(separator);
            const SettlementOutcome outcome = settle(c.sheet, c.options, separator);
            QVERIFY2(!std::holds_alternative<ValidationFailure>(outcome), c.sheet.whistValue.c_str());
            const auto *results = std::get_if<Results>(&outcome);
            if (!results) {
                ++dialogs;
                continue;
            }
            ++settled;
            const SheetValues values = checkedValues(c.sheet, separator);
            const auto exact =
                exactBalancesTimes12(values, c.options.gameType, heapDivisor(c.options.heapDivision, values.players));
            long double sum = 0;
            long double magnitude = 0;
            for (std::size_t i = 0; i < static_cast<std::size_t>(values.players); ++i) {
                const long double r = results->values[i];
                QVERIFY2(std::fabs(r - exactResult(exact[i], c.whistHundredths)) < 1e-9L,
                         qPrintable(QStringLiteral("sheet %1 player %2").arg(round).arg(i + 1)));
                sum += r;
                magnitude += std::fabs(r);
            }
            QVERIFY2(std::fabs(sum) <= 1e-9L * (1 + magnitude), qPrintable(QString::number(round)));
        }
    }
    // The generator must reach both ends, or the checks above prove little.
    QVERIFY(dialogs > 100);
    QVERIFY(settled > 3000);
}

QTEST_APPLESS_MAIN(SettlementTest)
#include "settlement_test.moc"
