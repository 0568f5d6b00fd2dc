// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/field_reading.h"
#include "engine/settlement.h"
#include "sheetfile/json_text.h"
#include "sheetfile/sheet_file.h"

#include <QFile>
#include <QTest>

#include <boost/json/parse.hpp>
#include <boost/json/value.hpp>
#include <string>

using namespace zelvara;
using sheetfile::ReadErrorKind;
using sheetfile::SheetDocument;

Q_DECLARE_METATYPE(ReadErrorKind)

namespace {

std::string str(const QByteArray &bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// A sheet in which every field holds a text of its own, blanks, quotes and Cyrillic included, so a
// field written under the wrong name or not at all cannot come back equal.
SheetDocument everyFieldDistinct(int players, char separator)
{
    SheetDocument document;
    document.sheet = engine::SheetTexts::withDesignTexts(players);
    document.sheet.whistValue = separator == ',' ? "0,25" : "0.25";
    int counter = 0;
    for (int p = 1; p <= players; ++p) {
        document.sheet.text({engine::FieldKind::Name, p, 0}) = " Игрок \"" + std::to_string(p) + "\"\\ ";
        document.sheet.text({engine::FieldKind::Pool, p, 0}) = std::to_string(++counter);
        document.sheet.text({engine::FieldKind::Heap, p, 0}) = "$" + std::to_string(++counter);
        for (int o = 1; o <= players; ++o) {
            if (o != p) {
                document.sheet.text({engine::FieldKind::Whists, p, o}) = std::to_string(++counter) + " ";
            }
        }
    }
    document.decimalSeparator = separator;
    return document;
}

std::string readError(std::string_view bytes, ReadErrorKind *kind = nullptr)
{
    const auto read = sheetfile::readSheet(bytes);
    const auto *error = std::get_if<sheetfile::ReadError>(&read);
    if (error == nullptr) {
        return {};
    }
    if (kind != nullptr) {
        *kind = error->kind;
    }
    return sheetfile::russianMessage(*error, "пуля.zelvara");
}

} // namespace

class SheetFileTest : public QObject
{
    Q_OBJECT

private slots:
    void writeThenRead_givesTheSameSheet_data();
    void writeThenRead_givesTheSameSheet();
    void savedUnderOtherSeparator_settlesAlike_data();
    void savedUnderOtherSeparator_settlesAlike();
    void badFile_givesItsKindAndMessage_data();
    void badFile_givesItsKindAndMessage();
    void detail_saysWhereAndQuotesLittle_data();
    void detail_saysWhereAndQuotesLittle();
    void filesWithoutFormatOrVersion_stayReadable();
    void example_isWhatTheProgramWrites();
    void prettyJson_oneMemberALine();
};

void SheetFileTest::writeThenRead_givesTheSameSheet_data()
{
    QTest::addColumn<int>("players");
    QTest::addColumn<char>("separator");
    QTest::addColumn<int>("division");
    QTest::addColumn<bool>("leningrad");

    for (const char separator : {',', '.'}) {
        const QByteArray under = separator == ',' ? " comma" : " point";
        QTest::newRow(QByteArray("4 Sochi divided by 4" + under).constData()) << 4 << separator << 0 << false;
        QTest::newRow(QByteArray("3 Leningrad divided by 2" + under).constData()) << 3 << separator << 1 << true;
        QTest::newRow(QByteArray("2 Sochi not divided" + under).constData()) << 2 << separator << 2 << false;
    }
}

void SheetFileTest::writeThenRead_givesTheSameSheet()
{
    QFETCH(int, players);
    QFETCH(char, separator);
    QFETCH(int, division);
    QFETCH(bool, leningrad);

    SheetDocument document = everyFieldDistinct(players, separator);
    document.options.gameType = leningrad ? engine::GameType::Leningrad : engine::GameType::Sochi;
    document.options.heapDivision = static_cast<engine::HeapDivision>(division);
    document.saved = "2026-12-08T21:40:00+03:00";
    document.note = "строка 1\nстрока 2";

    const std::string text = sheetfile::writeSheet(document);
    const auto read = sheetfile::readSheet(text);
    QVERIFY2(std::holds_alternative<SheetDocument>(read),
             std::get_if<sheetfile::ReadError>(&read) ? std::get<sheetfile::ReadError>(read).detail.c_str() : "");
    QVERIFY(std::get<SheetDocument>(read) == document);

    // The file names what it is and holds every field of that sheet, the results none.
    QVERIFY(text.starts_with("{\n  \"format\": \"zelvara-sheet\",\n  \"version\": 1,\n"));
    const auto count = [&](const std::string &word) {
        int n = 0;
        for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
            ++n;
        }
        return n;
    };
    QCOMPARE(count("For" + std::to_string(players) + "\": "), 1 + 3 * players + players * (players - 1));
    QCOMPARE(count("\"ValueOfWhist"), 1);
    QCOMPARE(count("\"NameOfP"), players);
    QCOMPARE(count("\"HeapOfP"), players);
    QCOMPARE(count("\"WhistsOfP"), players * (players - 1));
    QVERIFY(text.find("Result") == std::string::npos);
}

