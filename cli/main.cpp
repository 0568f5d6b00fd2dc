// SPDX-License-Identifier: GPL-3.0-or-later
// zelvara-settle: settles one pool sheet given as JSON, or a batch of them as JSON Lines, for scripts and
// tests, with the same engine as the window. Exit status: 0 results shown, 1 a validation message, 2 bad
// usage or malformed input, 3 a correction dialog opened and the sheet gave no answer, 4 a batch in which
// some sheet did not settle to results.

#include "cli/batch.h"
#include "cli/report.h"
#include "cli/request.h"

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

constexpr int UsageError = 2;
constexpr int BatchNotAllSettled = 4;

constexpr std::string_view Usage = R"(Usage: zelvara-settle [--json] [--payments] [--explain] [FILE]
       zelvara-settle --batch [--payments] [--explain] [FILE...]

Settles one Preferans pool sheet given as JSON in FILE (or on standard input when FILE is
missing or "-") and prints the results as a table, or as JSON with --json.

  --json      print JSON: {"message": ...} or {"dialog", "proposal", "fields", "results"}
  --payments  with results, add who pays whom: "pairs", "payments" and "paymentsNote"
  --explain   with results, add how they came about: "breakdown"
  --batch     read JSON Lines, one sheet a line, from the FILEs in turn or standard input,
              and print for each sheet one line: its --json object with "line": n, or
              {"line": n, "error": "..."} for a malformed line; blank lines are skipped
  -h, --help  print this help
  --version   print the version

The sheet: {"players": 4, "gameType": "Sochi"|"Leningrad",
            "heapDivisibility": "OnNPlayers"|"OnNPlayersMinus1"|"Nondivisible",
            "decimalSeparator": ","|".",   (optional; default: the locale's)
            "fields": {"HeapOfP1For4": "20", "WhistsOfP1ToP2For4": "20", ...},
            "answer": {"button": "OK"|"Cancel", "player": 2}}   (optional)

Exit status: 0 results shown, 1 a validation message, 2 bad usage or malformed input,
3 a correction dialog opened and no answer was given. With --batch: 0 every sheet settled
to results, 4 some did not (see their lines), 2 bad usage or a file could not be read.
)";

void complain(const std::string &what)
{
    const std::string line = "zelvara-settle: " + what + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

bool writeOut(std::string_view text)
{
    if (!text.empty()) { // fwrite takes no null pointer, even for nothing
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        complain(std::string("cannot write the output: ") + std::strerror(errno));
        return false;
    }
    return true;
}

struct Arguments
{
    bool json = false;
    bool help = false;
    bool version = false;
    bool batch = false;
    zelvara::cli::Additions additions;
    std::vector<std::string> paths; // none or "-": standard input
};

std::variant<Arguments, std::string> readArguments(const std::vector<std::string_view> &args)
{
    Arguments arguments;
    bool optionsEnded = false;
    for (const std::string_view arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--json") {
            arguments.json = true;
        } else if (!optionsEnded && arg == "--payments") {
            arguments.additions.payments = true;
        } else if (!optionsEnded && arg == "--explain") {
            arguments.additions.explain = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            arguments.help = true;
        } else if (!optionsEnded && arg == "--version") {
            arguments.version = true;
        } else if (!optionsEnded && arg == "--batch") {
            arguments.batch = true;
        } else if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
            return "unknown option \"" + std::string(arg) + "\" (try --help)";
        } else {
            arguments.paths.emplace_back(arg);
        }
    }
    if (!arguments.batch && arguments.paths.size() > 1) {
        return "give one sheet only, not also \"" + arguments.paths[1] + "\" (try --help or --batch)";
    }
    return arguments;
}

std::variant<std::string, std::string> readAll(std::FILE *file)
{
    std::string data;
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        data.append(buffer, count);
    }
    if (std::ferror(file) != 0) {
        return std::variant<std::string, std::string>(std::in_place_index<1>, std::strerror(errno));
    }
    return std::variant<std::string, std::string>(std::in_place_index<0>, std::move(data));
}

