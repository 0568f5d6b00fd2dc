// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/terminal.h"

#include <algorithm>
#include <clocale>

namespace zelvara::cli {

char regionalDecimalSeparator()
{
    char separator = '.';
    if (std::setlocale(LC_NUMERIC, "") != nullptr) {
        const std::lconv *conventions = std::localeconv();
        if (conventions != nullptr && std::string_view(conventions->decimal_point) == ",") {
            separator = ',';
        }
    }
    std::setlocale(LC_NUMERIC, "C");
    return separator;
}

std::size_t characterCount(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U; }));
}

std::string padded(std::string_view text, std::size_t width, bool right)
{
    const std::string fill(width - std::min(width, characterCount(text)), ' ');
    return right ? fill + std::string(text) : std::string(text) + fill;
}

} // namespace zelvara::cli
