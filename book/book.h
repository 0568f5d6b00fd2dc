// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The club book: every settled sheet kept in one SQLite database, and what a season adds up to.
//
// One record per settled sheet: the sheet file's text, the date of the game, the note, and per player the
// name as typed, the amount in hundredths and the balance in whists. Players are matched across sheets
// by name (book/names.h); a player can be renamed and two names merged, while each record keeps the
// names as they were typed. Every change is one transaction; the file is versioned (PRAGMA user_version)
// and upgraded in place by the migrations of book.cpp, while a file of a newer version, a file that is not
// SQLite and a damaged one are refused by name and never written to.
//
// Plain C++ on SQLite's C API (book/sqlite.h), no Qt, so the window and zelvara-book share it. Every
// failure is a BookError.

#include "book/dates.h"
#include "book/settled_sheet.h"
#include "book/sqlite.h"
#include "engine/payments.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelvara::book {

class BookError : public std::runtime_error
{
public:
    enum class Kind {
        Unusable,      // not SQLite, damaged, from a newer version, a foreign link, cannot be opened
        ReadOnly,      // the book can be read but not written
        Full,          // the disk (or the book's size limit) is full; nothing was written
        Busy,          // another program kept the book locked beyond the busy timeout
        NotRecordable, // the sheet or the request cannot go into the book (two seats, one player...)
        NoSuchPlayer,  // a name the book does not know
        NoSuchRecord,  // a record the book no longer holds (deleted meanwhile by another program)
        Failed,        // anything else SQLite reports
    };
    // Why an Unusable book cannot be used, for a message in the player's words.
    enum class Cause {
        Other,      // it cannot be opened, created or read; the message says why
        NotSqlite,  // the file is something else
        Damaged,    // SQLite finds it corrupt
        Newer,      // written by a newer version of Zelvara
        ForeignLink // a symbolic link that belongs to another user, or not a file at all
    };
    BookError(Kind kind, const std::string &message, Cause cause = Cause::Other)
        : std::runtime_error(message), m_kind(kind), m_cause(cause)
    {}
    Kind kind() const { return m_kind; }
    Cause cause() const { return m_cause; }

private:
    Kind m_kind;
    Cause m_cause;
};

// Which records count: calendar days from/to, both included ("2026-12-01"), and one player's records.
struct Filter
{
    std::optional<std::string> from;
    std::optional<std::string> to;
    std::optional<std::string> player; // a name, matched as names are
};

struct RecordedPlayer
{
    std::string name;   // as typed on the sheet
    std::string player; // the name the book shows for that player now
    std::int64_t hundredths = 0;
    double whists = 0;
};

struct Record
{
    std::int64_t id = 0;
    std::string date;
    std::int64_t utc = 0;
    std::string note;
    std::string correction;
    std::string version;
    std::vector<RecordedPlayer> players; // in seat order
};

// Where a page of records ends: the next page starts after it.
struct RecordCursor
{
    std::int64_t utc = 0;
    std::int64_t id = 0;
};

struct Standing
{
    std::string name;
    std::int64_t games = 0;
    std::int64_t hundredths = 0; // the total
    std::int64_t average = 0;    // hundredths per game, half away from zero
    std::int64_t best = 0;
    std::int64_t worst = 0;
};

// A record as deleting took it out of the book: everything needed to put it back as it was.
struct RemovedRecord
{
    std::int64_t id = 0;
    GameDate date;
    std::string note;
    std::string sheetText;
    std::string correction;
    std::string version;
    std::vector<PlayerResult> players; // in seat order, the names as typed
};

// A player's running total over a period: where it stands at the end of each day drawn.
struct TimelinePoint
{
    std::string day; // "2026-12-08"
    std::int64_t hundredths = 0;
};

struct Timeline
{
    std::string name;
    std::vector<TimelinePoint> points; // by day; the first is the end of the player's first day
};

struct SeasonTransfer
{
    std::string from;
    std::string to;
    std::int64_t hundredths = 0;
};

struct SeasonPayments
{
    std::vector<SeasonTransfer> transfers;
    // Empty when the transfers are the fewest; otherwise, in Russian, what rule gave them.
    std::string note;
};

