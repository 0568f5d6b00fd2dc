// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/breakdown.h"
#include "engine/payments.h"
#include "tests/support/test_sheets.h"

#include <QRegularExpression>
#include <QTest>

#include <cmath>
#include <numeric>
#include <span>
#include <tuple>

using namespace zelvara::engine;
using namespace zelvara::testing;

namespace {

// Five decimals or more, except in the exponent form the general form gives a huge number.
const QRegularExpression LongDecimals(QStringLiteral("\\d[,.]\\d{5}(?!\\d*E)"));

// "1>2:2900 1>4:5200": transfers in short.
QString describe(const std::vector<Transfer> &transfers)
{
    QStringList parts;
    for (const Transfer &t : transfers) {
        parts << QStringLiteral("%1>%2:%3").arg(t.from).arg(t.to).arg(t.hundredths);
    }
    return parts.join(u' ');
}

// The fewest transfers found the slow way: every set of pairs, cycles included, that lets each group
// of connected players settle among themselves (its totals add up to zero).
std::size_t bruteForceFewest(const std::array<std::int64_t, MaxPlayers> &totals, int n)
{
    std::vector<std::array<int, 2>> pairs;
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            pairs.push_back({i, j});
        }
    }
    std::size_t fewest = pairs.size() + 1;
    for (unsigned mask = 0; mask < (1U << pairs.size()); ++mask) {
        std::array<int, MaxPlayers> group{0, 1, 2, 3};
        for (int pass = 0; pass < n; ++pass) {
            for (std::size_t p = 0; p < pairs.size(); ++p) {
                if ((mask >> p & 1U) != 0) {
                    const int low = std::min(group[at(pairs[p][0])], group[at(pairs[p][1])]);
                    group[at(pairs[p][0])] = group[at(pairs[p][1])] = low;
                }
            }
        }
        std::array<std::int64_t, MaxPlayers> sums{};
        for (int i = 0; i < n; ++i) {
            sums[at(group[at(i)])] += totals[at(i)];
        }
        if (std::all_of(sums.begin(), sums.end(), [](std::int64_t s) { return s == 0; })) {
            fewest = std::min<std::size_t>(fewest, static_cast<std::size_t>(std::popcount(mask)));
        }
    }
    return fewest;
}

// The largest number of groups with zero totals, over every way to split the players (at most 8).
int mostZeroGroups(const std::vector<std::int64_t> &totals, std::size_t next, std::vector<std::int64_t> &groups)
{
    if (next == totals.size()) {
        const bool zero = std::all_of(groups.begin(), groups.end(), [](std::int64_t s) { return s == 0; });
        return zero ? static_cast<int>(groups.size()) : -1;
    }
    int best = -1;
    const std::size_t existing = groups.size();
    for (std::size_t g = 0; g <= existing; ++g) {
        if (g == existing) {
            groups.push_back(0); // a group of its own
        }
        groups[g] += totals[next];
        best = std::max(best, mostZeroGroups(totals, next + 1, groups));
        groups[g] -= totals[next];
    }
    groups.pop_back();
    return best;
}

