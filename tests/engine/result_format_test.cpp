// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/result_format.h"
#include "tests/support/test_sheets.h"

#include <QTest>

#include <charconv>

using namespace zelvara::engine;
using zelvara::testing::localised;

namespace {

long double parseC(const QString &text)
{
    const std::string s = text.toStdString();
    long double value = 0;
    std::from_chars(s.data(), s.data() + s.size(), value);
    return value;
}

} // namespace

class ResultFormatTest : public QObject
{
    Q_OBJECT

private slots:
    void formatGeneral_writesFifteenDigits_data();
    void formatGeneral_writesFifteenDigits();
    void roundToHundredths_halfAwayFromZero_data();
    void roundToHundredths_halfAwayFromZero();
};

void ResultFormatTest::formatGeneral_writesFifteenDigits_data()
{
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("value"); // C notation; an expression "a/b" divides two numbers
    QTest::addColumn<QString>("expected");

    struct Row
    {
        const char *name;
        const char *value;
        const char *expected;
    };
    static constexpr Row Rows[] = {
        {"whole", "29", "29"},
        {"negative whole", "-81", "-81"},
        {"half", "14.5", "14,5"},
        {"quarter negative", "-51.25", "-51,25"},
        {"zero", "0", "0"},
        {"negative zero", "-0", "0"},
        {"large scientific", "1e20", "1E20"},
        {"small scientific", "1.5e-5", "1,5E-5"},
        {"negative small scientific", "-2.5e-7", "-2,5E-7"},
        {"ten thousandth is plain", "0.0001", "0,0001"},
        {"just below a ten thousandth", "0.00009", "9E-5"},
        {"rounds up to a ten thousandth", "0.00009999999999999999", "0,0001"},
        {"fifteen digits before the point", "123456789012345", "123456789012345"},
        {"sixteen digits before the point", "1234567890123456", "1,23456789012346E15"},
        {"rounds up to sixteen digits", "999999999999999.6", "1E15"},
        {"two thirds", "2/3", "0,666666666666667"},
        {"one third of a hundred", "100/3", "33,3333333333333"},
        {"tie on the exact binary value goes to even", "0.125", "0,125"},
        {"noise beyond fifteen digits", "0.30000000000000004", "0,3"},
        {"hundredths of a double", "3.33", "3,33"},
    };
    for (const char separator : {',', '.'}) {
        for (const Row &row : Rows) {
            QTest::addRow("%s %c", row.name, separator)
                << separator << QString::fromUtf8(row.value) << localised(QString::fromUtf8(row.expected), separator);
        }
    }
}

void ResultFormatTest::formatGeneral_writesFifteenDigits()
{
    QFETCH(char, separator);
    QFETCH(QString, value);
    QFETCH(QString, expected);
    const auto slash = value.indexOf(u'/');
    const long double number = slash < 0 ? parseC(value) : parseC(value.left(slash)) / parseC(value.mid(slash + 1));
    const bool fromDouble = value == u"3.33";
    const long double shown = fromDouble ? static_cast<long double>(3.33) : number;
    QCOMPARE(QString::fromStdString(formatGeneral(shown, separator)), expected);
}

void ResultFormatTest::roundToHundredths_halfAwayFromZero_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two thirds of ten") << QStringLiteral("6.666666666666666667") << QStringLiteral("6.67");
    QTest::newRow("negative two thirds of ten") << QStringLiteral("-6.666666666666666667") << QStringLiteral("-6.67");
    QTest::newRow("half up") << QStringLiteral("0.005") << QStringLiteral("0.01");
    QTest::newRow("half away below zero") << QStringLiteral("-0.005") << QStringLiteral("-0.01");
    // 0.01 as a double is a shade above a hundredth, so an exact binary half can fall short.
    QTest::newRow("binary half falls short") << QStringLiteral("0.125") << QStringLiteral("0.12");
    QTest::newRow("tiny negative becomes zero") << QStringLiteral("-0.001") << QStringLiteral("0");
    QTest::newRow("whole stays") << QStringLiteral("-9") << QStringLiteral("-9");
    QTest::newRow("too large to count in hundredths") << QStringLiteral("1e30") << QStringLiteral("1e30");
}

void ResultFormatTest::roundToHundredths_halfAwayFromZero()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    QCOMPARE(roundToHundredths(parseC(value)), static_cast<double>(parseC(expected)));
}

QTEST_APPLESS_MAIN(ResultFormatTest)
#include "result_format_test.moc"
