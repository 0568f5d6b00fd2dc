// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file: any bytes (any encoding, any size) read and applied as at start-up, the window's
// state then written as at exit and read back. What is written must read back as written, and a second
// start-and-exit must write the same settings as the first. A second case writes a window state built
// from the bytes (names with any characters, whist value texts as a player could type them) and reads it
// back.

#include "engine/sheet.h"
#include "engine/utf8.h"
#include "platform/ini_file.h"
#include "settings/cp1251.h"
#include "settings/settings.h"
#include "tests/fuzz/fuzz_input.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

namespace app = zelvara::app;
namespace engine = zelvara::engine;
using zelvara::fuzz::check;
using zelvara::fuzz::FuzzInput;
using zelvara::fuzz::printable;

using Entries = std::vector<std::pair<std::string, std::string>>;

// The design sizes: a name field 43 pixels wide inside; a stand-in font 7 pixels a character.
constexpr int NameInnerWidth = 43;

int textWidth(const std::string &text)
{
    int characters = 0;
    for (const char c : text) {
        characters += (static_cast<unsigned char>(c) & 0xc0U) != 0x80U ? 1 : 0;
    }
    return characters * 7;
}

app::KeyLookup lookupIn(const zelvara::platform::IniDocument &document)
{
    return [&document](std::string_view key) { return document.value(app::SettingsSection, key); };
}

// The window after applying the stored settings to its design state.
app::WindowSettings windowAfter(const app::SettingsToApply &apply)
{
    app::WindowSettings window;
    window.players = apply.players.value_or(4);
    window.options.gameType = apply.gameType.value_or(engine::GameType::Sochi);
    window.options.heapDivision = apply.heapDivision.value_or(engine::HeapDivision::OnNPlayers);
    if (window.players == 2 && window.options.heapDivision == engine::HeapDivision::OnNPlayersMinus1) {
        window.options.heapDivision = engine::HeapDivision::Nondivisible;
    }
    for (std::size_t sheet = 0; sheet < window.whistValueTexts.size(); ++sheet) {
        window.whistValueTexts[sheet] = apply.whistValueTexts[sheet].value_or("1");
    }
    window.names = apply.names;
    return window;
}

// A start: the file's text read and applied to a fresh window; then the exit: what it writes.
Entries startAndExit(const zelvara::platform::IniDocument &document, char separator)
{
    const auto stored = app::readSettings(lookupIn(document), separator);
    const auto apply = app::applySettings(stored, separator, NameInnerWidth, textWidth);
    return app::settingsEntries(app::collectSettings(windowAfter(apply), separator), separator);
}

std::string describe(const Entries &entries)
{
    std::string out;
    for (const auto &[key, value] : entries) {
        out += key + "=" + printable(value) + "\n";
    }
    return out;
}

// Writes the entries into the document, saves it as text and reads that text as a new start would.
std::string writeAndSave(zelvara::platform::IniDocument &document, const Entries &entries)
{
    for (const auto &[key, value] : entries) {
        document.setValue(app::SettingsSection, key, value);
    }
    return document.text();
}

void checkReadsBack(const std::string &saved, const Entries &written, char separator)
{
    zelvara::platform::IniDocument reread;
    reread.load(app::decodeSettingsText(saved));
    for (const auto &[key, value] : written) {
        const auto found = reread.value(app::SettingsSection, key);
        check(found.has_value(), "a written key is in the file", key);
        check(*found == value, "a written value reads back as written",
              key + "=" + printable(value) + " read " + printable(found.value_or("")));
    }
    const auto again = startAndExit(reread, separator);
    check(again == written, "a second start and exit writes the same settings", describe(again));
}

// A name as it can reach the window, from a sheet file among others: UTF-8 of a few characters, control
// characters (line breaks, NUL) included; they must never break the file.
std::string typedName(FuzzInput &in)
{
    std::string name = in.rawText(10);
    return engine::isValidUtf8(name) && textWidth(name) < NameInnerWidth - 1 ? name : std::string("Юг");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    zelvara::fuzz::inputDescription() = "file: " + printable(bytes.substr(0, 2000));

    for (const char separator : {',', '.'}) {
        // Start-up on the file as it is, then exit: what is written reads back as written.
        zelvara::platform::IniDocument document;
        document.load(app::decodeSettingsText(bytes));
        const Entries written = startAndExit(document, separator);
        check(written.size() == 15, "every key is written");
        checkReadsBack(writeAndSave(document, written), written, separator);
    }

    // A window state typed by a player, written into that same file and read back.
    FuzzInput in(data, size);
    const char separator = in.flag() ? ',' : '.';
    app::WindowSettings window;
    window.players = engine::MinPlayers + in.choose(3);
    window.options.gameType = in.flag() ? engine::GameType::Leningrad : engine::GameType::Sochi;
    window.options.heapDivision = static_cast<engine::HeapDivision>(in.choose(3));
    for (auto &text : window.whistValueTexts) {
        text = in.rawText(5);
    }
    for (auto &name : window.names) {
        name = typedName(in);
    }
    const Entries typed = app::settingsEntries(app::collectSettings(window, separator), separator);
    zelvara::fuzz::inputDescription() += "\ntyped:\n" + describe(typed);
    zelvara::platform::IniDocument document;
    document.load(app::decodeSettingsText(bytes));
    const std::string saved = writeAndSave(document, typed);
    zelvara::platform::IniDocument reread;
    reread.load(app::decodeSettingsText(saved));
    const auto stored = app::readSettings(lookupIn(reread), separator);
    check(app::settingsEntries(stored, separator) == typed, "typed settings read back as typed",
          describe(app::settingsEntries(stored, separator)));
    return 0;
}