// Every forest of pairs whose trees each settle among themselves, ranked by count, money moved, then the
// seats of the pairs: the rule that ties are broken by, found the slow way (at most 5 players).
std::vector<Transfer> slowestFewest(const std::vector<std::int64_t> &totals)
{
    using Pair = std::array<int, 2>;
    const int n = static_cast<int>(totals.size());
    std::vector<Pair> pairs;
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            pairs.push_back({i, j});
        }
    }
    std::optional<std::tuple<std::size_t, std::int64_t, std::vector<Pair>>> best;
    std::vector<Transfer> bestTransfers;
    for (unsigned mask = 0; mask < (1U << pairs.size()); ++mask) {
        std::vector<Pair> chosen;
        std::vector<int> root(totals.size());
        std::iota(root.begin(), root.end(), 0);
        const auto find = [&](int x) {
            while (root[at(x)] != x) {
                x = root[at(x)];
            }
            return x;
        };
        bool forest = true;
        for (std::size_t p = 0; p < pairs.size(); ++p) {
            if ((mask >> p & 1U) != 0) {
                chosen.push_back(pairs[p]);
                const int a = find(pairs[p][0]);
                const int b = find(pairs[p][1]);
                forest = forest && a != b;
                root[at(a)] = b;
            }
        }
        if (!forest) {
            continue;
        }
        std::vector<std::int64_t> treeSum(totals.size(), 0);
        for (int i = 0; i < n; ++i) {
            treeSum[at(find(i))] += totals[at(i)];
        }
        if (!std::all_of(treeSum.begin(), treeSum.end(), [](std::int64_t v) { return v == 0; })) {
            continue;
        }
        std::vector<Transfer> transfers;
        std::int64_t moved = 0;
        for (std::size_t k = 0; k < chosen.size(); ++k) {
            std::vector<bool> far(totals.size(), false);
            far[at(chosen[k][1])] = true;
            for (bool grew = true; grew;) {
                grew = false;
                for (std::size_t m = 0; m < chosen.size(); ++m) {
                    if (m != k && far[at(chosen[m][0])] != far[at(chosen[m][1])]) {
                        far[at(chosen[m][0])] = far[at(chosen[m][1])] = true;
                        grew = true;
                    }
                }
            }
            std::int64_t owed = 0;
            for (int i = 0; i < n; ++i) {
                owed += far[at(i)] ? totals[at(i)] : 0;
            }
            transfers.push_back(owed > 0 ? Transfer{chosen[k][0] + 1, chosen[k][1] + 1, owed}
                                         : Transfer{chosen[k][1] + 1, chosen[k][0] + 1, -owed});
            moved += owed > 0 ? owed : -owed;
        }
        if (std::any_of(transfers.begin(), transfers.end(), [](const Transfer &t) { return t.hundredths == 0; })) {
            continue;
        }
        auto rank = std::make_tuple(chosen.size(), moved, chosen);
        if (!best || rank < *best) {
            best = rank;
            bestTransfers = transfers;
        }
    }
    std::sort(bestTransfers.begin(), bestTransfers.end(),
              [](const Transfer &x, const Transfer &y) { return std::tie(x.from, x.to) < std::tie(y.from, y.to); });
    return bestTransfers;
}

// Totals that add up to zero, small enough that groups with zero totals and ties are common.
std::vector<std::int64_t> zeroSumTotals(SheetGenerator &generator, int players, std::int64_t spread)
{
    std::vector<std::int64_t> totals(static_cast<std::size_t>(players), 0);
    for (int i = 1; i < players; ++i) {
        totals[at(i)] = generator.between(-spread, spread);
        totals[0] -= totals[at(i)];
    }
    // Shuffle the balancing player's seat so that it is not always the first.
    std::swap(totals[0], totals[at(static_cast<int>(generator.between(0, players - 1)))]);
    return totals;
}

} // namespace

class PaymentsTest : public QObject
{
    Q_OBJECT

private slots:
    void generatedSheets_pairsPaymentsAndBreakdownAgreeWithResults();
    void fewestTransfers_exactWithTies_data();
    void fewestTransfers_exactWithTies();
    void fewestTransfers_subsetRuleAgainstBruteForce();
    void fewestTransfers_manyPlayersTakeTheGreedyRule();
    void rounding_oneRuleAndANote_data();
    void rounding_oneRuleAndANote();
    void rounding_missingHundredthGoesToThePairRoundedFurthestDown();
    void rounding_totalsMissingZeroByMoreThanThePlayersAreNotPaid();
    void lines_declineOnlyTheSeatNames();
};

