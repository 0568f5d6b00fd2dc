// SPDX-License-Identifier: GPL-3.0-or-later
// zelvara-book: the club book from the command line, the same database as the window's. Exit status: 0
// done, 2 bad usage, 3 the book cannot be used (not SQLite, damaged, from a newer version, cannot be
// written for a change), 4 some files of `add` were not recorded.

#include "book/book.h"
#include "book/location.h"
#include "book/settled_sheet.h"
#include "cli/book/local_time.h"
#include "cli/book/output.h"
#include "cli/terminal.h"
#include "sheetfile/sheet_file.h"
#include "zelvara/version.h"

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <getopt.h>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using zelvara::book::Book;
using zelvara::book::BookError;
namespace out = zelvara::cli::book;

constexpr int Done = 0;
constexpr int UsageError = 2;
constexpr int BookUnusable = 3;
constexpr int NotAllRecorded = 4;

// A sheet file is a few kilobytes; anything much larger is not one.
constexpr std::size_t MaxSheetBytes = std::size_t{4} * 1024 * 1024;
// Records are read and printed this many at a time.
constexpr std::size_t PageSize = 500;

constexpr std::string_view Usage = R"(Usage: zelvara-book [--book PATH] COMMAND [OPTIONS] [ARGUMENTS]

Keeps settled Preferans pool sheets in the club book, a SQLite database
($XDG_DATA_HOME/zelvara/book.sqlite unless --book names another), and adds up a season.

Commands:
  add FILE...        settle each sheet file and record it; one JSON line per file:
                     {"file": ..., "id": N} or {"file": ..., "error": ...}
  list               the records, newest first: {"records": [...]}
  standings          per player: games, total, average, best and worst game: {"players": [...]}
  payments           the fewest transfers that settle the period's totals: {"transfers": [...]}
  export --csv [records|standings]
                     the records (the default) or the standings as CSV
  rename NAME NEW    show the player called NAME as NEW from now on
  merge NAME OTHER   OTHER is the same player as NAME
  check              check the database's integrity ("ok")

Options:
  --book PATH        the book to use
  --date DATE        add: the date of the game, 2026-12-08T21:40:00+03:00, 2026-12-08T21:40
                     or 2026-12-08 (local time); the default is now
  --note TEXT        add: the note; the default is the sheet file's own note
  --from DAY, --to DAY
                     list, standings, payments, export: the days to count, both included
                     (2026-12-01)
  --player NAME      list, standings, payments, export: one player's records, row or transfers
  --text             list, standings, payments: a table for a person instead of JSON
  --csv              export: comma-separated values
  -h, --help         print this help
  --version          print the version

Amounts are whole hundredths ("hundredths") and text with the locale's decimal separator ("amount").

Exit status: 0 done, 2 bad usage, 3 the book cannot be used (not SQLite, damaged, from a newer
version, or it cannot be written for a change), 4 some files of add were not recorded.
)";

