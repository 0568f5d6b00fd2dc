// SPDX-License-Identifier: GPL-3.0-or-later
// zelvara-settle writes its JSON itself; these cases hold its text to what nlohmann_json dumps for the
// same document, so the output cannot drift from the JSON the program printed before.
#include "cli/json_writer.h"

#include <QTest>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

using zelvara::cli::JsonWriter;
using Ordered = nlohmann::ordered_json;

class JsonWriterTest : public QObject
{
    Q_OBJECT

private slots:
    void string_isWrittenAsNlohmannDumpsIt_data();
    void string_isWrittenAsNlohmannDumpsIt();
    void nestedDocument_matchesNlohmann_compactAndIndented();
};

void JsonWriterTest::string_isWrittenAsNlohmannDumpsIt_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("plain") << QByteArray("+29");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("quotes and backslashes") << QByteArray(R"(the key "a\b" is given twice)");
    QTest::newRow("every control byte") << QByteArray("\x01\x02\b\t\n\x0b\f\r\x1f\x7f end", 14);
    QTest::newRow("NUL") << QByteArray("a\0b", 3);
    QTest::newRow("Cyrillic") << QByteArray("списать 1 очко с горы игрока Север.");
    QTest::newRow("Cyrillic with a tab") << QByteArray("Запад\tСевер");
    QTest::newRow("a broken byte") << QByteArray("Юг \xff and \xd0");
    QTest::newRow("a surrogate") << QByteArray("\xed\xa0\x80");
}

void JsonWriterTest::string_isWrittenAsNlohmannDumpsIt()
{
    QFETCH(QByteArray, text);
    const std::string value(text.constData(), static_cast<std::size_t>(text.size()));
    for (const int indent : {-1, 2}) {
        std::string written;
        JsonWriter out(written, indent);
        out.value(value);
        QCOMPARE(written, Ordered(value).dump(indent, ' ', false, Ordered::error_handler_t::replace));
    }
}

void JsonWriterTest::nestedDocument_matchesNlohmann_compactAndIndented()
{
    const Ordered expected = {{"line", std::uint64_t{18446744073709551615U}},
                              {"proposal", {"первая строка", ""}},
                              {"fields", Ordered::object()},
                              {"pairs", Ordered::array()},
                              {"results", {{"ResultOfP1For3", {{"text", "-6"}, {"color", "red"}}}}},
                              {"players", {{{"heap", std::int64_t{-9223372036854775807LL - 1}}, {"to", 3}}}}};
    for (const int indent : {-1, 2}) {
        std::string written;
        JsonWriter out(written, indent);
        out.beginObject();
        out.key("line");
        out.value(std::uint64_t{18446744073709551615U});
        out.key("proposal");
        out.beginArray();
        out.value("первая строка");
        out.value("");
        out.endArray();
        out.key("fields");
        out.beginObject();
        out.endObject();
        out.key("pairs");
        out.beginArray();
        out.endArray();
        out.key("results");
        out.beginObject();
        out.key("ResultOfP1For3");
        out.beginObject();
        out.key("text");
        out.value("-6");
        out.key("color");
        out.value("red");
        out.endObject();
        out.endObject();
        out.key("players");
        out.beginArray();
        out.beginObject();
        out.key("heap");
        out.value(std::int64_t{-9223372036854775807LL - 1});
        out.key("to");
        out.value(3);
        out.endObject();
        out.endArray();
        out.endObject();
        QCOMPARE(written, expected.dump(indent, ' ', false, Ordered::error_handler_t::replace));
    }
}

QTEST_APPLESS_MAIN(JsonWriterTest)
#include "json_writer_test.moc"
