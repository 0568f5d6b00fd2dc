// SPDX-License-Identifier: GPL-3.0-or-later
// The rules that turn the settings file into the window's state and back, without the file or a window.

#include "app/settings.h"

#include <QTest>

#include <map>
#include <optional>
#include <string>

using namespace zelvara;
using app::SettingsToApply;
using app::StoredSettings;

Q_DECLARE_METATYPE(std::optional<std::string>)

namespace {

using Keys = std::map<std::string, std::string, std::less<>>;

app::KeyLookup lookupIn(const Keys &keys)
{
    return [&keys](std::string_view key) -> std::optional<std::string> {
        const auto found = keys.find(key);
        if (found == keys.end())
            return std::nullopt;
        return found->second;
    };
}

// Each character is 6 pixels wide: "Запад" 30, a name of seven characters 42.
int sixPixelsPerCharacter(const std::string &text)
{
    return 6 * static_cast<int>(QString::fromStdString(text).size());
}

constexpr int NameInnerWidth = 42;

SettingsToApply applyKeys(const Keys &keys, char separator)
{
    return app::applySettings(app::readSettings(lookupIn(keys), separator), separator, NameInnerWidth,
                              sixPixelsPerCharacter);
}

// Options as one comparable text: players, game type, division, "-" where the design choice stays.
QString optionsText(const SettingsToApply &apply)
{
    const QString players = apply.players ? QString::number(*apply.players) : QStringLiteral("-");
    QString game = QStringLiteral("-");
    if (apply.gameType)
        game = *apply.gameType == engine::GameType::Sochi ? QStringLiteral("Sochi") : QStringLiteral("Leningrad");
    QString division = QStringLiteral("-");
    if (apply.heapDivision) {
        switch (*apply.heapDivision) {
        case engine::HeapDivision::OnNPlayers:
            division = QStringLiteral("OnN");
            break;
        case engine::HeapDivision::OnNPlayersMinus1:
            division = QStringLiteral("OnNMinus1");
            break;
        case engine::HeapDivision::Nondivisible:
            division = QStringLiteral("Nondivisible");
            break;
        }
    }
    return players + u' ' + game + u' ' + division;
}

} // namespace

class SettingsRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void options_appliedOrIgnored_data();
    void options_appliedOrIgnored();
    void whistValue_shownInRange_data();
    void whistValue_shownInRange();
    void whistValue_readWithLocaleSeparator_data();
    void whistValue_readWithLocaleSeparator();
    void names_heldToFieldWidth_data();
    void names_heldToFieldWidth();
    void collect_whistValueFallsBackToOne_data();
    void collect_whistValueFallsBackToOne();
    void entries_fifteenKeysInTableOrder();
    void roundTrip_restoresEveryOptionAndAllNineNames();
};

void SettingsRulesTest::options_appliedOrIgnored_data()
{
    QTest::addColumn<QString>("players");
    QTest::addColumn<QString>("gameType");
    QTest::addColumn<QString>("division");
    QTest::addColumn<QString>("expected");

    const QString none; // a null string stands for a missing key
    QTest::newRow("no keys keep the design") << none << none << none << "- - -";
    QTest::newRow("three, Leningrad, less one") << "3"
                                                << "2"
                                                << "2"
                                                << "3 Leningrad OnNMinus1";
    QTest::newRow("two players turn less one into nondivisible") << "2"
                                                                 << "1"
                                                                 << "2"
                                                                 << "2 Sochi Nondivisible";
    QTest::newRow("less one without a count is nondivisible") << none << none << "2"
                                                              << "- - Nondivisible";
    QTest::newRow("less one with a count of five is nondivisible") << "5" << none << "2"
                                                                   << "- - Nondivisible";
    QTest::newRow("codes out of range are ignored") << "5"
                                                    << "7"
                                                    << "0"
                                                    << "- - -";
    QTest::newRow("hexadecimal codes") << "0x3"
                                       << "0x2"
                                       << "0X3"
                                       << "3 Leningrad Nondivisible";
    QTest::newRow("unreadable codes are ignored") << "three"
                                                  << ""
                                                  << "1.0"
                                                  << "- - -";
    QTest::newRow("blanks around a code") << " 2 "
                                          << "\t1"
                                          << "1 "
                                          << "2 Sochi OnN";
    QTest::newRow("huge number is ignored") << "99999999999999999999" << none << none << "- - -";
}