void SheetFileTest::savedUnderOtherSeparator_settlesAlike_data()
{
    QTest::addColumn<QByteArray>("whistValue"); // as typed under a comma
    QTest::addColumn<QByteArray>("underPoint");

    QTest::newRow("a half") << QByteArray("0,5") << QByteArray("0.5");
    QTest::newRow("whole") << QByteArray("2") << QByteArray("2");
    QTest::newRow("exponent") << QByteArray(" 2,5E-1 ") << QByteArray(" 2.5E-1 ");
    // A point was a typing error under a comma, and must stay one: the separators trade places.
    QTest::newRow("wrong separator stays wrong") << QByteArray("0.5") << QByteArray("0,5");
    QTest::newRow("both separators") << QByteArray("1,000.5") << QByteArray("1.000,5");
}

void SheetFileTest::savedUnderOtherSeparator_settlesAlike()
{
    QFETCH(QByteArray, whistValue);
    QFETCH(QByteArray, underPoint);

    QCOMPARE(sheetfile::convertDecimalSeparator(str(whistValue), ',', '.'), str(underPoint));
    QCOMPARE(sheetfile::convertDecimalSeparator(str(underPoint), '.', ','), str(whistValue));
    QCOMPARE(sheetfile::convertDecimalSeparator(str(whistValue), ',', ','), str(whistValue));

    SheetDocument saved = everyFieldDistinct(4, ',');
    saved.sheet.whistValue = str(whistValue);
    saved.sheet.heaps = {"20", "4", "12", "0"};
    const auto read = sheetfile::readSheet(sheetfile::writeSheet(saved));
    QVERIFY(std::holds_alternative<SheetDocument>(read));

    const SheetDocument opened = sheetfile::withDecimalSeparator(std::get<SheetDocument>(read), '.');
    QCOMPARE(opened.decimalSeparator, std::optional<char>('.'));
    QCOMPARE(opened.sheet.whistValue, str(underPoint));
    QVERIFY(sheetfile::withDecimalSeparator(opened, ',') == saved);

    const auto before = engine::settle(saved.sheet, saved.options, ',');
    const auto after = engine::settle(opened.sheet, opened.options, '.');
    QCOMPARE(after.index(), before.index());
    if (const auto *results = std::get_if<engine::Results>(&before)) {
        QVERIFY(std::get<engine::Results>(after).values == results->values);
    }
    QCOMPARE(engine::readWhistValue(opened.sheet.whistValue, '.').has_value(),
             engine::readWhistValue(saved.sheet.whistValue, ',').has_value());
}