void PaymentsTest::generatedSheets_pairsPaymentsAndBreakdownAgreeWithResults()
{
    int checked = 0;
    for (const char separator : {',', '.'}) {
        SheetGenerator generator(9092026);
        for (int round = 0; round < 3000; ++round) {
            const SheetGenerator::Case c = generator.next(separator);
            const auto outcome = settleWorkings(c.sheet, c.options, separator);
            const auto *w = std::get_if<Workings>(&outcome);
            if (w == nullptr) {
                continue;
            }
            ++checked;
            const int n = w->players;
            const QByteArray where = QStringLiteral("sheet %1 '%2'").arg(round).arg(separator).toUtf8();

            // Pairs add up to each balance before any rounding.
            const PairTable pairs = pairBalancesInWhists(*w);
            for (int i = 0; i < n; ++i) {
                Extended sum = 0;
                for (int j = 0; j < n; ++j) {
                    QVERIFY2(pairs[at(i)][at(j)] == -pairs[at(j)][at(i)], where.constData());
                    sum += pairs[at(i)][at(j)];
                }
                QVERIFY2(std::fabs(sum - w->balances[at(i)]) <= 1e-9L, where.constData());
            }

            // Payments: whole hundredths that add up to each player's rounded total.
            const auto shown = resultTexts(w->results, separator);
            const Payments payments = paymentsOf(*w, shown, separator);
            QVERIFY2(payments.available, where.constData());
            std::array<std::int64_t, MaxPlayers> byPairs{};
            std::array<std::int64_t, MaxPlayers> byTransfers{};
            for (const Transfer &t : payments.pairs) {
                QVERIFY2(t.hundredths > 0, where.constData());
                const Extended exact = std::fabs(pairs[at(t.to - 1)][at(t.from - 1)] * w->whistValue * 100.0L);
                QVERIFY2(std::fabs(exact - static_cast<Extended>(t.hundredths)) < 2.0L, where.constData());
                byPairs[at(t.to - 1)] += t.hundredths;
                byPairs[at(t.from - 1)] -= t.hundredths;
            }
            for (const Transfer &t : payments.transfers) {
                QVERIFY2(t.hundredths > 0, where.constData());
                byTransfers[at(t.to - 1)] += t.hundredths;
                byTransfers[at(t.from - 1)] -= t.hundredths;
            }
            std::int64_t sum = 0;
            for (int i = 0; i < n; ++i) {
                QCOMPARE(payments.shownTotals[at(i)], std::llround(w->results.values[at(i)] * 100.0L));
                QCOMPARE(byPairs[at(i)], payments.totals[at(i)]);
                QCOMPARE(byTransfers[at(i)], payments.totals[at(i)]);
                sum += payments.totals[at(i)];
            }
            QCOMPARE(sum, std::int64_t{0});
            QCOMPARE(payments.transfers.size(), bruteForceFewest(payments.totals, n));

            // The breakdown's numbers recompute the shown results.
            const Breakdown breakdown = breakdownOf(*w, c.options, c.sheet.names, shown, {}, separator);
            QCOMPARE(static_cast<int>(breakdown.players.size()), n);
            for (int i = 0; i < n; ++i) {
                const BreakdownRow &row = breakdown.players[at(i)];
                const Extended balance =
                    row.share ? *row.share + static_cast<Extended>(row.whistsWritten - row.whistsReceived)
                              : *row.claimsOwed - *row.claimsOwing;
                QVERIFY2(std::fabs(balance - row.balanceInWhists) <= 1e-9L, where.constData());
                QCOMPARE(row.balanceInWhists * w->whistValue, w->results.values[at(i)]);
                QCOMPARE(row.adjustedHeap, row.heap - w->poolFactor * row.pool);
                QCOMPARE(row.result, shown[at(i)].text);
            }
            // Its lines write no number with more than four decimals, and no minus but "-".
            for (const std::string &line : breakdown.lines) {
                const QString text = QString::fromStdString(line);
                QVERIFY2(!text.contains(LongDecimals) && !text.contains(u'−'), line.c_str());
            }
        }
    }
    QVERIFY(checked > 4000);
}

