// SPDX-License-Identifier: GPL-3.0-or-later
// The breakdown's lines as a player reads them: the worked examples word for word, and numbers that need
// more than four decimals (thirds) cut to four and marked.

#include "engine/breakdown.h"
#include "tests/support/test_sheets.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace zelvara::engine;
using namespace zelvara::testing;

namespace {

const QString Example1 = u"H=20/4/12/0;P=10/8/6/10;W12=20;W21=4;W34=6;W41=2;"_s;
const QString Example3 = u"V=0,5;H=14/10/8;P=10/5/0;W12=30;W21=10;W13=12;W31=0;W23=5;W32=7"_s;
const QString Example6 = u"H=6/2;P=/4;W12=10;W21=4"_s;

Breakdown breakdownOfSheet(int players, const QString &fields, Options options, char separator)
{
    const auto outcome = settleWorkings(sheetFrom(players, fields, separator), options, separator);
    const auto *w = std::get_if<Workings>(&outcome);
    if (w == nullptr) {
        qFatal("the test sheet does not settle");
    }
    return breakdownOf(*w, options, SheetTexts::withDesignTexts(players).names, resultTexts(w->results, separator), {},
                       separator);
}

// Three players, heap 1 on Запад, divided among all three: every share is a third, as after a declined
// lot. The settlement would open the lot's dialog; its "Отмена" settles exactly these working values.
Workings thirdsOnThree()
{
    Workings w = averageForm(3, WhistTable{}, HeapTable{1, 0, 0, 0}, 1, 3, 1);
    w.heaps = {1, 0, 0, 0};
    return w;
}

} // namespace

class BreakdownTest : public QObject
{
    Q_OBJECT

private slots:
    void workedExamples_readAsWritten_data();
    void workedExamples_readAsWritten();
    void fourOnThree_showsShiftAndLevelling();
    void thirds_cutToFourDecimalsAndMarked();
};

