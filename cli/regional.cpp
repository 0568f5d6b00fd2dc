// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/regional.h"

#include <clocale>
#include <string_view>

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

} // namespace zelvara::cli