void PaymentsTest::fewestTransfers_exactWithTies_data()
{
    QTest::addColumn<int>("players");
    QTest::addColumn<QList<qint64>>("totals");
    QTest::addColumn<QString>("expected");

    QTest::newRow("example 1: one group, no money passed on, lower seats")
        << 4 << QList<qint64>{-8100, 2900, -4900, 10100} << u"1>2:2900 1>4:5200 3>4:4900"_qs;
    QTest::newRow("example 5") << 4 << QList<qint64>{-36600, 16400, -21400, 41600}
                               << u"1>2:16400 1>4:20200 3>4:21400"_qs;
    QTest::newRow("two groups of two, lower seats first") << 4 << QList<qint64>{1, 1, -1, -1} << u"3>1:1 4>2:1"_qs;
    QTest::newRow("two groups beat one of four") << 4 << QList<qint64>{500, -300, 300, -500} << u"2>3:300 4>1:500"_qs;
    QTest::newRow("a player with nothing to pay stays out") << 4 << QList<qint64>{0, 700, 0, -700} << u"4>2:700"_qs;
    QTest::newRow("three players") << 3 << QList<qint64>{6600, -600, -6000} << u"2>1:600 3>1:6000"_qs;
    QTest::newRow("one payer, three payees")
        << 4 << QList<qint64>{-600, 100, 200, 300} << u"1>2:100 1>3:200 1>4:300"_qs;
    QTest::newRow("two players") << 2 << QList<qint64>{-3400, 3400} << u"1>2:3400"_qs;
    QTest::newRow("all square") << 4 << QList<qint64>{0, 0, 0, 0} << QString();
    QTest::newRow("totals that miss zero get no transfers") << 3 << QList<qint64>{1, 0, 0} << QString();
}

void PaymentsTest::fewestTransfers_exactWithTies()
{
    QFETCH(int, players);
    QFETCH(QList<qint64>, totals);
    QFETCH(QString, expected);
    std::array<std::int64_t, MaxPlayers> t{};
    for (qsizetype i = 0; i < totals.size(); ++i) {
        t[static_cast<std::size_t>(i)] = totals[i];
    }
    QCOMPARE(describe(fewestTransfers(t, players)), expected);
}

void PaymentsTest::fewestTransfers_subsetRuleAgainstBruteForce()
{
    SheetGenerator generator(17122026);
    for (int round = 0; round < 4000; ++round) {
        const int players = static_cast<int>(generator.between(1, 8));
        const std::vector<std::int64_t> totals = zeroSumTotals(generator, players, round % 2 == 0 ? 4 : 900);
        const QByteArray where = QStringLiteral("round %1").arg(round).toUtf8();
        const TransferPlan plan = fewestTransfers(std::span<const std::int64_t>(totals));
        QVERIFY2(plan.available && plan.exact, where.constData());

        // Each transfer goes straight from one who owes to one who is owed, and together they settle
        // every total.
        std::vector<std::int64_t> settled(totals.size(), 0);
        std::int64_t moved = 0;
        std::int64_t owed = 0;
        for (const Transfer &t : plan.transfers) {
            QVERIFY2(t.hundredths > 0 && totals[at(t.from - 1)] < 0 && totals[at(t.to - 1)] > 0, where.constData());
            settled[at(t.from - 1)] -= t.hundredths;
            settled[at(t.to - 1)] += t.hundredths;
            moved += t.hundredths;
        }
        for (const std::int64_t total : totals) {
            owed += total > 0 ? total : 0;
        }
        QCOMPARE(settled, totals);
        QCOMPARE(moved, owed);

        std::vector<std::int64_t> groups;
        const int nonZero =
            static_cast<int>(std::count_if(totals.begin(), totals.end(), [](std::int64_t t) { return t != 0; }));
        const std::vector<std::int64_t> parties = [&] {
            std::vector<std::int64_t> p;
            std::copy_if(totals.begin(), totals.end(), std::back_inserter(p), [](std::int64_t t) { return t != 0; });
            return p;
        }();
        QCOMPARE(static_cast<int>(plan.transfers.size()), nonZero - mostZeroGroups(parties, 0, groups));

        // Up to five players the ties fall as the forest-by-forest ranking has them.
        if (players <= 5) {
            QCOMPARE(describe(plan.transfers), describe(slowestFewest(totals)));
        }
    }
}

