// SPDX-License-Identifier: GPL-3.0-or-later
// zelvara-settle's input: any bytes as the JSON text of a sheet. A refusal must be one line for the
// user; an accepted sheet must settle exactly as the window settles it, and both outputs must be
// well-formed (the JSON output parses back with the same result texts). The same bytes as a batch:
// every sheet line gets one JSON line back, numbered, an error exactly when the line is malformed.

#include "cli/batch.h"
#include "cli/report.h"
#include "cli/request.h"
#include "engine/result_format.h"
#include "engine/settlement.h"
#include "tests/fuzz/fuzz_input.h"

#include <algorithm>
#include <boost/json/parse.hpp>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace {

namespace cli = zelvara::cli;
namespace engine = zelvara::engine;
using zelvara::fuzz::check;
namespace json = boost::json;

json::value parsed(const std::string &text)
{
    json::error_code error;
    json::value value = json::parse(text, error);
    return error ? json::value() : value;
}

const std::vector<engine::ShownResult> &resultsOf(const cli::Report &report)
{
    static const std::vector<engine::ShownResult> none;
    return report.shown() ? report.shown()->results : none;
}

void checkJsonOutput(const cli::Report &report)
{
    const std::string text = cli::formatJson(report);
    check(!text.empty() && text.back() == '\n', "the JSON output ends with a newline");
    const json::value output = parsed(text);
    check(output.is_object(), "the JSON output is a JSON object", text);
    const json::object &members = output.get_object();
    if (report.message()) {
        check(members.contains("message"), "the JSON output carries the message", text);
    }
    if (!resultsOf(report).empty()) {
        const json::object *results = members.contains("results") ? members.at("results").if_object() : nullptr;
        check(results != nullptr && results->size() == resultsOf(report).size(), "the JSON output carries every result",
              text);
        std::size_t i = 0;
        for (const json::key_value_pair &result : *results) {
            const json::object *shown = result.value().if_object();
            check(shown != nullptr && shown->contains("text") && shown->at("text") == resultsOf(report)[i].text.c_str(),
                  "the JSON output shows the result texts", text);
            ++i;
        }
    }
    const std::string table = cli::formatTable(report);
    check(!table.empty() && table.back() == '\n', "the table ends with a newline");
}

void checkAgainstEngine(const cli::Request &request, const cli::Report &report, char separator)
{
    const auto outcome = engine::settle(request.sheet, request.options, separator);
    if (const auto *results = std::get_if<engine::Results>(&outcome)) {
        const auto shown = engine::resultTexts(*results, separator);
        check(!report.message() && !report.dialog(), "a sheet the window settles needs no message or dialog");
        check(resultsOf(report).size() == shown.size(), "the command shows every result the window shows");
        for (std::size_t i = 0; i < shown.size(); ++i) {
            check(resultsOf(report)[i].text == shown[i].text && resultsOf(report)[i].tone == shown[i].tone,
                  "the command shows the window's result texts", resultsOf(report)[i].text + " vs " + shown[i].text);
        }
        check(cli::exitStatus(report) == cli::ExitStatus::Settled, "results shown exit with 0");
    } else if (const auto *failure = std::get_if<engine::ValidationFailure>(&outcome)) {
        check(report.message() && *report.message() == failure->message, "the command shows the window's message");
        check(resultsOf(report).empty(), "a refused sheet shows no results");
        check(cli::exitStatus(report) == cli::ExitStatus::Refused, "a message exits with 1");
    } else {
        check(report.dialog() == std::get<engine::CorrectionDialog>(outcome), "the command opens the window's dialog");
        if (request.answer) {
            check(static_cast<int>(resultsOf(report).size()) == request.sheet.players,
                  "an answered dialog shows every result");
            check(cli::exitStatus(report) == cli::ExitStatus::Settled, "an answered dialog exits with 0");
        } else {
            check(resultsOf(report).empty() && cli::exitStatus(report) == cli::ExitStatus::Unanswered,
                  "an unanswered dialog exits with 3");
        }
    }
}

void checkBatch(std::string_view input)
{
    std::uint64_t number = 0;
    std::size_t start = 0;
    while (start < input.size()) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        const std::string_view line = input.substr(start, end - start);
        start = end + 1;
        ++number;
        const auto answered = cli::settleBatchLine(line, number, ',');
        if (!answered) {
            check(line.find_first_not_of(" \t\r") == std::string_view::npos, "only a blank line gets no answer");
            continue;
        }
        const std::string &text = answered->json;
        check(!text.empty() && text.find('\n') == text.size() - 1, "a batch answers a line with one line", text);
        const json::value output = parsed(text);
        check(output.is_object() && !output.get_object().empty(), "a batch line is a JSON object", text);
        const json::object &members = output.get_object();
        check(members.begin()->key() == "line" && members.begin()->value() == number,
              "a batch line leads with its number", text);
        const bool malformed = std::holds_alternative<cli::InputError>(cli::parseRequest(line));
        check(members.contains("error") == malformed, "exactly the malformed lines are errors", text);
        check(answered->settled == members.contains("results"),
              "a line counts as settled exactly when it shows results", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    zelvara::fuzz::inputDescription() = zelvara::fuzz::printable(input);
    checkBatch(input);
    const auto parsed = cli::parseRequest(input);
    if (const auto *error = std::get_if<cli::InputError>(&parsed)) {
        check(!error->what.empty(), "a refusal says why");
        check(error->what.find('\n') == std::string::npos, "a refusal is one line", error->what);
        return 0;
    }
    const auto &request = std::get<cli::Request>(parsed);
    check(request.sheet.players >= engine::MinPlayers && request.sheet.players <= engine::MaxPlayers,
          "an accepted sheet has two to four players");
    for (const char separator : {',', '.'}) {
        if (request.decimalSeparator && *request.decimalSeparator != separator) {
            continue;
        }
        const auto report = cli::settleRequest(request, separator);
        checkAgainstEngine(request, report, separator);
        checkJsonOutput(report);
    }
    return 0;
}