void BreakdownTest::workedExamples_readAsWritten_data()
{
    QTest::addColumn<int>("players");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<GameType>("gameType");
    QTest::addColumn<HeapDivision>("division");
    QTest::addColumn<QStringList>("lines");

    const QString averageForm = u"Доля горы каждого: (T / 4 - D) × 10 вистов; баланс = доля + висты, написанные "
                                u"игроком, - висты, написанные на него. Итог = баланс × цена виста."_s;
    QTest::newRow("example 1: the average form")
        << 4 << Example1 << GameType::Sochi << HeapDivision::OnNPlayers
        << QStringList{
               u"Сочи / Ростов; 4 игрока; гора делится на 4 игроков; цена виста 1."_s,
               u"D = гора - пуля; сумма T = 2."_s,
               averageForm,
               u"Запад: гора 20, пуля 10, D = 10; доля горы -95; висты: написал 20, на него 6, разница +14; баланс в "
               u"вистах -81 × 1 = итог -81."_s,
               u"Север: гора 4, пуля 8, D = -4; доля горы 45; висты: написал 4, на него 20, разница -16; баланс в "
               u"вистах 29 × 1 = итог +29."_s,
               u"Восток: гора 12, пуля 6, D = 6; доля горы -55; висты: написал 6, на него 0, разница +6; баланс в "
               u"вистах -49 × 1 = итог -49."_s,
               u"Юг: гора 0, пуля 10, D = -10; доля горы 105; висты: написал 2, на него 6, разница -4; баланс в "
               u"вистах 101 × 1 = итог +101."_s,
           };
    // Claims of either sign read as claims, never as "owed -23".
    QTest::newRow("example 3: claims, Leningrad, N - 1")
        << 3 << Example3 << GameType::Leningrad << HeapDivision::OnNPlayersMinus1
        << QStringList{
               u"Ленинград; 3 игрока; гора делится на 2 игроков (N - 1); цена виста 0,5."_s,
               u"D = гора - 2 × пуля; сумма T = 2."_s,
               u"Претензии: c(i, j) = 10 × D_j / 2 + W(i→j), что игрок i получает с игрока j; баланс = Σ c(i, j) - "
               u"Σ c(j, i). Итог = баланс × цена виста."_s,
               u"Запад: гора 14, пуля 10, D = -6; его претензии: 82 (Σ c(1, j)); претензии к нему: -50 (Σ c(j, 1)); "
               u"висты: написал 42, на него 10, разница +32; баланс в вистах 132 × 0,5 = итог +66."_s,
               u"Восток: гора 10, пуля 5, D = 0; его претензии: 25 (Σ c(2, j)); претензии к нему: 37 (Σ c(j, 2)); "
               u"висты: написал 15, на него 37, разница -22; баланс в вистах -12 × 0,5 = итог -6."_s,
               u"Юг: гора 8, пуля 0, D = 8; его претензии: -23 (Σ c(3, j)); претензии к нему: 97 (Σ c(j, 3)); висты: "
               u"написал 7, на него 17, разница -10; баланс в вистах -120 × 0,5 = итог -60."_s,
           };
    QTest::newRow("example 4: four on three, levelled")
        << 4 << u"H=4/1/7/10"_s << GameType::Sochi << HeapDivision::OnNPlayersMinus1
        << QStringList{
               u"Сочи / Ростов; 4 игрока; гора делится на 3 игроков (N - 1); цена виста 1."_s,
               u"D = гора - пуля; сумма T = 22. Все горы в претензиях сдвинуты на -1, чтобы каждая претензия была "
               u"целым числом вистов; итогов это не меняет."_s,
               u"Претензии: c(i, j) = 10 × X_j / 3 + W(i→j), что игрок i получает с игрока j; баланс = Σ c(i, j) - "
               u"Σ c(j, i). Итог = баланс × цена виста."_s,
               u"Запад: гора 4, пуля 0, D = 4, в претензиях X = 3; его претензии: 50 (Σ c(1, j)); претензии к нему: "
               u"30 (Σ c(j, 1)); висты: написал 0, на него 0, разница 0; баланс в вистах 20 × 1 = итог +20."_s,
               u"Север: гора 1, пуля 0, D = 1, в претензиях X = 0; его претензии: 60 (Σ c(2, j)); претензии к нему: "
               u"0 (Σ c(j, 2)); висты: написал 0, на него 0, разница 0; баланс в вистах 60 × 1 = итог +60."_s,
               u"Восток: гора 7, пуля 0, D = 7, в претензиях X = 6; его претензии: 40 (Σ c(3, j)); претензии к нему: "
               u"60 (Σ c(j, 3)); висты: написал 0, на него 0, разница 0; баланс в вистах -20 × 1 = итог -20."_s,
               u"Юг: гора 10, пуля 0, D = 10, в претензиях X = 9; его претензии: 30 (Σ c(4, j)); претензии к нему: "
               u"90 (Σ c(j, 4)); висты: написал 0, на него 0, разница 0; баланс в вистах -60 × 1 = итог -60."_s,
           };
    QTest::newRow("example 5: claims in whole whists")
        << 4 << Example1 << GameType::Sochi << HeapDivision::Nondivisible
        << QStringList{
               u"Сочи / Ростов; 4 игрока; гора не делится; цена виста 1."_s,
               u"D = гора - пуля; сумма T = 2."_s,
               u"Претензии в целых вистах: c(i, j) = 10 × D_j + W(i→j), что игрок i получает с игрока j; баланс = "
               u"Σ c(i, j) - Σ c(j, i). Итог = баланс × цена виста."_s,
               u"Запад: гора 20, пуля 10, D = 10; его претензии: -60 (Σ c(1, j)); претензии к нему: 306 (Σ c(j, 1)); "
               u"висты: написал 20, на него 6, разница +14; баланс в вистах -366 × 1 = итог -366."_s,
               u"Север: гора 4, пуля 8, D = -4; его претензии: 64 (Σ c(2, j)); претензии к нему: -100 (Σ c(j, 2)); "
               u"висты: написал 4, на него 20, разница -16; баланс в вистах 164 × 1 = итог +164."_s,
               u"Восток: гора 12, пуля 6, D = 6; его претензии: -34 (Σ c(3, j)); претензии к нему: 180 (Σ c(j, 3)); "
               u"висты: написал 6, на него 0, разница +6; баланс в вистах -214 × 1 = итог -214."_s,
               u"Юг: гора 0, пуля 10, D = -10; его претензии: 122 (Σ c(4, j)); претензии к нему: -294 (Σ c(j, 4)); "
               u"висты: написал 2, на него 6, разница -4; баланс в вистах 416 × 1 = итог +416."_s,
           };
    QTest::newRow("example 6: two players")
        << 2 << Example6 << GameType::Sochi << HeapDivision::OnNPlayers
        << QStringList{
               u"Сочи / Ростов; 2 игрока; гора делится на 2 игроков; цена виста 1."_s,
               u"D = гора - пуля; сумма T = 4."_s,
               u"Претензии: c(i, j) = 10 × D_j / 2 + W(i→j), что игрок i получает с игрока j; баланс = Σ c(i, j) - "
               u"Σ c(j, i). Итог = баланс × цена виста."_s,
               u"Север: гора 6, пуля 0, D = 6; его претензии: 0 (Σ c(1, j)); претензии к нему: 34 (Σ c(j, 1)); "
               u"висты: написал 10, на него 4, разница +6; баланс в вистах -34 × 1 = итог -34."_s,
               u"Юг: гора 2, пуля 4, D = -2; его претензии: 34 (Σ c(2, j)); претензии к нему: 0 (Σ c(j, 2)); висты: "
               u"написал 4, на него 10, разница -6; баланс в вистах 34 × 1 = итог +34."_s,
           };
}

void BreakdownTest::workedExamples_readAsWritten()
{
    QFETCH(int, players);
    QFETCH(QString, fields);
    QFETCH(GameType, gameType);
    QFETCH(HeapDivision, division);
    QFETCH(QStringList, lines);
    const Options options{gameType, division};
    const Breakdown breakdown = breakdownOfSheet(players, fields, options, ',');
    QCOMPARE(qLines(breakdown.lines), lines);
    QCOMPARE(QString::fromStdString(breakdown.caseText) + u'.', lines.front());

    // Under a point only the decimals change.
    const Breakdown point = breakdownOfSheet(players, fields, options, '.');
    for (QString &line : lines) {
        line.replace(u"0,5"_s, u"0.5"_s);
    }
    QCOMPARE(qLines(point.lines), lines);
}