void PaymentsTest::fewestTransfers_manyPlayersTakeTheGreedyRule()
{
    // Twenty players with a total are planned exactly, twenty-one by the greedy rule; both settle.
    for (const int players : {20, 21, 40}) {
        SheetGenerator generator(static_cast<std::uint64_t>(players));
        const std::vector<std::int64_t> totals = zeroSumTotals(generator, players, 1'000'000);
        const TransferPlan plan = fewestTransfers(std::span<const std::int64_t>(totals));
        QVERIFY(plan.available);
        QCOMPARE(plan.exact, players <= MaxExactTransferPlayers);
        std::vector<std::int64_t> settled(totals.size(), 0);
        for (const Transfer &t : plan.transfers) {
            settled[at(t.from - 1)] -= t.hundredths;
            settled[at(t.to - 1)] += t.hundredths;
        }
        QCOMPARE(settled, totals);
        QVERIFY(plan.transfers.size() < totals.size());
    }
    // Twenty players exactly: ten pairs that cancel are ten transfers; totals whose only zero sum is all
    // of them (powers of two against their sum) take nineteen.
    std::vector<std::int64_t> tenPairs;
    std::vector<std::int64_t> oneGroup;
    for (int i = 0; i < 10; ++i) {
        tenPairs.push_back(1000 + 37 * i);
        tenPairs.push_back(-1000 - 37 * ((i * 7) % 10));
    }
    for (int i = 0; i < 19; ++i) {
        oneGroup.push_back(std::int64_t{1} << i);
    }
    oneGroup.push_back(-((std::int64_t{1} << 19) - 1));
    QCOMPARE(fewestTransfers(std::span<const std::int64_t>(tenPairs)).transfers.size(), std::size_t{10});
    QCOMPARE(fewestTransfers(std::span<const std::int64_t>(oneGroup)).transfers.size(), std::size_t{19});

    // The greedy rule settles totals that cancel in pairs first.
    const std::vector<std::int64_t> pairsFirst = [] {
        std::vector<std::int64_t> t;
        for (int i = 0; i < 11; ++i) {
            t.push_back(100 + i);
            t.push_back(-100 - i);
        }
        return t;
    }();
    QCOMPARE(fewestTransfers(std::span<const std::int64_t>(pairsFirst)).transfers.size(), std::size_t{11});
    // Totals that miss zero or are too large get no plan.
    const std::vector<std::int64_t> missing{5, -4};
    QVERIFY(!fewestTransfers(std::span<const std::int64_t>(missing)).available);
    const std::vector<std::int64_t> huge{MaxTransferHundredths + 1, -MaxTransferHundredths - 1};
    QVERIFY(!fewestTransfers(std::span<const std::int64_t>(huge)).available);
}