// The one place that asks the locale: the window reads and writes numbers with the user's regional
// decimal separator, so a sheet that names none gets that one.
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

// A plain C stream: the one place that opens a file; the caller closes it right after reading.
std::FILE *openInput(const std::string &path)
{
    return path == "-" ? stdin : std::fopen(path.c_str(), "rb"); // NOLINT(cppcoreguidelines-owning-memory)
}

void closeInput(std::FILE *file)
{
    if (file != stdin) {
        std::fclose(file); // NOLINT(cppcoreguidelines-owning-memory)
    }
}

int runBatch(const Arguments &arguments)
{
    const char regional = regionalDecimalSeparator();
    const std::vector<std::string> paths = arguments.paths.empty() ? std::vector<std::string>{"-"} : arguments.paths;
    zelvara::cli::BatchProgress progress;
    bool unread = false;
    for (const std::string &path : paths) {
        std::FILE *file = openInput(path);
        if (file == nullptr) {
            complain("cannot open " + path + ": " + std::strerror(errno));
            unread = true;
            continue;
        }
        const bool read = zelvara::cli::runBatch(file, stdout, regional, progress, arguments.additions);
        const int error = errno;
        closeInput(file);
        if (!read) {
            if (std::ferror(stdout) != 0) {
                complain(std::string("cannot write the output: ") + std::strerror(error));
                return UsageError;
            }
            complain("cannot read " + (path == "-" ? std::string("standard input") : path) + ": " +
                     std::strerror(error));
            unread = true;
        }
    }
    if (!writeOut({})) {
        return UsageError;
    }
    if (unread) {
        return UsageError;
    }
    return progress.settled == progress.sheets ? 0 : BatchNotAllSettled;
}

int run(const std::vector<std::string_view> &args)
{
    const auto parsedArguments = readArguments(args);
    if (const auto *error = std::get_if<std::string>(&parsedArguments)) {
        complain(*error);
        return UsageError;
    }
    const auto &arguments = std::get<Arguments>(parsedArguments);
    if (arguments.help) {
        return writeOut(Usage) ? 0 : UsageError;
    }
    if (arguments.version) {
        return writeOut("zelvara-settle " ZELVARA_VERSION "\n") ? 0 : UsageError;
    }
    if (arguments.batch) {
        return runBatch(arguments);
    }

    const std::string path = arguments.paths.empty() ? std::string("-") : arguments.paths.front();
    std::FILE *file = openInput(path);
    if (file == nullptr) {
        complain("cannot open " + path + ": " + std::strerror(errno));
        return UsageError;
    }
    const std::variant<std::string, std::string> input = readAll(file);
    closeInput(file);
    if (input.index() == 1) {
        complain("cannot read " + (path == "-" ? std::string("standard input") : path) + ": " + std::get<1>(input));
        return UsageError;
    }

    const auto parsed = zelvara::cli::parseRequest(std::get<0>(input));
    if (const auto *error = std::get_if<zelvara::cli::InputError>(&parsed)) {
        complain(error->what);
        return UsageError;
    }
    const auto &request = std::get<zelvara::cli::Request>(parsed);
    const char separator = request.decimalSeparator.value_or(regionalDecimalSeparator());

    const zelvara::cli::Report report = zelvara::cli::settleRequest(request, separator, arguments.additions);
    const std::string out = arguments.json ? zelvara::cli::formatJson(report) : zelvara::cli::formatTable(report);
    return writeOut(out) ? zelvara::cli::exitStatus(report) : UsageError;
}

} // namespace

int main(int argc, char **argv)
{
    try {
        return run(std::vector<std::string_view>(argv + 1, argv + argc));
    } catch (const std::exception &error) {
        complain(std::string("unexpected failure: ") + error.what());
    } catch (...) {
        complain("unexpected failure");
    }
    return UsageError;
}
