// SPDX-License-Identifier: GPL-3.0-or-later
// What the window tells the player about a sheet file it cannot open or save: one Russian sentence that
// names the file and says in the player's words what is wrong, never a JSON key alone.
#include "engine/sheet.h"
#include "sheetfile/sheet_file.h"

#include <array>

namespace zelvara::sheetfile {
namespace {

// A key of the file as the player knows it, with the ending its participle takes ("записан", "записано",
// "записана", "записаны").
struct KeyWords
{
    std::string_view key;
    std::string_view words;
    std::string_view ending;
};

constexpr std::array<KeyWords, 12> Keys{{
    {"format", "название формата", "о"},
    {"version", "номер версии", ""},
    {"saved", "время сохранения", "о"},
    {"note", "примечание", "о"},
    {"players", "число игроков", "о"},
    {"gameType", "вид игры", ""},
    {"heapDivisibility", "деление горы", "о"},
    {"decimalSeparator", "десятичный разделитель", ""},
    {"fields", "поля пули", "ы"},
    {"answer", "ответ в окне коррекции", ""},
    {"button", "ответ в окне коррекции", ""},
    {"player", "ответ в окне коррекции", ""},
}};

std::string quoted(std::string_view text)
{
    return "«" + std::string(text) + "»";
}

std::string participle(std::string_view stem, std::string_view subject)
{
    for (const auto &entry : Keys) {
        if (entry.key == subject) {
            return std::string(stem) + std::string(entry.ending) + " " + std::string(entry.words);
        }
    }
    // A field name: "поле" is neuter.
    return std::string(stem) + "о поле " + quoted(subject);
}

std::string playersWord(int players)
{
    return std::to_string(players) + (players == 2 ? " игрока" : " игроков");
}

} // namespace

std::string russianMessage(const ReadError &error, std::string_view fileName)
{
    const std::string file = "Файл " + quoted(fileName);
    const std::string damaged = file + " повреждён: ";
    switch (error.kind) {
    case ReadErrorKind::NotUtf8:
        return file + " не является пулей Zelvara: это не текст в кодировке UTF-8.";
    case ReadErrorKind::NotJson:
        return file + " не является пулей Zelvara: это не текст JSON.";
    case ReadErrorKind::NotSheet:
        return file + " не является пулей Zelvara.";
    case ReadErrorKind::NewerVersion:
        return file + " сохранён более новой версией Zelvara (версия формата " + error.subject +
               ") и не может быть открыт этой версией программы.";
    case ReadErrorKind::RepeatedKey:
        return damaged + "запись " + quoted(error.subject) + " встречается в нём дважды.";
    case ReadErrorKind::UnknownKey:
        return damaged + "в нём есть неизвестная запись " + quoted(error.subject) + ".";
    case ReadErrorKind::MissingKey:
        return damaged + "в нём не " + participle("указан", error.subject) + ".";
    case ReadErrorKind::BadValue:
        return damaged + "в нём неверно " + participle("записан", error.subject) + ".";
    case ReadErrorKind::UnknownField:
        return damaged + "в нём есть поле " + quoted(error.subject) + ", которого нет ни в одной пуле.";
    case ReadErrorKind::ResultField:
        return damaged + "в нём записан результат " + quoted(error.subject) +
               ", а результаты программа получает только расчётом.";
    case ReadErrorKind::OtherSheetField:
        return damaged + "поле " + quoted(error.subject) + " относится к пуле на " + playersWord(error.fieldPlayers) +
               ", а в файле указана пуля на " + playersWord(error.sheetPlayers) + ".";
    }
    return file + " не является пулей Zelvara.";
}

std::string russianUnreadableMessage(std::string_view fileName)
{
    return "Не удалось прочитать файл " + quoted(fileName) + ".";
}

std::string russianUnwritableMessage(std::string_view fileName)
{
    return "Не удалось сохранить пулю в файл " + quoted(fileName) + ".";
}

} // namespace zelvara::sheetfile