void SheetFileTest::badFile_givesItsKindAndMessage_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<ReadErrorKind>("kind");
    QTest::addColumn<QString>("message");

    const QByteArray tail = R"("players": 3, "gameType": "Sochi", "heapDivisibility": "OnNPlayers"})";
    const QString file = QStringLiteral("Файл «пуля.zelvara» ");
    const QString damaged = file + QStringLiteral("повреждён: ");

    QTest::newRow("Windows-1251 text") << QByteArray("{\"note\": \"\xcf\xf3\xeb\xff\"}") << ReadErrorKind::NotUtf8
                                       << file + QStringLiteral(
                                                     "не является пулей Zelvara: это не текст в кодировке UTF-8.");
    QTest::newRow("a picture") << QByteArray("\x89PNG\r\n", 6) << ReadErrorKind::NotUtf8
                               << file + QStringLiteral("не является пулей Zelvara: это не текст в кодировке UTF-8.");
    QTest::newRow("plain text") << QByteArray("Запад 20, Север 4") << ReadErrorKind::NotJson
                                << file + QStringLiteral("не является пулей Zelvara: это не текст JSON.");
    QTest::newRow("cut short") << QByteArray("{\"players\": 3,") << ReadErrorKind::NotJson
                               << file + QStringLiteral("не является пулей Zelvara: это не текст JSON.");
    QTest::newRow("a list") << QByteArray("[1, 2]") << ReadErrorKind::NotSheet
                            << file + QStringLiteral("не является пулей Zelvara.");
    QTest::newRow("another format") << QByteArray("{\"format\": \"zelvara-settings\", " + tail)
                                    << ReadErrorKind::NotSheet << file + QStringLiteral("не является пулей Zelvara.");
    QTest::newRow("version 2 with keys of its own")
        << QByteArray("{\"format\": \"zelvara-sheet\", \"version\": 2, \"rounds\": []}") << ReadErrorKind::NewerVersion
        << file + QStringLiteral("сохранён более новой версией Zelvara (версия формата 2) и не может быть открыт "
                                 "этой версией программы.");
    QTest::newRow("version as text") << QByteArray("{\"version\": \"1\", " + tail) << ReadErrorKind::NotSheet
                                     << file + QStringLiteral("не является пулей Zelvara.");
    QTest::newRow("a package.json") << QByteArray(R"({"name": "zelvara", "version": "1.0.6", "license": "GPL"})")
                                    << ReadErrorKind::NotSheet << file + QStringLiteral("не является пулей Zelvara.");
    QTest::newRow("version 0") << QByteArray("{\"version\": 0, " + tail) << ReadErrorKind::BadValue
                               << damaged + QStringLiteral("в нём неверно записан номер версии.");
    QTest::newRow("version 1.5") << QByteArray("{\"version\": 1.5, " + tail) << ReadErrorKind::BadValue
                                 << damaged + QStringLiteral("в нём неверно записан номер версии.");
    QTest::newRow("key twice") << QByteArray("{\"players\": 3, " + tail) << ReadErrorKind::RepeatedKey
                               << damaged + QStringLiteral("количество игроков записано в нём дважды.");
    QTest::newRow("field twice") << QByteArray(R"({"fields": {"HeapOfP1For3": "1", "HeapOfP1For3": "2"}, )" + tail)
                                 << ReadErrorKind::RepeatedKey
                                 << damaged + QStringLiteral("гора игрока Запад записана в нём дважды.");
    QTest::newRow("key twice where the sheet does not look")
        << QByteArray(R"({"note": [{"a": 1, "a": 2}], )" + tail) << ReadErrorKind::RepeatedKey
        << damaged + QStringLiteral("запись «a» записана в нём дважды.");
    QTest::newRow("a bad byte between keys")
        << QByteArray("{\"note\": \"\", \xff}") << ReadErrorKind::NotUtf8
        << file + QStringLiteral("не является пулей Zelvara: это не текст в кодировке UTF-8.");
    QTest::newRow("a number beyond double") << QByteArray("{\"version\": 1e999, " + tail) << ReadErrorKind::BadValue
                                            << damaged + QStringLiteral("в нём неверно записан номер версии.");
    QTest::newRow("nested deeper than a sheet goes")
        << QByteArray("{\"note\": " + QByteArray(40, '[') + QByteArray(40, ']') + ", " + tail)
        << ReadErrorKind::NotSheet << file + QStringLiteral("не является пулей Zelvara.");
    QTest::newRow("unknown key") << QByteArray("{\"format\": \"zelvara-sheet\", \"score\": 1, " + tail)
                                 << ReadErrorKind::UnknownKey
                                 << damaged + QStringLiteral("в нём есть неизвестная запись «score».");
    QTest::newRow("unknown key with a control character")
        << QByteArray("{\"format\": \"zelvara-sheet\", \"a\\u0000\\n\\u001b\\u0085\": 1, " + tail)
        << ReadErrorKind::UnknownKey
        << damaged + QStringLiteral("в нём есть неизвестная запись «a\\u0000\\u000a\\u001b\\u0085».");
    QTest::newRow("unknown key of a thousand letters")
        << QByteArray("{\"format\": \"zelvara-sheet\", \"" + QByteArray(1000, 'k') + "\": 1, " + tail)
        << ReadErrorKind::UnknownKey
        << damaged + QStringLiteral("в нём есть неизвестная запись «") + QString(60, u'k') + QStringLiteral("...».");
    QTest::newRow("no game type") << QByteArray(R"({"players": 3, "heapDivisibility": "OnNPlayers"})")
                                  << ReadErrorKind::MissingKey << damaged + QStringLiteral("в нём не указан тип игры.");
    QTest::newRow("no players") << QByteArray(R"({"gameType": "Sochi", "heapDivisibility": "OnNPlayers"})")
                                << ReadErrorKind::MissingKey
                                << damaged + QStringLiteral("в нём не указано количество игроков.");
    QTest::newRow("no heap divisibility")
        << QByteArray(R"({"players": 3, "gameType": "Sochi"})") << ReadErrorKind::MissingKey
        << damaged + QStringLiteral("в нём не указана делимость горы.");
    QTest::newRow("five players") << QByteArray(R"({"players": 5, "gameType": "Sochi", "heapDivisibility": "x"})")
                                  << ReadErrorKind::BadValue
                                  << damaged + QStringLiteral("в нём неверно записано количество игроков.");
    QTest::newRow("fields as list") << QByteArray("{\"fields\": [], " + tail) << ReadErrorKind::BadValue
                                    << damaged + QStringLiteral("в нём неверно записаны поля пули.");
    QTest::newRow("note as number") << QByteArray("{\"note\": 5, " + tail) << ReadErrorKind::BadValue
                                    << damaged + QStringLiteral("в нём неверно записано примечание.");
    QTest::newRow("heap as number") << QByteArray("{\"fields\": {\"HeapOfP1For3\": 20}, " + tail)
                                    << ReadErrorKind::BadValue
                                    << damaged + QStringLiteral("в нём неверно записана гора игрока Запад.");
    QTest::newRow("player 4 of 3") << QByteArray("{\"fields\": {\"HeapOfP4For3\": \"1\"}, " + tail)
                                   << ReadErrorKind::UnknownField
                                   << damaged + QStringLiteral(
                                                    "в нём есть поле «HeapOfP4For3», которого нет ни в одной пуле.");
    QTest::newRow("a result") << QByteArray("{\"fields\": {\"ResultOfP1For3\": \"5\"}, " + tail)
                              << ReadErrorKind::ResultField
                              << damaged + QStringLiteral("в нём записан итог игрока Запад, а итоги программа получает "
                                                          "только расчётом.");
    QTest::newRow("field of the 2-player sheet")
        << QByteArray("{\"fields\": {\"HeapOfP1For2\": \"1\"}, " + tail) << ReadErrorKind::OtherSheetField
        << damaged + QStringLiteral("гора игрока Север относится к пуле для 2 игроков, а в файле указана пуля для 3 "
                                    "игроков.");

    // A name that would write lines into the settings, escapes that would drive a terminal: no field text
    // of a sheet holds a control character; the note keeps its line breaks and tabs only.
    QTest::newRow("a line break in a name")
        << QByteArray(R"({"fields": {"NameOfP2For3": "Али\n[Injected]\nEvil=1"}, )" + tail)
        << ReadErrorKind::ControlCharacter
        << damaged + QStringLiteral("имя игрока Восток содержит управляющий символ U+000A.");
    QTest::newRow("an escape in whists")
        << QByteArray(R"({"fields": {"WhistsOfP1ToP2For3": "\u001b]0;x\u0007"}, )" + tail)
        << ReadErrorKind::ControlCharacter
        << damaged + QStringLiteral("висты игрока Запад на игрока Восток содержат управляющий символ U+001B.");
    QTest::newRow("NUL in a pool") << QByteArray(R"({"fields": {"PoolOfP3For3": "1\u00002"}, )" + tail)
                                   << ReadErrorKind::ControlCharacter
                                   << damaged + QStringLiteral("пуля игрока Юг содержит управляющий символ U+0000.");
    QTest::newRow("DEL in the whist value")
        << QByteArray("{\"fields\": {\"ValueOfWhistFor3\": \"1\x7f\"}, " + tail) << ReadErrorKind::ControlCharacter
        << damaged + QStringLiteral("цена виста содержит управляющий символ U+007F.");
    QTest::newRow("a bell in the note") << QByteArray(R"({"note": "строка\n\tотступ\u0007", )" + tail)
                                        << ReadErrorKind::ControlCharacter
                                        << damaged + QStringLiteral("примечание содержит управляющий символ U+0007.");
    QTest::newRow("a line break in the time of saving")
        << QByteArray(R"({"saved": "2026-12-08\n", )" + tail) << ReadErrorKind::ControlCharacter
        << damaged + QStringLiteral("время сохранения содержит управляющий символ U+000A.");
    // Nothing may follow the sheet: not a NUL byte, not another object.
    QTest::newRow("NUL after the sheet") << QByteArray("{" + tail + QByteArray(1, '\0')) << ReadErrorKind::NotJson
                                         << file + QStringLiteral("не является пулей Zelvara: это не текст JSON.");
    QTest::newRow("text after the sheet") << QByteArray("{" + tail + "\n{}") << ReadErrorKind::NotJson
                                          << file + QStringLiteral("не является пулей Zelvara: это не текст JSON.");
    QTest::newRow("NUL inside the sheet")
        << QByteArray("{\"note\": \"a" + QByteArray(1, '\0') + "b\", " + tail) << ReadErrorKind::NotJson
        << file + QStringLiteral("не является пулей Zelvara: это не текст JSON.");
}

