// SPDX-License-Identifier: GPL-3.0-or-later
// What the window tells the player about a sheet file it cannot open or save: one Russian sentence that
// names the file and says in the player's words what is wrong, never a JSON key or a control's name.
#include "engine/sheet.h"
#include "sheetfile/json_text.h"
#include "sheetfile/keys.h"
#include "sheetfile/sheet_file.h"

namespace zelvara::sheetfile {
namespace {

// What a message names, in the player's words, and the gender its participle takes.
struct Words
{
    std::string text;
    Gender gender = Gender::Masculine;
};

std::string inGuillemets(std::string_view text)
{
    return "«" + std::string(text) + "»";
}

// A file name as the messages show it: a control character in it must not break the message's line.
std::string shownFile(std::string_view fileName)
{
    return inGuillemets(visibleControls(fileName));
}

std::string seat(int players, int player)
{
    return "игрока " + engine::defaultName(players, player);
}

// A field as the window shows it: "гора игрока Запад", "висты игрока Запад на игрока Север".
Words fieldWords(const engine::NamedField &named)
{
    const int n = named.players;
    const int player = named.field.player;
    switch (named.field.kind) {
    case engine::FieldKind::WhistValue:
        return {"цена виста", Gender::Feminine};
    case engine::FieldKind::Name:
        return {"имя " + seat(n, player), Gender::Neuter};
    case engine::FieldKind::Pool:
        return {"пуля " + seat(n, player), Gender::Feminine};
    case engine::FieldKind::Heap:
        return {"гора " + seat(n, player), Gender::Feminine};
    case engine::FieldKind::Whists:
        return {"висты " + seat(n, player) + " на " + seat(n, named.field.other), Gender::Plural};
    case engine::FieldKind::Result:
        return {"итог " + seat(n, player), Gender::Masculine};
    }
    return {};
}

// The field, a key of the table, or a key the program does not know, quoted as the file gives it.
Words subjectWords(const ReadError &error)
{
    if (error.field) {
        return fieldWords(*error.field);
    }
    for (const KeyEntry &known : Keys) {
        if (known.name == error.subject) {
            return {std::string(known.words), known.gender};
        }
    }
    if (findAnswerKey(error.subject)) {
        return {std::string(entry(Key::Answer).words), entry(Key::Answer).gender};
    }
    return {"запись " + inGuillemets(error.subject), Gender::Feminine};
}

// "записан", "записана", "записано", "записаны".
std::string agreed(std::string_view stem, Gender gender)
{
    switch (gender) {
    case Gender::Masculine:
        break;
    case Gender::Feminine:
        return std::string(stem) + "а";
    case Gender::Neuter:
        return std::string(stem) + "о";
    case Gender::Plural:
        return std::string(stem) + "ы";
    }
    return std::string(stem);
}

std::string forPlayers(int players)
{
    return "для " + std::to_string(players) + " игроков";
}

// "1 МБ"
std::string largestFile()
{
    return std::to_string(MaxFileSize >> 20U) + " МБ";
}

} // namespace

std::string russianMessage(const ReadError &error, std::string_view fileName)
{
    const std::string file = "Файл " + shownFile(fileName);
    const std::string damaged = file + " повреждён: ";
    const Words subject = subjectWords(error);
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
        return damaged + subject.text + " " + agreed("записан", subject.gender) + " в нём дважды.";
    case ReadErrorKind::UnknownKey:
        return damaged + "в нём есть неизвестная запись " + inGuillemets(error.subject) + ".";
    case ReadErrorKind::MissingKey:
        return damaged + "в нём не " + agreed("указан", subject.gender) + " " + subject.text + ".";
    case ReadErrorKind::BadValue:
        return damaged + "в нём неверно " + agreed("записан", subject.gender) + " " + subject.text + ".";
    case ReadErrorKind::UnknownField:
        return damaged + "в нём есть поле " + inGuillemets(error.subject) + ", которого нет ни в одной пуле.";
    case ReadErrorKind::ResultField:
        return damaged + "в нём записан " + subject.text + ", а итоги программа получает только расчётом.";
    case ReadErrorKind::OtherSheetField:
        return damaged + subject.text + " относится к пуле " + forPlayers(error.field ? error.field->players : 0) +
               ", а в файле указана пуля " + forPlayers(error.sheetPlayers) + ".";
    case ReadErrorKind::ControlCharacter:
        return damaged + subject.text + (subject.gender == Gender::Plural ? " содержат" : " содержит") +
               " управляющий символ " + codePointName(error.character) + ".";
    }
    return file + " не является пулей Zelvara.";
}

std::string russianUnreadableMessage(std::string_view fileName)
{
    return "Не удалось прочитать файл " + shownFile(fileName) + ".";
}

std::string russianFolderMessage(std::string_view fileName)
{
    return "Не удалось открыть " + shownFile(fileName) + ": это папка, а не файл.";
}

std::string russianTooLargeMessage(std::string_view fileName)
{
    return "Файл " + shownFile(fileName) + " не является пулей Zelvara: он больше " + largestFile() +
           ", а пуля со всеми полями и примечанием занимает несколько килобайт.";
}

std::string russianUnwritableMessage(std::string_view fileName)
{
    return "Не удалось сохранить пулю в файл " + shownFile(fileName) + ".";
}

std::string russianTooLargeToSaveMessage(std::string_view fileName)
{
    return "Пуля не сохранена в файл " + shownFile(fileName) + ": её текст занял бы больше " + largestFile() +
           ", а файл такого размера программа не откроет. Файл оставлен как был.";
}

} // namespace zelvara::sheetfile
