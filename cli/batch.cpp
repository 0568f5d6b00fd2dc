// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/batch.h"

#include "cli/report.h"
#include "cli/request.h"

#include <array>
#include <boost/json/serialize.hpp>
#include <boost/json/value.hpp>
#include <cerrno>
#include <memory>
#include <new>
#include <unistd.h>
#include <variant>

namespace zelvara::cli {

namespace {

namespace json = boost::json;

void appendErrorLine(std::string &out, std::uint64_t number, std::string_view what)
{
    const json::object line{{"line", number}, {"error", json::string_view(what.data(), what.size())}};
    out += json::serialize(line);
    out += '\n';
}

// The output line for one input line, added to `out`: whether the sheet settled to results, or nothing
// for a blank line.
std::optional<bool> appendBatchLine(std::string &out, std::string_view line, std::uint64_t number,
                                    char regionalSeparator, Additions additions)
{
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) {
        return std::nullopt;
    }
    auto parsed = parseRequest(line);
    if (const auto *error = std::get_if<InputError>(&parsed)) {
        appendErrorLine(out, number, error->what);
        return false;
    }
    auto &request = std::get<Request>(parsed);
    const char separator = request.decimalSeparator.value_or(regionalSeparator);
    const Report report = settleRequest(std::move(request), separator, additions);
    appendJsonLine(out, report, number);
    return exitStatus(report) == ExitStatus::Settled;
}

// The next bytes of the file as they come, with no waiting for a buffer to fill: a line typed or piped in
// is answered at once. Nothing at the end of the file.
std::optional<std::string_view> readSome(int input, std::array<char, 65536> &chunk)
{
    for (;;) {
        const ssize_t count = ::read(input, chunk.data(), chunk.size());
        if (count >= 0) {
            return count == 0 ? std::nullopt
                              : std::optional(std::string_view(chunk.data(), static_cast<std::size_t>(count)));
        }
        if (errno != EINTR) {
            throw StreamFailure{StreamFailure::Side::Reading, errno};
        }
    }
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

std::optional<StreamFailure> runBatch(int input, std::FILE *output, char regionalSeparator, BatchProgress &progress,
                                      Additions additions)
{
    std::string out; // one output line, its buffer kept from line to line
    const auto answer = [&](std::string_view line, bool tooLong) {
        ++progress.lines;
        out.clear();
        std::optional<bool> settled;
        if (tooLong) {
            appendErrorLine(out, progress.lines,
                            "the line is longer than " + maxSheetSizeText() + ", the most a sheet may take");
            settled = false;
        } else {
            settled = appendBatchLine(out, line, progress.lines, regionalSeparator, additions);
        }
        if (!settled) {
            return;
        }
        ++progress.sheets;
        progress.settled += *settled ? 1U : 0U;
        if (std::fwrite(out.data(), 1, out.size(), output) != out.size()) {
            throw StreamFailure{StreamFailure::Side::Writing, errno};
        }
    };

    auto chunk = std::make_unique<std::array<char, 65536>>();
    std::string pending;  // the start of a line that began in an earlier chunk
    bool tooLong = false; // the line being read is longer than MaxSheetSize: the rest of it is read past
    // A line that cannot be held in memory cannot be read: that is a failure to read, never the end of
    // the input.
    const auto hold = [&pending](std::string_view piece) {
        try {
            pending.append(piece);
        } catch (const std::bad_alloc &) {
            throw StreamFailure{StreamFailure::Side::Reading, ENOMEM};
        }
    };
    try {
        while (const auto read = readSome(input, *chunk)) {
            std::string_view rest = *read;
            while (!rest.empty()) {
                const std::size_t end = rest.find('\n');
                const std::string_view piece = rest.substr(0, end);
                if (!tooLong && pending.size() + piece.size() > MaxSheetSize) {
                    tooLong = true;
                    pending = std::string(); // gives the memory back
                }
                if (end == std::string_view::npos) {
                    if (!tooLong) {
                        hold(piece);
                    }
                    break;
                }
                // A line read in one chunk is answered where it lies, with no copy.
                if (!tooLong && !pending.empty()) {
                    hold(piece);
                }
                answer(pending.empty() ? piece : std::string_view(pending), tooLong);
                pending.clear();
                tooLong = false;
                rest.remove_prefix(end + 1);
            }
        }
        if (!pending.empty() || tooLong) {
            answer(pending, tooLong); // the last line, with no newline after it
        }
    } catch (const StreamFailure &failure) {
        return failure;
    }
    return std::nullopt;
}

} // namespace zelvara::cli