void SheetFileTest::badFile_givesItsKindAndMessage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(ReadErrorKind, kind);
    QFETCH(QString, message);

    ReadErrorKind found{};
    const std::string shown = readError(str(bytes), &found);
    QCOMPARE(QString::fromStdString(shown), message);
    QCOMPARE(found, kind);
}

void SheetFileTest::detail_saysWhereAndQuotesLittle_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("detail");

    const QByteArray sheet = R"({"format": "zelvara-sheet", "players": 3, "gameType": "Sochi", )";
    const QByteArray expected = "(expected format, version, saved, note, players, gameType, heapDivisibility, "
                                "decimalSeparator, fields, answer)";
    // Where the text breaks, by line and by character, never a parser's own words.
    QTest::newRow("a word on line 3") << QByteArray("{\n  \"players\": 3,\n  \"gameType\": Sochi\n}")
                                      << QByteArray("the input is not valid JSON: unexpected character 'S' at line 3, "
                                                    "column 15");
    QTest::newRow("columns count characters") << QByteArray("{\"note\": \"Пятница\" ]")
                                              << QByteArray("the input is not valid JSON: unexpected character ']' at "
                                                            "line 1, column 20");
    QTest::newRow("a no-break space is named")
        << QByteArray("{\"players\":\xc2\xa0 3}")
        << QByteArray("the input is not valid JSON: unexpected character U+00A0 at line 1, column 12");
    QTest::newRow("a bad byte") << QByteArray("{\"note\":\n \"Юг\xff\"}")
                                << QByteArray("the input is not valid UTF-8 at line 2, column 5 (byte 15)");
    QTest::newRow("cut short") << QByteArray("{\"players\": 3,")
                               << QByteArray("the input is not valid JSON: it ends too early, at line 1, column 15");
    QTest::newRow("NUL after the sheet") << QByteArray("{}" + QByteArray(1, '\0'))
                                         << QByteArray("the input goes on after the JSON text ends: control character "
                                                       "U+0000 at line 1, column 3");
    QTest::newRow("nested too deep") << QByteArray(100, '[')
                                     << QByteArray(
                                            "the input nests arrays and objects deeper than 32 levels at line 1, "
                                            "column 33");
    QTest::newRow("a number beyond double")
        << QByteArray(sheet + R"("heapDivisibility": "OnNPlayers", "version": 1e999})")
        << QByteArray("\"version\" must be a whole number, not 1e999");
    // What the message quotes of a key or value: a few dozen characters, with control characters shown.
    QTest::newRow("a key of a megabyte") << QByteArray(sheet + "\"" + QByteArray(1 << 20, 'k') + "\": 1}")
                                         << QByteArray("unknown key \"" + QByteArray(60, 'k') + "\"... " + expected);
    QTest::newRow("a long value is cut between characters")
        << QByteArray(sheet + "\"heapDivisibility\": \"" + QByteArray("Ж").repeated(100) + "\"}")
        << QByteArray("\"heapDivisibility\" must be \"OnNPlayers\", \"OnNPlayersMinus1\" or \"Nondivisible\", not \"" +
                      QByteArray("Ж").repeated(60) + "\"...");
    QTest::newRow("terminal escapes in a key")
        << QByteArray(sheet + "\"\\u001b]0;title\\u0007\x7f\xc2\x9b\": 1}")
        << QByteArray("unknown key \"\\u001b]0;title\\u0007\\u007f\\u009b\" " + expected);
    QTest::newRow("a field with a control character")
        << QByteArray(sheet + R"("heapDivisibility": "OnNPlayers", "fields": {"NameOfP1For3": "a\tb"}})")
        << QByteArray("the field \"NameOfP1For3\" must not hold the control character U+0009");
}

