// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/field_reading.h"
#include "engine/sheet.h"
#include "tests/support/test_sheets.h"

#include <QTest>

#include <charconv>

using namespace zelvara::engine;

class FieldReadingTest : public QObject
{
    Q_OBJECT

private slots:
    void readInteger_acceptsTheFieldGrammar_data();
    void readInteger_acceptsTheFieldGrammar();
    void readWhistValue_acceptsWholeHundredthsOnly_data();
    void readWhistValue_acceptsWholeHundredthsOnly();
    void readWhistValue_decidesEveryTypableAmount();
    void fieldNames_roundTripAndRejectStrangers();
};

void FieldReadingTest::readInteger_acceptsTheFieldGrammar_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected"); // the value, or "fail"

    QTest::newRow("empty is zero") << QByteArray() << QStringLiteral("0");
    QTest::newRow("blank only fails") << QByteArray(" ") << QStringLiteral("fail");
    QTest::newRow("12 between blanks") << QByteArray("  12 ") << QStringLiteral("12");
    QTest::newRow("control characters trimmed") << QByteArray("\x01\x1f"
                                                              "7\r\n")
                                                << QStringLiteral("7");
    QTest::newRow("minus five") << QByteArray("-5") << QStringLiteral("-5");
    QTest::newRow("dollar hex") << QByteArray("$10") << QStringLiteral("16");
    QTest::newRow("x hex") << QByteArray("xff") << QStringLiteral("255");
    QTest::newRow("X hex mixed case") << QByteArray("XaB") << QStringLiteral("171");
    QTest::newRow("0x hex") << QByteArray("0x1F") << QStringLiteral("31");
    QTest::newRow("sign before hex") << QByteArray("-$10") << QStringLiteral("-16");
    QTest::newRow("leading zeros") << QByteArray("000000000000042") << QStringLiteral("42");
    QTest::newRow("longest heap") << QByteArray("99999") << QStringLiteral("99999");
    QTest::newRow("longest whists") << QByteArray("999999") << QStringLiteral("999999");
    QTest::newRow("int32 max") << QByteArray("2147483647") << QStringLiteral("2147483647");
    QTest::newRow("int32 min") << QByteArray("-2147483648") << QStringLiteral("-2147483648");
    QTest::newRow("one past max") << QByteArray("2147483648") << QStringLiteral("fail");
    QTest::newRow("one past min") << QByteArray("-2147483649") << QStringLiteral("fail");
    QTest::newRow("very many digits") << QByteArray(400, '9') << QStringLiteral("fail");
    QTest::newRow("hex max") << QByteArray("$7FFFFFFF") << QStringLiteral("2147483647");
    QTest::newRow("hex 80000000 out of range") << QByteArray("$80000000") << QStringLiteral("fail");
    QTest::newRow("lone minus") << QByteArray("-") << QStringLiteral("fail");
    QTest::newRow("lone dollar") << QByteArray("$") << QStringLiteral("fail");
    QTest::newRow("lone 0x") << QByteArray("0x") << QStringLiteral("fail");
    QTest::newRow("sign then blank") << QByteArray("- 5") << QStringLiteral("fail");
    QTest::newRow("inner blank") << QByteArray("1 2") << QStringLiteral("fail");
    QTest::newRow("decimal point") << QByteArray("1.5") << QStringLiteral("fail");
    QTest::newRow("cyrillic") << QByteArray("пять") << QStringLiteral("fail");
    QTest::newRow("non-breaking space kept") << QByteArray("\xc2\xa0"
                                                           "5")
                                             << QStringLiteral("fail");
}

void FieldReadingTest::readInteger_acceptsTheFieldGrammar()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    const auto value = readInteger(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    QCOMPARE(value ? QString::number(*value) : QStringLiteral("fail"), expected);
}

