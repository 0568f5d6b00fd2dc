// SPDX-License-Identifier: GPL-3.0-or-later
// zelvara-settle: settles one pool sheet given as JSON, or a batch of them as JSON Lines, for scripts and
// tests, with the same engine as the window. How it ends is cli::ExitStatus; Usage below says it in words.

#include "cli/batch.h"
#include "cli/report.h"
#include "cli/request.h"
#include "cli/terminal.h"
#include "sheetfile/json_text.h"
#include "zelvara/version.h"

#include <array>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <getopt.h>
#include <new>
#include <string>
#include <string_view>
#include <unistd.h>
#include <variant>
#include <vector>

namespace {

namespace cli = zelvara::cli;
using cli::ExitStatus;

constexpr std::string_view Usage = R"(Usage: zelvara-settle [--json] [--payments] [--explain] [FILE]
       zelvara-settle --batch [--payments] [--explain] [FILE...]

Settles one Preferans pool sheet given as JSON in FILE (or on standard input when FILE is
missing or "-"; after "--", "-" names a file) and prints the results as a table, or as JSON
with --json.

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
A sheet, or a line of a batch, takes at most 16 MiB and nests at most 32 levels deep.

Exit status: 0 results shown, 1 a validation message, 2 bad usage or malformed input,
3 a correction dialog opened and no answer was given. With --batch: 0 every sheet settled
to results, 4 some did not (see their lines), 2 bad usage or a file could not be read.
)";

// The limits the usage text gives in words.
static_assert(cli::MaxSheetSize == std::size_t{16} << 20U && zelvara::sheetfile::MaxDepth == 32);

int code(ExitStatus status)
{
    return static_cast<int>(status);
}

// One line on standard error; whatever it quotes from outside (a path, an argument) cannot drive the
// terminal.
void complain(const std::string &what)
{
    const std::string line = "zelvara-settle: " + zelvara::sheetfile::visibleControls(what) + "\n";
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

// A file to read, or standard input: "-" before "--", or no file at all.
struct Input
{
    std::string path;
    bool standardInput = false;

    std::string shown() const { return standardInput ? std::string("standard input") : path; }
};

struct Arguments
{
    bool json = false;
    bool help = false;
    bool version = false;
    bool batch = false;
    cli::Additions additions;
    std::vector<Input> inputs; // none: standard input
};

struct UsageError
{
    std::string what;
};

// The options through getopt_long; the files in the order given. The leading "-" of the option string
// hands each file over in its place, so that a "-" can be told from one given after "--".
std::variant<Arguments, UsageError> readArguments(int argc, char **argv)
{
    enum Option : int { File = 1, Json = 256, Payments, Explain, Batch, Version };
    static constexpr std::array<option, 7> Options{{
        {"json", no_argument, nullptr, Json},
        {"payments", no_argument, nullptr, Payments},
        {"explain", no_argument, nullptr, Explain},
        {"batch", no_argument, nullptr, Batch},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, Version},
        {nullptr, 0, nullptr, 0},
    }};
    Arguments arguments;
    opterr = 0; // the messages below say it in this program's words
    int chosen = 0;
    while ((chosen = ::getopt_long(argc, argv, "-h", Options.data(), nullptr)) != -1) {
        switch (chosen) {
        case File:
            arguments.inputs.push_back({optarg, std::string_view(optarg) == "-"});
            break;
        case Json:
            arguments.json = true;
            break;
        case Payments:
            arguments.additions.payments = true;
            break;
        case Explain:
            arguments.additions.explain = true;
            break;
        case Batch:
            arguments.batch = true;
            break;
        case 'h':
            arguments.help = true;
            break;
        case Version:
            arguments.version = true;
            break;
        default: {
            // An unknown long option, or one given a value, is the word last read; a short one is optopt.
            const std::string_view last = argv[optind - 1];
            const std::string given = last.starts_with("--") || optopt == 0
                                          ? std::string(last)
                                          : std::string("-") + static_cast<char>(optopt);
            return UsageError{"unknown option " + zelvara::sheetfile::quoted(given) + " (try --help)"};
        }
        }
    }
    for (int i = optind; i < argc; ++i) {
        arguments.inputs.push_back({argv[i], false}); // after "--": every word names a file
    }
    if (!arguments.batch && arguments.inputs.size() > 1) {
        return UsageError{"give one sheet only, not also " + zelvara::sheetfile::quoted(arguments.inputs[1].path) +
                          " (try --help or --batch)"};
    }
    return arguments;
}

// The one place that opens a file; the caller closes it right after reading. -1 with errno on failure.
int openInput(const Input &input)
{
    // open() is declared with "..." for the mode it takes when it creates a file, which this never does.
    return input.standardInput
               ? STDIN_FILENO
               : ::open(input.path.c_str(), O_RDONLY | O_CLOEXEC); // NOLINT(cppcoreguidelines-pro-type-vararg)
}