void SettingsRulesTest::options_appliedOrIgnored()
{
    QFETCH(QString, players);
    QFETCH(QString, gameType);
    QFETCH(QString, division);
    QFETCH(QString, expected);
    Keys keys;
    if (!players.isNull())
        keys["PlayersNumber"] = players.toStdString();
    if (!gameType.isNull())
        keys["GameType"] = gameType.toStdString();
    if (!division.isNull())
        keys["HeapDivisibility"] = division.toStdString();
    QCOMPARE(optionsText(applyKeys(keys, ',')), expected);
}

void SettingsRulesTest::whistValue_shownInRange_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown"); // null: the field keeps its design text

    QTest::newRow("0,005 is raised to 0,01") << "0,005"
                                             << "0,01";
    QTest::newRow("0,01 stays") << "0,01"
                                << "0,01";
    QTest::newRow("123456 is capped") << "123456"
                                      << "99999";
    QTest::newRow("99999 is capped") << "99999"
                                     << "99999";
    QTest::newRow("-3 shows 1") << "-3"
                                << "1";
    QTest::newRow("0 keeps the design text") << "0" << QString();
    QTest::newRow("12,345 is cut, not rounded") << "12,345"
                                                << "12,34";
    QTest::newRow("1234,567 ends with the comma") << "1234,567"
                                                  << "1234,";
    QTest::newRow("2,5 stays") << "2,5"
                               << "2,5";
    QTest::newRow("99998,9 is cut") << "99998,9"
                                    << "99998";
    QTest::newRow("exponent form") << "1,5E2"
                                   << "150";
}

void SettingsRulesTest::whistValue_shownInRange()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    // The same values under a decimal point give the same texts with a point.
    for (const char separator : {',', '.'}) {
        QString inFile = stored;
        QString expected = shown;
        if (separator == '.') {
            inFile.replace(u',', u'.');
            expected.replace(u',', u'.');
        }
        const auto apply = applyKeys({{"ValueOfWhistFor3", inFile.toStdString()}}, separator);
        const auto text = apply.whistValueTexts[1];
        QCOMPARE(text.has_value(), !expected.isNull());
        if (text)
            QCOMPARE(QString::fromStdString(*text), expected);
        QVERIFY(!apply.whistValueTexts[0] && !apply.whistValueTexts[2]);
    }
}

void SettingsRulesTest::whistValue_readWithLocaleSeparator_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("shown");

    QTest::newRow("comma under a comma") << "2,5" << ',' << "2,5";
    QTest::newRow("comma under a point keeps 1") << "2,5" << '.' << QString();
    QTest::newRow("point under a comma keeps 1") << "2.5" << ',' << QString();
    QTest::newRow("text keeps 1") << "abc" << ',' << QString();
    QTest::newRow("empty keeps 1") << "" << ',' << QString();
    QTest::newRow("inf keeps 1") << "inf" << '.' << QString();
}

void SettingsRulesTest::whistValue_readWithLocaleSeparator()
{
    QFETCH(QString, stored);
    QFETCH(char, separator);
    QFETCH(QString, shown);
    const auto apply = applyKeys({{"ValueOfWhistFor2", stored.toStdString()}}, separator);
    const auto text = apply.whistValueTexts[2];
    QCOMPARE(text.has_value(), !shown.isNull());
    if (text)
        QCOMPARE(QString::fromStdString(*text), shown);
}

void SettingsRulesTest::names_heldToFieldWidth_data()
{
    QTest::addColumn<QString>("stored"); // null: the key is missing
    QTest::addColumn<QString>("shown");

    QTest::newRow("missing key keeps the seat's name") << QString() << "Восток";
    QTest::newRow("present but empty empties the field") << ""
                                                         << "";
    QTest::newRow("a short name stays") << "Петя"
                                        << "Петя";
    QTest::newRow("the widest accepted name, 40 pixels, stays") << QString(40, u'ж') << QString(40, u'ж');
    QTest::newRow("41 pixels give the seat's name") << QString(41, u'ж') << "Восток";
    QTest::newRow("a long hand-typed name gives the seat's name") << "Константин Константинович Петров-Водкин Третий"
                                                                  << "Восток";
    QTest::newRow("blanks are kept as they are") << " Ян "
                                                 << " Ян ";
}