void SheetFileTest::detail_saysWhereAndQuotesLittle()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, detail);

    const auto read = sheetfile::readSheet(str(bytes));
    QVERIFY(std::holds_alternative<sheetfile::ReadError>(read));
    QCOMPARE(QByteArray::fromStdString(std::get<sheetfile::ReadError>(read).detail), detail);
}

void SheetFileTest::filesWithoutFormatOrVersion_stayReadable()
{
    // A byte order mark before the text is no part of it.
    for (const char *head : {"{", "{\"version\": 1, ", "{\"format\": \"zelvara-sheet\", ", "\xef\xbb\xbf{"}) {
        const std::string text = std::string(head) + R"("players": 2, "gameType": "Leningrad", )" +
                                 R"("heapDivisibility": "OnNPlayersMinus1", "fields": {"NameOfP2For2": "Ю"}})";
        const auto read = sheetfile::readSheet(text);
        QVERIFY2(std::holds_alternative<SheetDocument>(read), text.c_str());
        const auto &document = std::get<SheetDocument>(read);
        QCOMPARE(document.sheet.players, 2);
        QCOMPARE(document.options.heapDivision, engine::HeapDivision::Nondivisible);
        QCOMPARE(document.sheet.names[0], engine::defaultName(2, 1));
        QCOMPARE(document.sheet.names[1], std::string("Ю"));
        QVERIFY(!document.decimalSeparator && !document.saved && !document.note && !document.answer);
    }
}

