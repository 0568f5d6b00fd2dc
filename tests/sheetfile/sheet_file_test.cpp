// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/field_reading.h"
#include "engine/settlement.h"
#include "sheetfile/sheet_file.h"

#include <QFile>
#include <QTest>

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
    void filesWithoutFormatOrVersion_stayReadable();
    void example_isWhatTheProgramWrites();
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
    QTest::newRow("version as text") << QByteArray("{\"version\": \"1\", " + tail) << ReadErrorKind::BadValue
                                     << damaged + QStringLiteral("в нём неверно записан номер версии.");
    QTest::newRow("version 0") << QByteArray("{\"version\": 0, " + tail) << ReadErrorKind::BadValue
                               << damaged + QStringLiteral("в нём неверно записан номер версии.");
    QTest::newRow("version 1.5") << QByteArray("{\"version\": 1.5, " + tail) << ReadErrorKind::BadValue
                                 << damaged + QStringLiteral("в нём неверно записан номер версии.");
    QTest::newRow("key twice") << QByteArray("{\"players\": 3, " + tail) << ReadErrorKind::RepeatedKey
                               << damaged + QStringLiteral("запись «players» встречается в нём дважды.");
    QTest::newRow("field twice") << QByteArray(R"({"fields": {"HeapOfP1For3": "1", "HeapOfP1For3": "2"}, )" + tail)
                                 << ReadErrorKind::RepeatedKey
                                 << damaged + QStringLiteral("запись «HeapOfP1For3» встречается в нём дважды.");
    QTest::newRow("a bad byte between keys")
        << QByteArray("{\"note\": \"\", \xff}") << ReadErrorKind::NotUtf8
        << file + QStringLiteral("не является пулей Zelvara: это не текст в кодировке UTF-8.");
    QTest::newRow("a number beyond double") << QByteArray("{\"players\": 1e999, " + tail) << ReadErrorKind::NotSheet
                                            << file + QStringLiteral("не является пулей Zelvara.");
    QTest::newRow("unknown key") << QByteArray("{\"score\": 1, " + tail) << ReadErrorKind::UnknownKey
                                 << damaged + QStringLiteral("в нём есть неизвестная запись «score».");
    QTest::newRow("no game type") << QByteArray(R"({"players": 3, "heapDivisibility": "OnNPlayers"})")
                                  << ReadErrorKind::MissingKey << damaged + QStringLiteral("в нём не указан вид игры.");
    QTest::newRow("no players") << QByteArray(R"({"gameType": "Sochi", "heapDivisibility": "OnNPlayers"})")
                                << ReadErrorKind::MissingKey
                                << damaged + QStringLiteral("в нём не указано число игроков.");
    QTest::newRow("five players") << QByteArray(R"({"players": 5, "gameType": "Sochi", "heapDivisibility": "x"})")
                                  << ReadErrorKind::BadValue
                                  << damaged + QStringLiteral("в нём неверно записано число игроков.");
    QTest::newRow("fields as list") << QByteArray("{\"fields\": [], " + tail) << ReadErrorKind::BadValue
                                    << damaged + QStringLiteral("в нём неверно записаны поля пули.");
    QTest::newRow("note as number") << QByteArray("{\"note\": 5, " + tail) << ReadErrorKind::BadValue
                                    << damaged + QStringLiteral("в нём неверно записано примечание.");
    QTest::newRow("heap as number") << QByteArray("{\"fields\": {\"HeapOfP1For3\": 20}, " + tail)
                                    << ReadErrorKind::BadValue
                                    << damaged + QStringLiteral("в нём неверно записано поле «HeapOfP1For3».");
    QTest::newRow("player 4 of 3") << QByteArray("{\"fields\": {\"HeapOfP4For3\": \"1\"}, " + tail)
                                   << ReadErrorKind::UnknownField
                                   << damaged + QStringLiteral(
                                                    "в нём есть поле «HeapOfP4For3», которого нет ни в одной пуле.");
    QTest::newRow("a result") << QByteArray("{\"fields\": {\"ResultOfP1For3\": \"5\"}, " + tail)
                              << ReadErrorKind::ResultField
                              << damaged + QStringLiteral("в нём записан результат «ResultOfP1For3», а результаты "
                                                          "программа получает только расчётом.");
    QTest::newRow("field of the 2-player sheet")
        << QByteArray("{\"fields\": {\"HeapOfP1For2\": \"1\"}, " + tail) << ReadErrorKind::OtherSheetField
        << damaged + QStringLiteral("поле «HeapOfP1For2» относится к пуле на 2 игрока, а в файле указана пуля на 3 "
                                    "игроков.");
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

void SheetFileTest::filesWithoutFormatOrVersion_stayReadable()
{
    for (const char *head : {"", R"("version": 1, )", R"("format": "zelvara-sheet", )"}) {
        const std::string text = std::string("{") + head + R"("players": 2, "gameType": "Leningrad", )" +
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

QTEST_APPLESS_MAIN(SheetFileTest)
#include "sheet_file_test.moc"