void PaymentsTest::rounding_oneRuleAndANote_data()
{
    QTest::addColumn<int>("players");
    QTest::addColumn<QList<qint64>>("heaps"); // adjusted heaps; the average form, no whists
    QTest::addColumn<QString>("whistValue");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("pairs");
    QTest::addColumn<QString>("transfers");
    QTest::addColumn<QString>("note");

    QTest::newRow("thirds rounded one by one miss by a hundredth")
        << 3 << QList<qint64>{1, 0, 0} << u"1"_qs << QStringList{u"-6,67"_qs, u"+3,33"_qs, u"+3,33"_qs}
        << u"1>2:333 1>3:333"_qs << u"1>2:333 1>3:333"_qs
        << u"расхождение 0,01 из-за округления: итоги в сумме дают -0,01, поэтому Запад платит 6,66 вместо "
           u"6,67; суммы по парам округлены до сотых: Запад — Восток, Запад — Юг"_qs;
    QTest::newRow("halves of a hundredth shifted away from zero")
        << 4 << QList<qint64>{1, 0, 0, 0} << u"0,01"_qs
        << QStringList{u"-0,08"_qs, u"+0,03"_qs, u"+0,03"_qs, u"+0,03"_qs} << u"1>2:2 1>3:3 1>4:3"_qs
        << u"1>2:2 1>3:3 1>4:3"_qs
        << u"расхождение 0,01 из-за округления: итоги в сумме дают +0,01, поэтому Север получает 0,02 вместо "
           u"0,03; суммы по парам округлены до сотых: Запад — Север, Запад — Восток, Запад — Юг"_qs;
    QTest::newRow("whole totals, pairs in thirds")
        << 3 << QList<qint64>{1, 2, 0} << u"1"_qs << QStringList{u"0"_qs, u"-10"_qs, u"+10"_qs}
        << u"2>1:333 1>3:333 2>3:667"_qs << u"2>3:1000"_qs
        << u"суммы по парам округлены до сотых: Запад — Восток, Запад — Юг, Восток — Юг"_qs;
    QTest::newRow("a total shown beyond hundredths")
        << 3 << QList<qint64>{1, 0, 0} << u"1"_qs
        << QStringList{u"-6,66666666666667"_qs, u"+3,33333333333333"_qs, u"+3,33333333333333"_qs}
        << u"1>2:333 1>3:333"_qs << u"1>2:333 1>3:333"_qs
        << u"итоги округлены до сотых; расхождение 0,01 из-за округления: итоги в сумме дают -0,01, поэтому Запад "
           u"платит 6,66 вместо 6,67; суммы по парам округлены до сотых: Запад — Восток, Запад — Юг"_qs;
    QTest::newRow("results too large to pay")
        << 2 << QList<qint64>{0, 0} << u"1"_qs << QStringList{u"-1E20"_qs, u"+1E20"_qs} << QString() << QString()
        << u"суммы слишком велики, чтобы расписать, кто кому платит"_qs;
}

void PaymentsTest::rounding_oneRuleAndANote()
{
    QFETCH(int, players);
    QFETCH(QList<qint64>, heaps);
    QFETCH(QString, whistValue);
    QFETCH(QStringList, shown);
    QFETCH(QString, pairs);
    QFETCH(QString, transfers);
    QFETCH(QString, note);
    HeapTable d{};
    std::int64_t sum = 0;
    for (qsizetype i = 0; i < heaps.size(); ++i) {
        d[static_cast<std::size_t>(i)] = heaps[i];
        sum += heaps[i];
    }
    const Extended v = whistValue == u"1" ? 1.0L : 0.01L;
    const Workings w = averageForm(players, WhistTable{}, d, sum, static_cast<Extended>(players), v);
    std::vector<ShownResult> texts;
    for (const QString &text : shown) {
        texts.push_back({text.toStdString(), Tone::Gain});
    }
    const Payments payments = paymentsOf(w, texts, ',');
    QCOMPARE(describe(payments.pairs), pairs);
    QCOMPARE(describe(payments.transfers), transfers);
    const auto names = SheetTexts::withDesignTexts(players).names;
    QCOMPARE(QString::fromStdString(paymentsNote(payments, names, ',')), note);
}

namespace {

// Working values of the claims form with the given pairs (in whists, what j owes i for i < j) at a whist
// of one hundredth, so that every whist is one hundredth of money.
Workings pairsAtOneHundredth(int players, const std::vector<std::tuple<int, int, Extended>> &pairs)
{
    Workings w;
    w.players = players;
    w.form = SettlementForm::Claims;
    w.whistValue = 0.01L;
    w.results.players = players;
    for (const auto &[i, j, whists] : pairs) {
        w.claims[at(i)][at(j)] = whists;
    }
    for (int i = 0; i < players; ++i) {
        for (int j = 0; j < players; ++j) {
            w.balances[at(i)] += w.claims[at(i)][at(j)] - w.claims[at(j)][at(i)];
        }
        w.results.values[at(i)] = w.balances[at(i)] * w.whistValue;
    }
    return w;
}

} // namespace

