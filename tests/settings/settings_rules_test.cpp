// SPDX-License-Identifier: GPL-3.0-or-later
// The rules that turn the settings file into the window's state and back, without the file or a window.

#include "settings/settings.h"

#include <QTest>

#include <map>

using namespace zelvara;

namespace {

using Keys = std::map<std::string, std::string, std::less<>>;

// One pixel per character against the design's inner width of 42: names up to 40 pixels pass.
app::SettingsToApply applyKeys(const Keys &keys, char separator)
{
    const auto lookup = [&keys](std::string_view key) -> std::optional<std::string> {
        const auto found = keys.find(key);
        return found == keys.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
    return app::applySettings(app::readSettings(lookup, separator), separator, 42, [](const std::string &text) {
        return static_cast<int>(QString::fromStdString(text).size());
    });
}

// "-" where the design choice stays; otherwise players, game type and division as codes.
QString optionsText(const app::SettingsToApply &apply)
{
    const auto code = [](auto value) { return value ? QString::number(int(*value)) : QStringLiteral("-"); };
    return code(apply.players) + u' ' + code(apply.gameType) + u' ' + code(apply.heapDivision);
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
    void names_heldToFieldWidth_data();
    void names_heldToFieldWidth();
    void collect_whistValueFallsBackToOne_data();
    void collect_whistValueFallsBackToOne();
    void written_nameWithControls_staysOnOneLine_data();
    void written_nameWithControls_staysOnOneLine();
};

void SettingsRulesTest::options_appliedOrIgnored_data()
{
    QTest::addColumn<QString>("players"); // a null string: the key is missing
    QTest::addColumn<QString>("gameType");
    QTest::addColumn<QString>("division");
    QTest::addColumn<QString>("expected"); // GameType 0 Sochi 1 Leningrad; HeapDivision 0 N, 1 N-1, 2 none

    const QString none;
    QTest::newRow("no keys keep the design") << none << none << none << "- - -";
    QTest::newRow("three, Leningrad, less one") << "3"
                                                << "2"
                                                << "2"
                                                << "3 1 1";
    QTest::newRow("two players turn less one into nondivisible") << "2"
                                                                 << "1"
                                                                 << "2"
                                                                 << "2 0 2";
    QTest::newRow("less one without a count is nondivisible") << none << none << "2"
                                                              << "- - 2";
    QTest::newRow("codes out of range are ignored") << "5"
                                                    << "7"
                                                    << "0"
                                                    << "- - -";
    QTest::newRow("hexadecimal codes") << "0x3"
                                       << "0x2"
                                       << "0X3"
                                       << "3 1 2";
    QTest::newRow("unreadable codes are ignored") << "three"
                                                  << ""
                                                  << "1.0"
                                                  << "- - -";
    QTest::newRow("blanks around codes") << " 2 "
                                         << "\t1"
                                         << "1 "
                                         << "2 0 0";
    QTest::newRow("beyond 32 bits is ignored") << "99999999999999999999" << none << none << "- - -";
}

void SettingsRulesTest::options_appliedOrIgnored()
{
    QFETCH(QString, players);
    QFETCH(QString, gameType);
    QFETCH(QString, division);
    Keys keys;
    for (const auto &[key, value] : {std::pair{"PlayersNumber", players}, std::pair{"GameType", gameType},
                                     std::pair{"HeapDivisibility", division}}) {
        if (!value.isNull())
            keys[key] = value.toStdString();
    }
    QTEST(optionsText(applyKeys(keys, ',')), "expected");
}

void SettingsRulesTest::whistValue_shownInRange_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("shown"); // null: the field keeps its design text "1"

    QTest::newRow("0,005 is raised to 0,01") << "0,005" << ',' << "0,01";
    QTest::newRow("0.005 is raised to 0.01") << "0.005" << '.' << "0.01";
    QTest::newRow("123456 is capped") << "123456" << ',' << "99999";
    QTest::newRow("99999 is capped") << "99999" << ',' << "99999";
    QTest::newRow("-3 shows 1") << "-3" << ',' << "1";
    QTest::newRow("0 keeps the design text") << "0" << ',' << QString();
    QTest::newRow("12,345 is cut, not rounded") << "12,345" << ',' << "12,34";
    QTest::newRow("12.345 is cut under a point") << "12.345" << '.' << "12.34";
    QTest::newRow("1234,567 ends with the comma") << "1234,567" << ',' << "1234,";
    QTest::newRow("exponent form") << "1,5E2" << ',' << "150";
    QTest::newRow("comma under a point keeps 1") << "2,5" << '.' << QString();
    QTest::newRow("point under a comma keeps 1") << "2.5" << ',' << QString();
    QTest::newRow("text keeps 1") << "abc" << ',' << QString();
    QTest::newRow("inf keeps 1") << "inf" << '.' << QString();
}

void SettingsRulesTest::whistValue_shownInRange()
{
    QFETCH(QString, stored);
    QFETCH(char, separator);
    QFETCH(QString, shown);
    const auto apply = applyKeys({{"ValueOfWhistFor3", stored.toStdString()}}, separator);
    QCOMPARE(apply.whistValueTexts[1] ? QString::fromStdString(*apply.whistValueTexts[1]) : QString(), shown);
    QVERIFY(!apply.whistValueTexts[0] && !apply.whistValueTexts[2]);
}

void SettingsRulesTest::names_heldToFieldWidth_data()
{
    QTest::addColumn<QString>("stored"); // null: the key is missing
    QTest::addColumn<QString>("shown");

    QTest::newRow("missing key empties the field") << QString() << "";
    QTest::newRow("present but empty empties the field") << ""
                                                         << "";
    QTest::newRow("blanks are kept as they are") << " Ян "
                                                 << " Ян ";
    QTest::newRow("the widest accepted name, 40 pixels, stays") << QString(40, u'ж') << QString(40, u'ж');
    QTest::newRow("41 pixels give the seat's name") << QString(41, u'ж') << "Восток";
}

void SettingsRulesTest::names_heldToFieldWidth()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    Keys keys;
    if (!stored.isNull())
        keys["NameOfP3For4"] = stored.toStdString();
    const auto apply = applyKeys(keys, ',');
    QCOMPARE(QString::fromStdString(apply.names[2]), shown);
    // The other names are missing, so their fields are emptied.
    QCOMPARE(QString::fromStdString(apply.names[4]), QString());
    QCOMPARE(QString::fromStdString(apply.names[8]), QString());
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
    QTest::newRow("negative kept as typed") << "-3" << ',' << "-3";
}

