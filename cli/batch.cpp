// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/batch.h"

#include "cli/report.h"
#include "cli/request.h"

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sys/types.h>
#include <variant>

namespace zelvara::cli {

std::optional<BatchLine> settleBatchLine(std::string_view line, std::uint64_t number, char regionalSeparator,
                                         Additions additions)
{
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) {
        return std::nullopt;
    }
    const auto parsed = parseRequest(line);
    if (const auto *error = std::get_if<InputError>(&parsed)) {
        nlohmann::ordered_json out = {{"line", number}, {"error", error->what}};
        return BatchLine{out.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n", false};
    }
    const auto &request = std::get<Request>(parsed);
    const Report report = settleRequest(request, request.decimalSeparator.value_or(regionalSeparator), additions);
    return BatchLine{formatJsonLine(report, number), exitStatus(report) == 0};
}

bool runBatch(std::FILE *input, std::FILE *output, char regionalSeparator, BatchProgress &progress, Additions additions)
{
    // getline grows one buffer to the longest line read, so a line of any length is read whole.
    struct LineBuffer
    {
        char *data = nullptr;
        std::size_t capacity = 0;
        LineBuffer() = default;
        LineBuffer(const LineBuffer &) = delete;
        LineBuffer &operator=(const LineBuffer &) = delete;
        LineBuffer(LineBuffer &&) = delete;
        LineBuffer &operator=(LineBuffer &&) = delete;
        // getline allocates with malloc, so the buffer goes back with free.
        ~LineBuffer() { std::free(data); } // NOLINT(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory)
    } buffer;
    ssize_t length = 0;
    while ((length = ::getline(&buffer.data, &buffer.capacity, input)) >= 0) {
        std::string_view line(buffer.data, static_cast<std::size_t>(length));
        if (line.ends_with('\n')) {
            line.remove_suffix(1);
        }
        ++progress.lines;
        const auto result = settleBatchLine(line, progress.lines, regionalSeparator, additions);
        if (!result) {
            continue;
        }
        ++progress.sheets;
        progress.settled += result->settled ? 1U : 0U;
        if (std::fwrite(result->json.data(), 1, result->json.size(), output) != result->json.size()) {
            return false;
        }
    }
    return std::ferror(input) == 0;
}

} // namespace zelvara::cli