void PaymentsTest::rounding_missingHundredthGoesToThePairRoundedFurthestDown()
{
    // Every pair rounds to nothing, yet Запад and Юг are owed a hundredth each and Север and Восток owe
    // one each. Запад's pair with Север lost most to the rounding (0,45), so it takes the first hundredth
    // and Юг's pair with Восток the other; taking the pair rounded least first would pair them the other
    // way round.
    const Workings w = pairsAtOneHundredth(4, {{0, 1, 0.45L}, {0, 2, 0.3L}, {3, 1, 0.4L}, {3, 2, 0.35L}});
    const Payments p = paymentsOf(w, resultTexts(w.results, ','), ',');
    QVERIFY(p.available);
    QCOMPARE(p.totals, (std::array<std::int64_t, MaxPlayers>{1, -1, -1, 1}));
    QCOMPARE(describe(p.pairs), u"2>1:1 3>4:1"_qs);
}

void PaymentsTest::rounding_totalsMissingZeroByMoreThanThePlayersAreNotPaid()
{
    // Results rounded one by one miss zero by a hundredth per player at most: three players may miss by
    // three hundredths and are still paid, by four they are no results of a settlement.
    const Workings byThree = pairsAtOneHundredth(3, {});
    Payments p = paymentsOf(byThree, {{"+0,01", Tone::Gain}, {"+0,01", Tone::Gain}, {"+0,01", Tone::Gain}}, ',');
    QVERIFY(p.available);
    QCOMPARE(p.shownTotals, (std::array<std::int64_t, MaxPlayers>{1, 1, 1, 0}));
    QCOMPARE(p.totals, (std::array<std::int64_t, MaxPlayers>{0, 0, 0, 0}));
    p = paymentsOf(byThree, {{"+0,02", Tone::Gain}, {"+0,01", Tone::Gain}, {"+0,01", Tone::Gain}}, ',');
    QVERIFY(!p.available);
    p = paymentsOf(byThree, {{"-0,02", Tone::Loss}, {"-0,01", Tone::Loss}, {"-0,01", Tone::Loss}}, ',');
    QVERIFY(!p.available);
}

void PaymentsTest::lines_declineOnlyTheSeatNames()
{
    const std::vector<Transfer> transfers{{1, 4, 1250}, {3, 2, 7}};
    std::array<std::string, MaxPlayers> names{"Запад", "Север", "Восток", "Юг"};
    QCOMPARE(qLines(paymentLines(transfers, names, ',')),
             (QStringList{u"Запад платит Югу 12,50"_qs, u"Восток платит Северу 0,07"_qs}));
    // One payee whose name cannot be declined puts the whole list in the other wording.
    names[1] = "Аня";
    QCOMPARE(qLines(paymentLines(transfers, names, '.')),
             (QStringList{u"Запад → Юг: 12.50"_qs, u"Восток → Аня: 0.07"_qs}));
    names[1] = "Север";
    names[0] = "Аня";
    QCOMPARE(qLines(paymentLines(transfers, names, ',')),
             (QStringList{u"Аня платит Югу 12,50"_qs, u"Восток платит Северу 0,07"_qs}));

    QCOMPARE(amountText(1250, ','), "12,5");
    QCOMPARE(amountText(8100, ','), "81");
    QCOMPARE(amountText(7, '.'), "0.07");
    QCOMPARE(amountText(1230000000000001, ','), "12300000000000,01");
    QCOMPARE(moneyText(8100, ','), "81,00");
    QCOMPARE(moneyText(10, '.'), "0.10");
}

QTEST_APPLESS_MAIN(PaymentsTest)
#include "payments_test.moc"
