// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/batch.h"

#include "cli/json_writer.h"
#include "cli/report.h"
#include "cli/request.h"

#include <cstdlib>
#include <sys/types.h>
#include <variant>

namespace zelvara::cli {

namespace {

// The output line for one input line, added to `out`: whether the sheet settled to results, or nothing
// for a blank line.
std::optional<bool> appendBatchLine(std::string &out, std::string_view line, std::uint64_t number,
                                    char regionalSeparator, Additions additions)
{
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) {
        return std::nullopt;
    }
    const auto parsed = parseRequest(line);
    if (const auto *error = std::get_if<InputError>(&parsed)) {
        JsonWriter json(out, -1);
        json.beginObject();
        json.key("line");
        json.value(number);
        json.key("error");
        json.value(error->what);
        json.endObject();
        out += '\n';
        return false;
    }
    const auto &request = std::get<Request>(parsed);
    const Report report = settleRequest(request, request.decimalSeparator.value_or(regionalSeparator), additions);
    appendJsonLine(out, report, number);
    return exitStatus(report) == 0;
}

} // namespace

std::optional<BatchLine> settleBatchLine(std::string_view line, std::uint64_t number, char regionalSeparator,
                                         Additions additions)
{
    BatchLine result;
    const auto settled = appendBatchLine(result.json, line, number, regionalSeparator, additions);
    if (!settled) {
        return std::nullopt;
    }
    result.settled = *settled;
    return result;
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
    std::string out; // one output line, its buffer kept from line to line
    ssize_t length = 0;
    while ((length = ::getline(&buffer.data, &buffer.capacity, input)) >= 0) {
        std::string_view line(buffer.data, static_cast<std::size_t>(length));
        if (line.ends_with('\n')) {
            line.remove_suffix(1);
        }
        ++progress.lines;
        out.clear();
        const auto settled = appendBatchLine(out, line, progress.lines, regionalSeparator, additions);
        if (!settled) {
            continue;
        }
        ++progress.sheets;
        progress.settled += *settled ? 1U : 0U;
        if (std::fwrite(out.data(), 1, out.size(), output) != out.size()) {
            return false;
        }
    }
    return std::ferror(input) == 0;
}

} // namespace zelvara::cli
