// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/cp1251.h"

#include "engine/utf8.h"

namespace zelvara::app {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

} // namespace

std::string cp1251ToUtf8(std::string_view bytes)
{
    // 0x98 has no character; the replacement takes its place and the rest is read on.
    return engine::recode(bytes, "CP1251", "UTF-8", ReplacementCharacter).text;
}

std::string decodeSettingsText(std::string_view bytes)
{
    if (engine::isValidUtf8(bytes)) {
        if (bytes.starts_with(Utf8Bom))
            bytes.remove_prefix(Utf8Bom.size());
        return std::string(bytes);
    }
    return cp1251ToUtf8(bytes);
}

} // namespace zelvara::app