void BreakdownTest::fourOnThree_showsShiftAndLevelling()
{
    const Options options{GameType::Sochi, HeapDivision::OnNPlayersMinus1};
    // Adjusted heaps -2, 1, 4, 7 are raised by 2; their residues are all 0, so nothing is levelled.
    Breakdown breakdown = breakdownOfSheet(4, u"H=0/1/4/7;P=2"_s, options, ',');
    QCOMPARE(breakdown.players[0].adjustedHeap, -2);
    QCOMPARE(breakdown.players[0].shiftedHeap, std::optional<std::int64_t>(0));
    QCOMPARE(breakdown.players[3].shiftedHeap, std::optional<std::int64_t>(9));
    QVERIFY(!breakdown.players[0].levelledHeap);
    QCOMPARE(QString::fromStdString(breakdown.lines[1]),
             u"D = гора - пуля; сумма T = 10. Наименьшая D поднята до 0: все D + 2."_s);
    QVERIFY(
        QString::fromStdString(breakdown.lines[3]).startsWith(u"Запад: гора 0, пуля 2, D = -2, после подъёма 0;"_s));
    // Heaps 4, 1, 7, 10 all leave 1: each heap in the claims is one less.
    breakdown = breakdownOfSheet(4, u"H=4/1/7/10"_s, options, ',');
    QVERIFY(!breakdown.players[0].shiftedHeap);
    QCOMPARE(breakdown.players[0].levelledHeap, std::optional<std::int64_t>(3));
    QCOMPARE(breakdown.players[1].levelledHeap, std::optional<std::int64_t>(0));
    QCOMPARE(*breakdown.players[1].claimsOwed, 60.0L);
}

void BreakdownTest::thirds_cutToFourDecimalsAndMarked()
{
    const Workings w = thirdsOnThree();
    const Options options{GameType::Sochi, HeapDivision::OnNPlayers};
    const auto names = SheetTexts::withDesignTexts(3).names;

    // The results as the settlement writes them carry fifteen digits; the breakdown cuts every number to
    // four decimals, and "…" both marks the cut and ends the sentence.
    Breakdown breakdown = breakdownOf(w, options, names, resultTexts(w.results, ','), {}, ',');
    QCOMPARE(breakdown.players[0].result, "-6,66666666666667");
    QCOMPARE(qLines(breakdown.lines).mid(3),
             (QStringList{u"Запад: гора 1, пуля 0, D = 1; доля горы -6,6667…; висты: написал 0, на него 0, разница 0; "
                          u"баланс в вистах -6,6667… × 1 = итог -6,6667…"_s,
                          u"Восток: гора 0, пуля 0, D = 0; доля горы 3,3333…; висты: написал 0, на него 0, разница 0; "
                          u"баланс в вистах 3,3333… × 1 = итог +3,3333…"_s,
                          u"Юг: гора 0, пуля 0, D = 0; доля горы 3,3333…; висты: написал 0, на него 0, разница 0; "
                          u"баланс в вистах 3,3333… × 1 = итог +3,3333…"_s}));

    // A dialog's "Отмена" shows them rounded to hundredths: the result reads as shown.
    const std::vector<ShownResult> rounded{{"-6.67", Tone::Loss}, {"+3.33", Tone::Gain}, {"+3.33", Tone::Gain}};
    breakdown = breakdownOf(w, options, names, rounded, {}, '.');
    QCOMPARE(QString::fromStdString(breakdown.lines[3]),
             u"Запад: гора 1, пуля 0, D = 1; доля горы -6.6667…; висты: написал 0, на него 0, разница 0; баланс в "
             u"вистах -6.6667… × 1 = итог -6.67."_s);

    // A third times 19: "63,3333…", while a whist value of 3 makes the same shares whole.
    Workings priced = averageForm(3, WhistTable{}, HeapTable{1, 0, 0, 0}, 1, 3, 19);
    breakdown = breakdownOf(priced, options, names, resultTexts(priced.results, ','), {}, ',');
    QVERIFY2(QString::fromStdString(breakdown.lines[4]).endsWith(u"баланс в вистах 3,3333… × 19 = итог +63,3333…"_s),
             breakdown.lines[4].c_str());
    priced = averageForm(3, WhistTable{}, HeapTable{1, 0, 0, 0}, 1, 3, 3);
    breakdown = breakdownOf(priced, options, names, resultTexts(priced.results, ','), {}, ',');
    QVERIFY2(QString::fromStdString(breakdown.lines[4]).endsWith(u"баланс в вистах 3,3333… × 3 = итог +10."_s),
             breakdown.lines[4].c_str());
}

QTEST_APPLESS_MAIN(BreakdownTest)
#include "breakdown_test.moc"