class Book
{
public:
    // The schema this program writes. 1: records, players and results; 2: each result carries its day,
    // with an index by player and day, so standings read one index.
    static constexpr int SchemaVersion = 2;
    // How long a writer waits for another before giving up.
    static constexpr int BusyTimeoutMs = 5000;

    enum class Access { Read, Write };

    // Opens the book at `path`. With Write, a missing book is created (its folder 0700) and an older one
    // upgraded; with Read, a missing book reads as empty and nothing is created. A book that cannot be
    // written opens for reading; recording then throws ReadOnly.
    static Book open(const std::string &path, Access access);

    ~Book();
    Book(Book &&) noexcept;
    Book &operator=(Book &&) noexcept;
    Book(const Book &) = delete;
    Book &operator=(const Book &) = delete;

    const std::string &path() const { return m_path; }
    bool readOnly() const;

    // Records a settled sheet in one transaction; its id.
    std::int64_t add(const SettledSheet &sheet, const GameDate &date, const std::string &note);

    struct Entry
    {
        SettledSheet sheet;
        GameDate date;
        std::string note;
    };
    // Records several sheets in one transaction, all or none (an import of many files); their ids.
    std::vector<std::int64_t> addAll(const std::vector<Entry> &entries);

    // Records newest first (by the moment of the game, then by the order recorded), `limit` at a time,
    // starting after `after`.
    std::vector<Record> records(const Filter &filter, std::size_t limit, std::optional<RecordCursor> after = {});
    std::int64_t recordCount();
    // The record of the settled sheet behind a record: the text of a sheet file. Nothing when the book no
    // longer holds it.
    std::optional<std::string> sheetText(std::int64_t id);
    // The records of the same sheet (the same fields, options, separator and answer; the note and the
    // time of saving do not count) played at the same moment: recording it again would count it twice.
    std::vector<std::int64_t> recorded(const SettledSheet &sheet, const GameDate &date);

    // Takes a record out of the book in one transaction; what restore() needs to put it back.
    RemovedRecord remove(std::int64_t id);
    // Puts a removed record back in one transaction, under its old id when no other record took it
    // meanwhile; its id. The players are matched by the names as typed, as when it was first recorded.
    std::int64_t restore(const RemovedRecord &removed);
    // A new date or note for a record, each in one transaction.
    void setDate(std::int64_t id, const GameDate &date);
    void setNote(std::int64_t id, const std::string &note);

    // The names of the players with a game in the book, as the book shows them, in no set order.
    std::vector<std::string> players();

    // One row per player who played in the period, by total, highest first (then by name).
    std::vector<Standing> standings(const Filter &filter);
    // The fewest transfers that settle the period's totals; with a player in the filter, only that
    // player's transfers (the plan is made for everyone's totals).
    SeasonPayments payments(const Filter &filter);

    // Each player's running total over the period, from zero at its start, one line per player who
    // played in it in the order of the standings; with a player in the filter only that one. A point is
    // the total at the end of a day the player played. A player's days in the period are spread over at
    // most `maxPoints` runs of equal length (at least 2), a point for the last day played in each, the
    // last day always among them: a chart of years draws quickly and still ends on the true total.
    std::vector<Timeline> timeline(const Filter &filter, std::size_t maxPoints);

    // Changes with every change another connection (another window, zelvara-book) commits to the book;
    // the same number while nobody else writes. 0 for a book that does not exist yet.
    std::int64_t dataVersion();

    // A new name for the player called `name`; the records keep the names as typed, and `newName` is
    // matched to this player from now on. Refused when `newName` belongs to another player: merge them.
    void rename(const std::string &name, const std::string &newName);
    // `other` and `name` are one player, shown as `name` is. Refused when both played one sheet.
    void merge(const std::string &name, const std::string &other);

    // PRAGMA integrity_check: "ok", or its findings one a line.
    std::string integrityCheck();

    // Bounds the file to `pages` pages of the book; for meeting a full disk in tests.
    void setMaxPageCount(int pages);

private:
    struct Impl;
    explicit Book(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
    std::string m_path;
};

// Whether two settled sheets are the same game: the same sheet (as Book::recorded compares them) played at
// the same moment.
bool sameGame(const SettledSheet &first, const GameDate &firstDate, const SettledSheet &second,
              const GameDate &secondDate);

} // namespace zelvara::book
