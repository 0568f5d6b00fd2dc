// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/request.h"

namespace zelvara::cli {

std::variant<Request, InputError> parseRequest(std::string_view input)
{
    auto read = sheetfile::readSheet(input);
    if (auto *error = std::get_if<sheetfile::ReadError>(&read)) {
        return InputError{std::move(error->detail)};
    }
    return std::get<sheetfile::SheetDocument>(std::move(read));
}

} // namespace zelvara::cli