void SettingsRulesTest::names_heldToFieldWidth()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    Keys keys;
    if (!stored.isNull())
        keys["NameOfP3For4"] = stored.toStdString();
    // One pixel per character against the design's inner width of 42: at most 40 pixels pass.
    const auto onePixelPerCharacter = [](const std::string &text) {
        return static_cast<int>(QString::fromStdString(text).size());
    };
    const auto apply =
        app::applySettings(app::readSettings(lookupIn(keys), ','), ',', NameInnerWidth, onePixelPerCharacter);
    QCOMPARE(QString::fromStdString(apply.names[2]), shown);
    // The other eight fields keep their seats' names.
    QCOMPARE(QString::fromStdString(apply.names[0]), QStringLiteral("Запад"));
    QCOMPARE(QString::fromStdString(apply.names[4]), QStringLiteral("Запад"));
    QCOMPARE(QString::fromStdString(apply.names[8]), QStringLiteral("Юг"));
}

void SettingsRulesTest::collect_whistValueFallsBackToOne_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("written");

    QTest::newRow("empty") << "" << ',' << "1";
    QTest::newRow("not a number") << "abc" << ',' << "1";
    QTest::newRow("blanks around 2,5") << "  2,5 \t" << ',' << "2,5";
    QTest::newRow("point under a comma") << "2.5" << ',' << "1";
    QTest::newRow("point under a point") << "2.5" << '.' << "2.5";
    QTest::newRow("beyond the real range") << "1E99999" << ',' << "1";
    QTest::newRow("a half under a comma") << "0,5" << ',' << "0,5";
    QTest::newRow("negative kept as typed") << "-3" << ',' << "-3";
}

void SettingsRulesTest::collect_whistValueFallsBackToOne()
{
    QFETCH(QString, field);
    QFETCH(char, separator);
    QFETCH(QString, written);
    app::WindowSettings window;
    window.whistValueTexts = {"1", field.toStdString(), "1"};
    const auto entries = app::settingsEntries(app::collectSettings(window, separator), separator);
    QCOMPARE(entries[8].first, std::string("ValueOfWhistFor3"));
    QCOMPARE(QString::fromStdString(entries[8].second), written);
}

void SettingsRulesTest::entries_fifteenKeysInTableOrder()
{
    app::WindowSettings window;
    window.players = 3;
    window.options = {engine::GameType::Leningrad, engine::HeapDivision::Nondivisible};
    window.whistValueTexts = {"1", "2", "3"};
    const auto entries = app::settingsEntries(app::collectSettings(window, ','), ',');
    QCOMPARE(entries.size(), app::SettingsKeys.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        QCOMPARE(entries[i].first, std::string(app::SettingsKeys[i]));
    QCOMPARE(entries[0].second, std::string("3"));
    QCOMPARE(entries[1].second, std::string("2"));
    QCOMPARE(entries[2].second, std::string("3"));
}

void SettingsRulesTest::roundTrip_restoresEveryOptionAndAllNineNames()
{
    app::WindowSettings window;
    window.players = 2;
    window.options = {engine::GameType::Leningrad, engine::HeapDivision::OnNPlayers};
    window.whistValueTexts = {"0,5", "10", "7,25"};
    window.names = {"Аня", "Боря", "Вера", "Гена", "Даша", "Егор", "", "Зоя", "Ира"};

    Keys keys;
    for (const auto &[key, value] : app::settingsEntries(app::collectSettings(window, ','), ','))
        keys[key] = value;
    const auto apply = applyKeys(keys, ',');

    QCOMPARE(optionsText(apply), QStringLiteral("2 Leningrad OnN"));
    QCOMPARE(apply.whistValueTexts[0].value_or("design"), std::string("0,5"));
    QCOMPARE(apply.whistValueTexts[1].value_or("design"), std::string("10"));
    QCOMPARE(apply.whistValueTexts[2].value_or("design"), std::string("7,25"));
    for (std::size_t i = 0; i < app::NameCount; ++i)
        QCOMPARE(apply.names[i], window.names[i]);
}

QTEST_APPLESS_MAIN(SettingsRulesTest)
#include "settings_rules_test.moc"
