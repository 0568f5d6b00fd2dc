// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/settlement.h"
#include "tests/engine/test_sheets.h"

#include <QTest>

#include <cmath>

using namespace zelvara::engine;
using namespace zelvara::testing;

namespace {

QString outcomeText(const SettlementOutcome &outcome, char separator)
{
    if (const auto *results = std::get_if<Results>(&outcome)) {
        return describe(showResults(*results, separator));
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

const QString Example1 = QStringLiteral("HeapOfP1For4=20;HeapOfP2For4=4;HeapOfP3For4=12;HeapOfP4For4=0;"
                                        "PoolOfP1For4=10;PoolOfP2For4=8;PoolOfP3For4=6;PoolOfP4For4=10;"
                                        "WhistsOfP1ToP2For4=20;WhistsOfP2ToP1For4=4;WhistsOfP3ToP4For4=6;"
                                        "WhistsOfP4ToP1For4=2;");
const QString Example3 = QStringLiteral("ValueOfWhistFor3=0,5;HeapOfP1For3=14;HeapOfP2For3=10;HeapOfP3For3=8;"
                                        "PoolOfP1For3=10;PoolOfP2For3=5;PoolOfP3For3=0;WhistsOfP1ToP2For3=30;"
                                        "WhistsOfP2ToP1For3=10;WhistsOfP1ToP3For3=12;WhistsOfP3ToP1For3=0;"
                                        "WhistsOfP2ToP3For3=5;WhistsOfP3ToP2For3=7");
const QString Example6 = QStringLiteral("HeapOfP1For2=6;HeapOfP2For2=2;PoolOfP2For2=4;WhistsOfP1ToP2For2=10;"
                                        "WhistsOfP2ToP1For2=4");

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
    const QString example2 = Example1 + u"HeapOfP1For4=21;";
    const QString heapOne4 = QStringLiteral("HeapOfP1For4=1;");
    const QString heapOne3 = QStringLiteral("HeapOfP1For3=1;");
    const QString whist4 = QStringLiteral("ValueOfWhistFor4=");
    const QString whist3 = QStringLiteral("ValueOfWhistFor3=");

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
        {"example 1 at a half", 4, Sochi, OnN, Example1 + whist4 + u"0,5", u"-40,5r +14,5 -24,5r +50,5"_qs},
        {"example 1 at minus one", 4, Sochi, OnN, Example1 + whist4 + u"-1", u"+81 -29r +49 -101r"_qs},
        {"example 2 at 1 opens the lot", 4, Sochi, OnN, example2, u"dialog lot"_qs},
        {"example 2 at 3 opens the lot", 4, Sochi, OnN, example2 + whist4 + u"3", u"dialog lot"_qs},
        {"example 2 at 0,01 opens the lot", 4, Sochi, OnN, example2 + whist4 + u"0,01", u"dialog lot"_qs},
        {"example 2 at 2", 4, Sochi, OnN, example2 + whist4 + u"2", u"-177r +63 -93r +207"_qs},
        {"example 2 at a half", 4, Sochi, OnN, example2 + whist4 + u"0,5", u"-44,25r +15,75 -23,25r +51,75"_qs},
        {"odd heap sum at 0,1", 4, Sochi, OnN, heapOne4 + whist4 + u"0,1", u"-0,75r +0,25 +0,25 +0,25"_qs},
        {"odd heap sum at 0,5", 4, Sochi, OnN, heapOne4 + whist4 + u"0,5", u"-3,75r +1,25 +1,25 +1,25"_qs},
        {"odd heap sum at -0,5 opens the lot", 4, Sochi, OnN, heapOne4 + whist4 + u"-0,5", u"dialog lot"_qs},
        {"example 3", 3, Leningrad, OnNMinus1, Example3, u"+66 -6r -60r"_qs},
        {"example 4 levelled", 4, Sochi, OnNMinus1, u"HeapOfP1For4=4;HeapOfP2For4=1;HeapOfP3For4=7;HeapOfP4For4=10"_qs,
         u"+20 +60 -20r -60r"_qs},
        {"example 4 under Leningrad", 4, Leningrad, OnNMinus1,
         u"HeapOfP1For4=4;HeapOfP2For4=1;HeapOfP3For4=7;HeapOfP4For4=10"_qs, u"+20 +60 -20r -60r"_qs},
        {"example 4 opens the confirmation", 4, Sochi, OnNMinus1,
         u"HeapOfP1For4=4;HeapOfP2For4=2;HeapOfP3For4=7;HeapOfP4For4=10"_qs, u"dialog confirm"_qs},
        {"example 4 at 3", 4, Sochi, OnNMinus1,
         u"HeapOfP1For4=4;HeapOfP2For4=2;HeapOfP3For4=7;HeapOfP4For4=10;ValueOfWhistFor4=3"_qs,
         u"+70 +150 -50r -170r"_qs},
        {"negative heaps shifted before residues", 4, Sochi, OnNMinus1,
         u"PoolOfP1For4=2;HeapOfP2For4=1;HeapOfP3For4=4;HeapOfP4For4=7"_qs, u"+60 +20 -20r -60r"_qs},
        {"cancelled thirds show zero in navy", 4, Sochi, OnNMinus1,
         u"HeapOfP3For4=1;HeapOfP4For4=3;ValueOfWhistFor4=3"_qs, u"+40 +40 0 -80r"_qs},
        {"example 5", 4, Sochi, Whole, Example1, u"-366r +164 -214r +416"_qs},
        {"example 6 on two", 2, Sochi, OnN, Example6, u"-34r +34"_qs},
        {"example 6 undivided", 2, Sochi, Whole, Example6, u"-74r +74"_qs},
        {"example 6 on N-1 counts as undivided", 2, Sochi, OnNMinus1, Example6, u"-74r +74"_qs},
        {"three players at 0,03", 3, Sochi, OnN, heapOne3 + whist3 + u"0,03", u"-0,2r +0,1 +0,1"_qs},
        {"three players at 3", 3, Sochi, OnN, heapOne3 + whist3 + u"3", u"-20r +10 +10"_qs},
        {"three players at 1 opens the lot", 3, Sochi, OnN, heapOne3, u"dialog lot"_qs},
        {"three players, sum divisible by 3", 3, Sochi, OnN, u"HeapOfP1For3=2;HeapOfP2For3=1"_qs, u"-10r 0 +10"_qs},
        {"empty sheet, four on three", 4, Leningrad, OnNMinus1, {}, u"0 0 0 0"_qs},
        {"empty sheet, four undivided", 4, Sochi, Whole, {}, u"0 0 0 0"_qs},
        {"empty sheet, three on two", 3, Sochi, OnNMinus1, {}, u"0 0 0"_qs},
        {"empty sheet at zero", 2, Sochi, OnN, u"ValueOfWhistFor2=0"_qs, u"0 0"_qs},
        {"longest heap and whists texts", 2, Sochi, Whole, u"HeapOfP1For2=99999;WhistsOfP2ToP1For2=999999"_qs,
         u"-1999989r +1999989"_qs},
        {"third decimal fails", 4, Sochi, OnN, whist4 + u"0,125", message(WhistValueMessage)},
        {"other separator fails", 4, Sochi, OnN, whist4 + u"0.5", message(WhistValueMessage)},
        {"empty whist value fails", 4, Sochi, OnN, whist4, message(WhistValueMessage)},
        {"blank whist value fails", 4, Sochi, OnN, whist4 + u" ", message(WhistValueMessage)},
        {"third decimal below -1000 fails", 4, Sochi, OnN, whist4 + u"-1000,005", message(WhistValueMessage)},
        {"whist value checked first", 4, Sochi, OnN, u"ValueOfWhistFor4=x;NameOfP1For4=;HeapOfP1For4=x"_qs,
         message(WhistValueMessage)},
        {"empty name", 3, Sochi, OnN, u"NameOfP2For3=;NameOfP3For3=Запад;HeapOfP1For3=x"_qs,
         message(NamesMissingMessage)},
        {"names equal", 2, Sochi, OnN, u"NameOfP1For2=Юг;HeapOfP1For2=x"_qs, message(NamesEqualMessage)},
        {"names differ by case", 2, Sochi, OnN, u"NameOfP1For2=юг"_qs, u"0 0"_qs},
        {"names differ by a blank", 2, Sochi, OnN, u"NameOfP1For2=Юг "_qs, u"0 0"_qs},
        {"a blank is a name", 2, Sochi, OnN, u"NameOfP1For2= "_qs, u"0 0"_qs},
        {"blank heap", 4, Sochi, OnN, u"HeapOfP3For4= "_qs, message(IntegerMessage)},
        {"bad pool", 3, Sochi, OnN, u"PoolOfP3For3=1,5"_qs, message(IntegerMessage)},
        {"bad last whists field", 4, Sochi, OnN, u"WhistsOfP3ToP4For4=--"_qs, message(IntegerMessage)},
        {"heap sum beyond 32 bits", 4, Sochi, OnN, u"HeapOfP1For4=2147483647;HeapOfP2For4=1"_qs,
         message(TooLargeMessage)},
        {"adjusted heap beyond 32 bits", 4, Leningrad, Whole, u"PoolOfP1For4=1073741824"_qs, message(TooLargeMessage)},
        {"claim beyond 32 bits", 2, Sochi, OnN, u"HeapOfP1For2=214748365"_qs, message(TooLargeMessage)},
        {"shift beyond 32 bits", 4, Sochi, OnNMinus1, u"HeapOfP1For4=-2147483648;HeapOfP2For4=2147483647"_qs,
         message(TooLargeMessage)},
        {"largest heap needs no wide step", 4, Sochi, OnN, u"HeapOfP1For4=2147483647;ValueOfWhistFor4=2"_qs,
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
            const SheetValues values = readSheetUnchecked(c.sheet, separator);
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