void complain(const std::string &what)
{
    const std::string line = "zelvara-book: " + what + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

bool writeOut(std::string_view text)
{
    if (!text.empty()) {
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
    std::optional<std::string> book;
    std::optional<std::string> date;
    std::optional<std::string> note;
    zelvara::book::Filter filter;
    bool text = false;
    bool csv = false;
    bool help = false;
    bool version = false;
    std::string command;
    std::vector<std::string> operands;
};

enum Option {
    BookOption = 256,
    DateOption,
    NoteOption,
    FromOption,
    ToOption,
    PlayerOption,
    TextOption,
    CsvOption,
    VersionOption
};

std::optional<Arguments> readArguments(int argc, char **argv)
{
    static const option Options[] = {
        {"book", required_argument, nullptr, BookOption},
        {"date", required_argument, nullptr, DateOption},
        {"note", required_argument, nullptr, NoteOption},
        {"from", required_argument, nullptr, FromOption},
        {"to", required_argument, nullptr, ToOption},
        {"player", required_argument, nullptr, PlayerOption},
        {"text", no_argument, nullptr, TextOption},
        {"csv", no_argument, nullptr, CsvOption},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, VersionOption},
        {nullptr, 0, nullptr, 0},
    };
    Arguments arguments;
    opterr = 0;
    for (int c = 0; (c = ::getopt_long(argc, argv, ":h", Options, nullptr)) != -1;) {
        const std::string value = optarg != nullptr ? optarg : "";
        switch (c) {
        case BookOption:
            arguments.book = value;
            break;
        case DateOption:
            arguments.date = value;
            break;
        case NoteOption:
            arguments.note = value;
            break;
        case FromOption:
            arguments.filter.from = value;
            break;
        case ToOption:
            arguments.filter.to = value;
            break;
        case PlayerOption:
            arguments.filter.player = value;
            break;
        case TextOption:
            arguments.text = true;
            break;
        case CsvOption:
            arguments.csv = true;
            break;
        case 'h':
            arguments.help = true;
            break;
        case VersionOption:
            arguments.version = true;
            break;
        case ':':
            complain(std::string("option ") + argv[optind - 1] + " needs a value (try --help)");
            return std::nullopt;
        default:
            complain(std::string("unknown option \"") + argv[optind - 1] + "\" (try --help)");
            return std::nullopt;
        }
    }
    for (int i = optind; i < argc; ++i) {
        (i == optind ? arguments.command : arguments.operands.emplace_back()) = argv[i];
    }
    return arguments;
}

// What each command accepts beyond --book; anything else given is a usage error.
std::optional<std::string> misuse(const Arguments &a)
{
    const std::string &c = a.command;
    const bool filtering = c == "list" || c == "standings" || c == "payments" || c == "export";
    if (c != "add" && c != "list" && c != "standings" && c != "payments" && c != "export" && c != "rename" &&
        c != "merge" && c != "check") {
        return c.empty() ? "no command given (try --help)" : "unknown command \"" + c + "\" (try --help)";
    }
    if ((a.date || a.note) && c != "add") {
        return "--date and --note go with add only";
    }
    if ((a.filter.from || a.filter.to || a.filter.player) && !filtering) {
        return "--from, --to and --player go with list, standings, payments and export only";
    }
    if (a.text && c != "list" && c != "standings" && c != "payments") {
        return "--text goes with list, standings and payments only";
    }
    if (a.csv != (c == "export")) {
        return c == "export" ? "export needs --csv" : "--csv goes with export only";
    }
    for (const auto &[day, name] : {std::pair{a.filter.from, "--from"}, std::pair{a.filter.to, "--to"}}) {
        if (day && !zelvara::book::readDay(*day)) {
            return std::string(name) + " takes a day as 2026-12-08, not \"" + *day + "\"";
        }
    }
    const std::size_t count = a.operands.size();
    if (c == "add" && count == 0) {
        return "add needs at least one sheet file";
    }
    if ((c == "rename" || c == "merge") && count != 2) {
        return c + " needs two names";
    }
    if (c == "export" && (count > 1 || (count == 1 && a.operands[0] != "records" && a.operands[0] != "standings"))) {
        return "export writes records or standings";
    }
    if ((c == "list" || c == "standings" || c == "payments" || c == "check") && count != 0) {
        return c + " takes no arguments, not \"" + a.operands[0] + "\"";
    }
    if (a.date && !out::gameDate(*a.date)) {
        return "--date takes 2026-12-08T21:40:00+03:00, 2026-12-08T21:40 or 2026-12-08, not \"" + *a.date + "\"";
    }
    return std::nullopt;
}

std::optional<std::string> readFile(const std::string &path, std::string &error)
{
    std::FILE *file = std::fopen(path.c_str(), "rb"); // NOLINT(cppcoreguidelines-owning-memory)
    if (file == nullptr) {
        error = std::string("cannot open the file: ") + std::strerror(errno);
        return std::nullopt;
    }
    std::string data;
    std::vector<char> buffer(65536);
    std::size_t count = 0;
    while ((count = std::fread(buffer.data(), 1, buffer.size(), file)) > 0 && data.size() <= MaxSheetBytes) {
        data.append(buffer.data(), count);
    }
    const bool failed = std::ferror(file) != 0;
    const int code = errno;
    std::fclose(file); // NOLINT(cppcoreguidelines-owning-memory)
    if (failed) {
        error = std::string("cannot read the file: ") + std::strerror(code);
        return std::nullopt;
    }
    if (data.size() > MaxSheetBytes) {
        error = "the file is too large to be a sheet";
        return std::nullopt;
    }
    return data;
}

int add(Book &book, const Arguments &a, char regional)
{
    const zelvara::book::GameDate date = a.date ? *out::gameDate(*a.date) : out::now();
    bool allRecorded = true;
    for (const std::string &path : a.operands) {
        std::string error;
        std::string line;
        if (const auto bytes = readFile(path, error)) {
            auto read = zelvara::sheetfile::readSheet(*bytes);
            if (const auto *wrong = std::get_if<zelvara::sheetfile::ReadError>(&read)) {
                error = wrong->detail;
            } else {
                auto &document = std::get<zelvara::sheetfile::SheetDocument>(read);
                // A sheet that names no separator was typed under the reader's locale.
                if (!document.decimalSeparator) {
                    document.decimalSeparator = regional;
                }
                const auto settled = zelvara::book::settleForBook(document);
                if (const auto *refused = std::get_if<zelvara::book::NotRecordable>(&settled)) {
                    error = refused->what;
                } else {
                    const auto &sheet = std::get<zelvara::book::SettledSheet>(settled);
                    try {
                        line = out::addedLine(path, book.add(sheet, date, a.note.value_or(sheet.note)));
                    } catch (const BookError &e) {
                        if (e.kind() == BookError::Kind::Unusable) {
                            throw;
                        }
                        error = e.what();
                    }
                }
            }
        }
        if (line.empty()) {
            allRecorded = false;
            line = out::notAddedLine(path, error);
        }
        if (!writeOut(line)) {
            return UsageError;
        }
    }
    return allRecorded ? Done : NotAllRecorded;
}

int list(Book &book, const Arguments &a, char separator)
{
    // The first page is read before anything is printed, so that a refusal leaves no half a document.
    bool first = true;
    std::string text = a.text ? "" : out::recordsOpening();
    std::optional<zelvara::book::RecordCursor> after;
    for (;;) {
        const auto page = book.records(a.filter, PageSize, after);
        for (const auto &record : page) {
            text += a.text ? out::recordText(record, separator) : out::recordJson(record, first, separator);
            first = false;
        }
        if (!writeOut(text)) {
            return UsageError;
        }
        text.clear();
        if (page.size() < PageSize) {
            break;
        }
        after = zelvara::book::RecordCursor{page.back().utc, page.back().id};
    }
    return (a.text || writeOut(out::recordsClosing())) ? Done : UsageError;
}

int exportCsv(Book &book, const Arguments &a, char separator)
{
    if (!a.operands.empty() && a.operands[0] == "standings") {
        return writeOut(out::standingsCsv(book.standings(a.filter), separator)) ? Done : UsageError;
    }
    std::string text = out::recordsCsvHeader();
    std::optional<zelvara::book::RecordCursor> after;
    for (;;) {
        const auto page = book.records(a.filter, PageSize, after);
        for (const auto &record : page) {
            text += out::recordCsv(record, separator);
        }
        if (!writeOut(text)) {
            return UsageError;
        }
        text.clear();
        if (page.size() < PageSize) {
            return Done;
        }
        after = zelvara::book::RecordCursor{page.back().utc, page.back().id};
    }
}

int run(int argc, char **argv)
{
    const auto parsed = readArguments(argc, argv);
    if (!parsed) {
        return UsageError;
    }
    const Arguments &a = *parsed;
    if (a.help) {
        return writeOut(Usage) ? Done : UsageError;
    }
    if (a.version) {
        return writeOut(std::string("zelvara-book ") + zelvara::Version + "\n") ? Done : UsageError;
    }
    if (const auto why = misuse(a)) {
        complain(*why);
        return UsageError;
    }
    const char separator = zelvara::cli::regionalDecimalSeparator();
    const std::string path = a.book.value_or(zelvara::book::defaultBookPath(
        std::getenv("XDG_DATA_HOME"), std::getenv("HOME"))); // NOLINT(concurrency-mt-unsafe)
    const bool writes = a.command == "add" || a.command == "rename" || a.command == "merge";
    try {
        Book book = Book::open(path, writes ? Book::Access::Write : Book::Access::Read);
        if (a.command == "add") {
            return add(book, a, separator);
        }
        if (a.command == "list") {
            return list(book, a, separator);
        }
        if (a.command == "standings") {
            const auto standings = book.standings(a.filter);
            return writeOut(a.text ? out::standingsText(standings, separator)
                                   : out::standingsJson(standings, separator))
                       ? Done
                       : UsageError;
        }
        if (a.command == "payments") {
            const auto payments = book.payments(a.filter);
            return writeOut(a.text ? out::paymentsText(payments, separator) : out::paymentsJson(payments, separator))
                       ? Done
                       : UsageError;
        }
        if (a.command == "export") {
            return exportCsv(book, a, separator);
        }
        if (a.command == "rename") {
            book.rename(a.operands[0], a.operands[1]);
            return Done;
        }
        if (a.command == "merge") {
            book.merge(a.operands[0], a.operands[1]);
            return Done;
        }
        const std::string findings = book.integrityCheck();
        if (findings != "ok") {
            complain("the book \"" + path + "\" is damaged:\n" + findings);
            return BookUnusable;
        }
        return writeOut("ok\n") ? Done : UsageError;
    } catch (const BookError &error) {
        complain(error.what());
        const bool badName =
            error.kind() == BookError::Kind::NoSuchPlayer || error.kind() == BookError::Kind::NotRecordable;
        return badName ? UsageError : BookUnusable;
    }
}

} // namespace

int main(int argc, char **argv)
{
    try {
        return run(argc, argv);
    } catch (const std::exception &error) {
        complain(std::string("unexpected failure: ") + error.what());
    } catch (...) {
        complain("unexpected failure");
    }
    return UsageError;
}