void SheetFileTest::example_isWhatTheProgramWrites()
{
    QFile example(QStringLiteral(ZELVARA_SOURCE_DIR "/examples/saved_sheet.zelvara"));
    QVERIFY(example.open(QIODevice::ReadOnly));
    const std::string bytes = str(example.readAll());
    const auto read = sheetfile::readSheet(bytes);
    QVERIFY(std::holds_alternative<SheetDocument>(read));
    QCOMPARE(sheetfile::writeSheet(std::get<SheetDocument>(read)), bytes);
}

void SheetFileTest::prettyJson_oneMemberALine()
{
    // The layout of sheet files and of zelvara-settle --json, empty and nested arrays and objects included;
    // strings keep what JSON must escape escaped.
    const boost::json::value value =
        boost::json::parse(R"({"a": [], "b": {}, "c": [1, {"d": "x\ny\u001b\"", "e": -5}], "f": "Ж"})");
    std::string text;
    sheetfile::appendPrettyJson(text, value);
    QCOMPARE(text, std::string(R"({
  "a": [],
  "b": {},
  "c": [
    1,
    {
      "d": "x\ny\u001b\"",
      "e": -5
    }
  ],
  "f": "Ж"
})"));
}

QTEST_APPLESS_MAIN(SheetFileTest)
#include "sheet_file_test.moc"