void closeInput(const Input &input, int file)
{
    if (!input.standardInput) {
        ::close(file);
    }
}

// A read that failed, with its errno.
struct ReadFailure
{
    int error = 0;
};

// The whole input, or the first MaxSheetSize + 1 bytes of a larger one: enough to know it is too large.
std::variant<std::string, ReadFailure> readSheetText(int file)
{
    std::string data;
    std::array<char, 65536> buffer; // NOLINT(cppcoreguidelines-pro-type-member-init): read() fills it
    while (data.size() <= cli::MaxSheetSize) {
        const ssize_t count = ::read(file, buffer.data(), buffer.size());
        if (count == 0) {
            break;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ReadFailure{errno};
        }
        data.append(buffer.data(), static_cast<std::size_t>(count));
    }
    return data;
}

int runBatch(const Arguments &arguments)
{
    const char regional = cli::regionalDecimalSeparator();
    const std::vector<Input> inputs = arguments.inputs.empty() ? std::vector<Input>{{"-", true}} : arguments.inputs;
    cli::BatchProgress progress;
    bool unopened = false;
    for (const Input &input : inputs) {
        const int file = openInput(input);
        if (file < 0) {
            // A missing file is named and skipped: the others still settle.
            complain("cannot open " + input.shown() + ": " + std::strerror(errno));
            unopened = true;
            continue;
        }
        const auto failure = cli::runBatch(file, stdout, regional, progress, arguments.additions);
        closeInput(input, file);
        if (failure) {
            // Lines may be missing from here on; the batch stops rather than number the rest wrongly.
            complain((failure->side == cli::StreamFailure::Side::Writing ? std::string("cannot write the output")
                                                                         : "cannot read " + input.shown()) +
                     ": " + std::strerror(failure->error));
            writeOut({});
            return code(ExitStatus::BadInput);
        }
    }
    if (!writeOut({}) || unopened) {
        return code(ExitStatus::BadInput);
    }
    return code(progress.settled == progress.sheets ? ExitStatus::Settled : ExitStatus::SomeUnsettled);
}

int run(int argc, char **argv)
{
    const auto parsedArguments = readArguments(argc, argv);
    if (const auto *error = std::get_if<UsageError>(&parsedArguments)) {
        complain(error->what);
        return code(ExitStatus::BadInput);
    }
    const auto &arguments = std::get<Arguments>(parsedArguments);
    if (arguments.help) {
        return code(writeOut(Usage) ? ExitStatus::Settled : ExitStatus::BadInput);
    }
    if (arguments.version) {
        return code(writeOut(std::string("zelvara-settle ") + zelvara::Version + "\n") ? ExitStatus::Settled
                                                                                       : ExitStatus::BadInput);
    }
    if (arguments.batch) {
        return runBatch(arguments);
    }

    const Input input = arguments.inputs.empty() ? Input{"-", true} : arguments.inputs.front();
    const int file = openInput(input);
    if (file < 0) {
        complain("cannot open " + input.shown() + ": " + std::strerror(errno));
        return code(ExitStatus::BadInput);
    }
    const auto read = readSheetText(file);
    closeInput(input, file);
    if (const auto *failure = std::get_if<ReadFailure>(&read)) {
        complain("cannot read " + input.shown() + ": " + std::strerror(failure->error));
        return code(ExitStatus::BadInput);
    }
    const auto &text = std::get<std::string>(read);
    if (text.size() > cli::MaxSheetSize) {
        complain(input.shown() + " is larger than " + cli::maxSheetSizeText() + ", the most a sheet may take");
        return code(ExitStatus::BadInput);
    }

    auto parsed = cli::parseRequest(text);
    if (const auto *error = std::get_if<cli::InputError>(&parsed)) {
        complain(error->what);
        return code(ExitStatus::BadInput);
    }
    auto &request = std::get<cli::Request>(parsed);
    const char separator = request.decimalSeparator.value_or(cli::regionalDecimalSeparator());

    const cli::Report report = cli::settleRequest(std::move(request), separator, arguments.additions);
    const std::string out = arguments.json ? cli::formatJson(report) : cli::formatTable(report);
    return code(writeOut(out) ? cli::exitStatus(report) : ExitStatus::BadInput);
}

} // namespace

int main(int argc, char **argv)
{
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc &) {
        complain("out of memory");
    } catch (const std::exception &error) {
        complain(std::string("unexpected failure: ") + error.what());
    } catch (...) {
        complain("unexpected failure");
    }
    return code(ExitStatus::BadInput);
}