void SettingsRulesTest::collect_whistValueFallsBackToOne()
{
    QFETCH(QString, field);
    QFETCH(char, separator);
    app::WindowSettings window;
    window.whistValueTexts = {"1", field.toStdString(), "1"};
    const auto entries = app::settingsEntries(app::collectSettings(window, separator), separator);
    QCOMPARE(entries[8].first, std::string("ValueOfWhistFor3"));
    QTEST(QString::fromStdString(entries[8].second), "written");
}

void SettingsRulesTest::written_nameWithControls_staysOnOneLine_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("written");

    QTest::newRow("line breaks that would add a section")
        << QByteArray("Али\n[Injected]\nEvil=1") << QStringLiteral("Али [Injected] Evil=1");
    QTest::newRow("carriage return, tab, escape, delete") << QByteArray("Юг\r\tX\x1b\x7f") << QStringLiteral("Юг  X  ");
    QTest::newRow("a NUL in the middle") << QByteArray("Ю\0г", 5) << QStringLiteral("Ю г");
    QTest::newRow("printable text as typed") << QByteArray("«Юг» №1 = \"a\"") << QStringLiteral("«Юг» №1 = \"a\"");
}

void SettingsRulesTest::written_nameWithControls_staysOnOneLine()
{
    QFETCH(QByteArray, name);
    app::WindowSettings window;
    window.names[2] = name.toStdString();
    const auto entries = app::settingsEntries(app::collectSettings(window, ','), ',');
    QCOMPARE(entries[6].first, std::string("NameOfP3For4"));
    QTEST(QString::fromStdString(entries[6].second), "written");
}

QTEST_APPLESS_MAIN(SettingsRulesTest)
#include "settings_rules_test.moc"