void FieldReadingTest::readWhistValue_acceptsWholeHundredthsOnly_data()
{
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("text");     // written with a comma, swapped under a point
    QTest::addColumn<QString>("expected"); // the value in C notation, or "fail"

    struct Row
    {
        const char *name;
        const char *text;
        const char *expected;
    };
    static constexpr Row Rows[] = {
        {"one", "1", "1"},
        {"half", "0,5", "0.5"},
        {"third decimal fails", "0,125", "fail"},
        {"other separator fails", "0.5", "fail"},
        {"empty fails", "", "fail"},
        {"blank fails", " ", "fail"},
        {"zero", "0", "0"},
        {"minus one", "-1", "-1"},
        {"one hundredth", "0,01", "0.01"},
        {"trimmed", " 2,5\t", "2.5"},
        {"leading separator", ",5", "0.5"},
        {"trailing separator", "5,", "5"},
        {"exponent", "1E2", "100"},
        {"small exponent", "25e-2", "0.25"},
        {"exponent needs digits", "1E", "fail"},
        {"exponent too fine", "1E-3", "fail"},
        {"inf", "inf", "fail"},
        {"nan", "nan", "fail"},
        {"hex float", "0x1p3", "fail"},
        {"lone sign", "-", "fail"},
        {"below -1000 with two decimals", "-1000,5", "-1000.5"},
        {"-1000,005 fails", "-1000,005", "fail"},
        {"-5000,125 fails", "-5000,125", "fail"},
        {"overflowing exponent", "1E99999", "fail"},
        {"hundredths beyond the range", "1E4931", "fail"},
        // A price so large that the results would overflow is no money amount.
        {"price whose results would overflow", "1E4930", "fail"},
        {"negative price whose results would overflow", "-2E4920", "fail"},
    };
    for (const char separator : {',', '.'}) {
        for (const Row &row : Rows) {
            QTest::addRow("%s %c", row.name, separator)
                << separator << zelvara::testing::localised(QString::fromUtf8(row.text), separator)
                << QString::fromUtf8(row.expected);
        }
    }
}

void FieldReadingTest::readWhistValue_acceptsWholeHundredthsOnly()
{
    QFETCH(char, separator);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const auto value = readWhistValue(text.toStdString(), separator);
    if (expected == u"fail") {
        QVERIFY(!value);
        return;
    }
    QVERIFY(value);
    const std::string wanted = expected.toStdString();
    long double exact = 0;
    std::from_chars(wanted.data(), wanted.data() + wanted.size(), exact);
    QCOMPARE(*value, exact);
}

void FieldReadingTest::readWhistValue_decidesEveryTypableAmount()
{
    // Every amount the five-character field takes: whole hundredths pass, a third decimal fails.
    // (Far beyond the field, binary noise in V * 100 can refuse true hundredths such as 4096,01.)
    for (int whole = -99; whole <= 999; ++whole) {
        for (int thousandths = 0; thousandths < 1000; ++thousandths) {
            std::string text = std::to_string(whole);
            if (thousandths != 0) {
                std::string decimals = std::to_string(1000 + thousandths).substr(1);
                decimals.erase(decimals.find_last_not_of('0') + 1);
                text += ',' + decimals;
            }
            if (text.size() <= 5 && readWhistValue(text, ',').has_value() != (thousandths % 10 == 0)) {
                QFAIL(text.c_str());
            }
        }
    }
}

void FieldReadingTest::fieldNames_roundTripAndRejectStrangers()
{
    for (int players = MinPlayers; players <= MaxPlayers; ++players) {
        std::vector<FieldId> fields{{FieldKind::WhistValue, 0, 0}};
        for (int i = 1; i <= players; ++i) {
            for (const FieldKind kind : {FieldKind::Name, FieldKind::Pool, FieldKind::Heap, FieldKind::Result}) {
                fields.push_back({kind, i, 0});
            }
            for (int j = 1; j <= players; ++j) {
                if (i != j) {
                    fields.push_back({FieldKind::Whists, i, j});
                }
            }
        }
        for (const FieldId &field : fields) {
            const std::string name = fieldName(field, players);
            const auto parsed = parseFieldName(name);
            QVERIFY2(parsed && parsed->field == field && parsed->players == players, name.c_str());
        }
    }
    QCOMPARE(fieldName({FieldKind::Whists, 1, 2}, 4), std::string("WhistsOfP1ToP2For4"));
    for (const char *stranger : {"HeapOfP4For3", "WhistsOfP1ToP1For4", "WhistsOfP1ToP3For2", "ValueOfWhistFor5",
                                 "HeapOfP1For4 ", "heapOfP1For4", "HeapOfP0For4", "NameOfP1", "ResultOfP12For4", ""}) {
        QVERIFY2(!parseFieldName(stranger), stranger);
    }
    QCOMPARE(SheetTexts::withDesignTexts(3).names[1], std::string("Восток"));
    QCOMPARE(SheetTexts::withDesignTexts(2).names[0], std::string("Север"));
}

QTEST_APPLESS_MAIN(FieldReadingTest)
#include "field_reading_test.moc"
