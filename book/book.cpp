// SPDX-License-Identifier: GPL-3.0-or-later
#include "book/book.h"

#include "book/location.h"
#include "book/names.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <set>
#include <span>
#include <sqlite3.h>
#include <sys/stat.h>
#include <utility>

namespace zelvara::book {

namespace {

using sqlite::Database;
using sqlite::SqliteError;
using sqlite::Statement;
using sqlite::Transaction;
using Kind = BookError::Kind;

// Each step takes the schema from the version before it to its own; a new book runs them all. A step
// is never changed once released: books of its version exist.
struct Migration
{
    int version;
    const char *sql;
};

constexpr std::array Migrations{
    Migration{1, R"sql(
CREATE TABLE players (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL
);
CREATE TABLE names (
    key TEXT PRIMARY KEY,
    player INTEGER NOT NULL REFERENCES players (id)
) WITHOUT ROWID;
CREATE TABLE records (
    id INTEGER PRIMARY KEY,
    played TEXT NOT NULL,
    played_utc INTEGER NOT NULL,
    day TEXT NOT NULL,
    note TEXT NOT NULL,
    sheet TEXT NOT NULL,
    correction TEXT NOT NULL,
    version TEXT NOT NULL
);
CREATE INDEX records_by_time ON records (played_utc, id);
CREATE TABLE results (
    record INTEGER NOT NULL REFERENCES records (id) ON DELETE CASCADE,
    seat INTEGER NOT NULL,
    player INTEGER NOT NULL REFERENCES players (id),
    name TEXT NOT NULL,
    hundredths INTEGER NOT NULL,
    whists REAL NOT NULL,
    PRIMARY KEY (record, seat)
) WITHOUT ROWID;
CREATE INDEX results_by_player ON results (player);
)sql"},
    // The standings of a period read one index, by player and day, without visiting the records; those
    // of the whole book are kept as running totals, one row a player.
    Migration{2, R"sql(
ALTER TABLE results ADD COLUMN day TEXT NOT NULL DEFAULT '';
UPDATE results SET day = (SELECT day FROM records WHERE records.id = results.record);
DROP INDEX results_by_player;
CREATE INDEX results_by_player_day ON results (player, day, hundredths);
CREATE TABLE totals (
    player INTEGER PRIMARY KEY REFERENCES players (id),
    games INTEGER NOT NULL,
    hundredths INTEGER NOT NULL,
    best INTEGER NOT NULL,
    worst INTEGER NOT NULL
);
INSERT INTO totals SELECT player, count(*), sum(hundredths), max(hundredths), min(hundredths)
    FROM results GROUP BY player;
)sql"},
};
static_assert(Migrations.back().version == Book::SchemaVersion);

constexpr std::string_view FirstDay = "0000-00-00";
constexpr std::string_view LastDay = "9999-99-99";

std::string quoted(const std::string &path)
{
    return "\"" + path + "\"";
}

// SQLite's failure in words that name the book.
BookError translated(const SqliteError &error, const std::string &path)
{
    const std::string book = "the book " + quoted(path);
    switch (error.primary()) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return {Kind::Unusable, book + " is damaged (" + error.what() + "); it is left as it is",
                BookError::Cause::Damaged};
    case SQLITE_FULL:
        return {Kind::Full, book + ": the disk is full; nothing was written"};
    case SQLITE_READONLY:
        return {Kind::ReadOnly, book + " cannot be written (" + error.what() + ")"};
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {Kind::Busy, book + " is kept busy by another program; try again"};
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return {Kind::Unusable, book + " cannot be opened (" + error.what() + ")"};
    default:
        return {Kind::Failed, book + ": " + error.what()};
    }
}

// The first bytes of every SQLite database; an empty file is one too, to SQLite and to us.
std::optional<std::string> notSqlite(const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "rb"); // NOLINT(cppcoreguidelines-owning-memory)
    if (file == nullptr) {
        return std::nullopt; // SQLite says why when it opens it
    }
    std::array<char, 16> header{};
    const std::size_t read = std::fread(header.data(), 1, header.size(), file);
    std::fclose(file); // NOLINT(cppcoreguidelines-owning-memory)
    static constexpr std::string_view Magic{"SQLite format 3\0", 16};
    if (read == 0 || std::string_view(header.data(), read) == Magic) {
        return std::nullopt;
    }
    return "the book " + quoted(path) + " is not an SQLite database; it is left as it is";
}

// The moments, in seconds since 1970, that a game of the filter's days can have: a day is local time,
// whose offset from UTC is at most 14 hours either way.
std::pair<std::int64_t, std::int64_t> momentsOf(const Filter &filter)
{
    constexpr std::int64_t Day = 86400;
    constexpr std::int64_t MostOffset = std::int64_t{14} * 3600;
    const auto from = filter.from ? dayNumber(*filter.from) : std::nullopt;
    const auto to = filter.to ? dayNumber(*filter.to) : std::nullopt;
    return {from ? *from * Day - MostOffset : INT64_MIN, to ? (*to + 1) * Day + MostOffset : INT64_MAX};
}

std::int64_t averageOf(std::int64_t total, std::int64_t games)
{
    if (games <= 0) {
        return 0;
    }
    const std::int64_t magnitude = total < 0 ? -total : total;
    const std::int64_t rounded = (magnitude / games) + ((magnitude % games) * 2 >= games ? 1 : 0);
    return total < 0 ? -rounded : rounded;
}

} // namespace

struct Book::Impl
{
    class Inserter;

    std::optional<Database> db; // none: a book not yet written, read as empty
    std::string path;

    [[noreturn]] void fail(const SqliteError &error) const { throw translated(error, path); }

    void requireWritable() const
    {
        if (!db || db->readOnly()) {
            throw BookError(Kind::ReadOnly, "the book " + quoted(path) + " is read-only: nothing can be recorded");
        }
    }

    // The player a name matches, if any.
    std::optional<std::int64_t> playerOf(const std::string &name)
    {
        Statement find = db->prepare("SELECT player FROM names WHERE key = ?1");
        find.bind(1, nameKey(name));
        if (find.step()) {
            return find.integer(0);
        }
        return std::nullopt;
    }

    std::int64_t requirePlayer(const std::string &name)
    {
        const auto player = db ? playerOf(name) : std::nullopt;
        if (!player) {
            throw BookError(Kind::NoSuchPlayer, "the book has no player named \"" + trimmedName(name) + "\"");
        }
        return *player;
    }

    std::int64_t playerFor(const std::string &name)
    {
        if (const auto player = playerOf(name)) {
            return *player;
        }
        Statement insert = db->prepare("INSERT INTO players (name) VALUES (?1)");
        insert.bind(1, trimmedName(name)).run();
        const std::int64_t id = db->lastInsertId();
        Statement alias = db->prepare("INSERT INTO names (key, player) VALUES (?1, ?2)");
        alias.bind(1, nameKey(name)).bind(2, id).run();
        return id;
    }

    [[noreturn]] void noSuchRecord(std::int64_t id) const
    {
        throw BookError(Kind::NoSuchRecord, "the book " + quoted(path) + " holds no record " + std::to_string(id));
    }

    void requireRecord(std::int64_t id)
    {
        Statement find = db->prepare("SELECT 1 FROM records WHERE id = ?1");
        if (!find.bind(1, id).step()) {
            noSuchRecord(id);
        }
    }

    // The running totals of a player after its results changed other than by adding one: counted again
    // from the results, which the index by player and day holds together.
    void recountTotals(std::int64_t player)
    {
        db->prepare("DELETE FROM totals WHERE player = ?1").bind(1, player).run();
        db->prepare("INSERT INTO totals SELECT player, count(*), sum(hundredths), max(hundredths), min(hundredths) "
                    "FROM results WHERE player = ?1 GROUP BY player")
            .bind(1, player)
            .run();
    }

    void migrate()
    {
        // WAL lets the window read while zelvara-book writes; it is set outside any transaction.
        db->execute("PRAGMA journal_mode = WAL");
        Transaction transaction(*db);
        const auto version = static_cast<int>(db->integer("PRAGMA user_version"));
        if (version > SchemaVersion) {
            throw BookError(Kind::Unusable,
                            "the book " + quoted(path) +
                                " was written by a newer version of Zelvara; it is left as it is",
                            BookError::Cause::Newer);
        }
        for (const Migration &migration : Migrations) {
            if (migration.version > version) {
                db->execute(migration.sql);
            }
        }
        db->execute(("PRAGMA user_version = " + std::to_string(SchemaVersion)).c_str());
        transaction.commit();
    }

    int readWithoutWriting()
    {
        for (const auto mode : {Database::Mode::ReadOnly, Database::Mode::Immutable}) {
            try {
                db.emplace(path, mode);
                db->setBusyTimeout(BusyTimeoutMs);
                return static_cast<int>(db->integer("PRAGMA user_version"));
            } catch (const SqliteError &error) {
                if (mode == Database::Mode::Immutable ||
                    (error.primary() != SQLITE_CANTOPEN && error.primary() != SQLITE_READONLY)) {
                    throw;
                }
            }
        }
        return 0;
    }

    void open(Access access)
    {
        if (const auto link = foreignLink(path)) {
            throw BookError(Kind::Unusable, "the book " + quoted(path) + " cannot be used: " + *link,
                            BookError::Cause::ForeignLink);
        }
        struct stat info
        {};
        const bool exists = ::stat(path.c_str(), &info) == 0;
        if (exists && !S_ISREG(info.st_mode)) {
            throw BookError(Kind::Unusable, "the book " + quoted(path) + " is not a file",
                            BookError::Cause::ForeignLink);
        }
        if (!exists && access == Access::Read) {
            return;
        }
        if (exists) {
            if (const auto why = notSqlite(path)) {
                throw BookError(Kind::Unusable, *why, BookError::Cause::NotSqlite);
            }
        } else if (const auto why = makeFolder(path)) {
            throw BookError(Kind::Unusable, "the book " + quoted(path) + " cannot be created: " + *why);
        }
        try {
            db.emplace(path, exists ? Database::Mode::ReadWrite : Database::Mode::ReadWriteCreate);
            db->setBusyTimeout(BusyTimeoutMs);
            db->execute("PRAGMA foreign_keys = ON");
            int version = 0;
            try {
                version = static_cast<int>(db->integer("PRAGMA user_version"));
            } catch (const SqliteError &error) {
                // A book in WAL form whose folder may not be written has no room for SQLite's shared memory
                // file: read it without one, as a reader that writes nothing, or else as it stands on disk.
                if (error.primary() != SQLITE_CANTOPEN && error.primary() != SQLITE_READONLY) {
                    throw;
                }
                version = readWithoutWriting();
            }
            if (version > SchemaVersion) {
                throw BookError(Kind::Unusable,
                                "the book " + quoted(path) +
                                    " was written by a newer version of Zelvara; it is left as it is",
                                BookError::Cause::Newer);
            }
            if (version < SchemaVersion) {
                if (db->readOnly()) {
                    throw BookError(Kind::ReadOnly, "the book " + quoted(path) +
                                                        " must be upgraded to this version, but it cannot be written");
                }
                migrate();
            }
            // Reading the schema finds a book whose first page is damaged.
            db->integer("SELECT count(*) FROM sqlite_schema");
        } catch (const SqliteError &error) {
            fail(error);
        }
    }
};

Book::Book(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)), m_path(m_impl->path) {}
Book::~Book() = default;
Book::Book(Book &&) noexcept = default;
Book &Book::operator=(Book &&) noexcept = default;

Book Book::open(const std::string &path, Access access)
{
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->open(access);
    return Book(std::move(impl));
}

bool Book::readOnly() const
{
    return !m_impl->db || m_impl->db->readOnly();
}

std::int64_t Book::add(const SettledSheet &sheet, const GameDate &date, const std::string &note)
{
    return addAll({Entry{sheet, date, note}}).front();
}

// The statements that write records, prepared once for a transaction of many.
class Book::Impl::Inserter
{
public:
    explicit Inserter(Impl &impl)
        : m_impl(impl),
          m_record(impl.db->prepare("INSERT INTO records (id, played, played_utc, day, note, sheet, correction, "
                                    "version) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)")),
          m_result(impl.db->prepare("INSERT INTO results (record, seat, player, name, hundredths, whists, day) "
                                    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)")),
          m_total(impl.db->prepare(
              "INSERT INTO totals (player, games, hundredths, best, worst) VALUES (?1, 1, ?2, ?2, ?2) "
              "ON CONFLICT (player) DO UPDATE SET games = games + 1, hundredths = hundredths + excluded.hundredths, "
              "best = max(best, excluded.best), worst = min(worst, excluded.worst)"))
    {}

    // One record inside the caller's transaction; with no id given it takes a new one.
    std::int64_t insert(std::optional<std::int64_t> id, const GameDate &date, const std::string &note,
                        const std::string &sheetText, const std::string &correction, std::string_view version,
                        const std::vector<PlayerResult> &players)
    {
        if (id) {
            m_record.bind(1, *id);
        } else {
            m_record.bindNull(1);
        }
        m_record.bind(2, date.text)
            .bind(3, date.utc)
            .bind(4, date.day)
            .bind(5, note)
            .bind(6, sheetText)
            .bind(7, correction)
            .bind(8, version)
            .run();
        const std::int64_t record = m_impl.db->lastInsertId();
        std::map<std::int64_t, std::string> seen;
        int seat = 0;
        for (const PlayerResult &player : players) {
            const std::int64_t playerId = m_impl.playerFor(player.name);
            if (const auto [it, fresh] = seen.emplace(playerId, player.name); !fresh) {
                throw BookError(Kind::NotRecordable, "\"" + trimmedName(it->second) + "\" and \"" +
                                                         trimmedName(player.name) + "\" are one player in the book");
            }
            m_result.bind(1, record)
                .bind(2, ++seat)
                .bind(3, playerId)
                .bind(4, player.name)
                .bind(5, player.hundredths)
                .bind(6, player.whists)
                .bind(7, date.day)
                .run();
            m_total.bind(1, playerId).bind(2, player.hundredths).run();
        }
        return record;
    }

private:
    Impl &m_impl;
    Statement m_record;
    Statement m_result;
    Statement m_total;
};

std::vector<std::int64_t> Book::addAll(const std::vector<Entry> &entries)
{
    m_impl->requireWritable();
    std::vector<std::int64_t> ids;
    try {
        Transaction transaction(*m_impl->db);
        Impl::Inserter inserter(*m_impl);
        for (const auto &[sheet, date, note] : entries) {
            ids.push_back(inserter.insert(std::nullopt, date, note, sheet.sheetText, sheet.correction, ZELVARA_VERSION,
                                          sheet.players));
        }
        transaction.commit();
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
    return ids;
}

std::optional<std::string> Book::sheetText(std::int64_t id)
{
    if (!m_impl->db) {
        return std::nullopt;
    }
    try {
        Statement select = m_impl->db->prepare("SELECT sheet FROM records WHERE id = ?1");
        if (select.bind(1, id).step()) {
            return select.text(0);
        }
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
    return std::nullopt;
}

namespace {

// The sheet a record's text holds, without what does not make it another sheet: the note and the time
// the file was saved.
std::optional<sheetfile::SheetDocument> bareSheet(const std::string &text)
{
    auto read = sheetfile::readSheet(text);
    auto *document = std::get_if<sheetfile::SheetDocument>(&read);
    if (document == nullptr) {
        return std::nullopt;
    }
    document->note.reset();
    document->saved.reset();
    return std::move(*document);
}

} // namespace

bool sameGame(const SettledSheet &first, const GameDate &firstDate, const SettledSheet &second,
              const GameDate &secondDate)
{
    if (firstDate.utc != secondDate.utc) {
        return false;
    }
    const auto bare = bareSheet(first.sheetText);
    return bare && bare == bareSheet(second.sheetText);
}

std::vector<std::int64_t> Book::recorded(const SettledSheet &sheet, const GameDate &date)
{
    std::vector<std::int64_t> ids;
    const auto wanted = bareSheet(sheet.sheetText);
    if (!m_impl->db || !wanted) {
        return ids;
    }
    try {
        Statement select = m_impl->db->prepare("SELECT id, sheet FROM records WHERE played_utc = ?1 ORDER BY id");
        select.bind(1, date.utc);
        while (select.step()) {
            if (bareSheet(select.text(1)) == wanted) {
                ids.push_back(select.integer(0));
            }
        }
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
    return ids;
}

RemovedRecord Book::remove(std::int64_t id)
{
    m_impl->requireWritable();
    Database &db = *m_impl->db;
    RemovedRecord removed;
    try {
        Transaction transaction(db);
        Statement record = db.prepare("SELECT played, played_utc, day, note, sheet, correction, version FROM records "
                                      "WHERE id = ?1");
        if (!record.bind(1, id).step()) {
            m_impl->noSuchRecord(id);
        }
        removed.id = id;
        removed.date = GameDate{record.text(0), record.integer(1), record.text(2)};
        removed.note = record.text(3);
        removed.sheetText = record.text(4);
        removed.correction = record.text(5);
        removed.version = record.text(6);
        std::vector<std::int64_t> players;
        Statement results = db.prepare("SELECT name, hundredths, whists, player FROM results WHERE record = ?1 "
                                       "ORDER BY seat");
        results.bind(1, id);
        while (results.step()) {
            removed.players.push_back({results.text(0), results.integer(1), results.real(2)});
            players.push_back(results.integer(3));
        }
        db.prepare("DELETE FROM results WHERE record = ?1").bind(1, id).run();
        db.prepare("DELETE FROM records WHERE id = ?1").bind(1, id).run();
        for (const std::int64_t player : players) {
            m_impl->recountTotals(player);
        }
        transaction.commit();
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
    return removed;
}

std::int64_t Book::restore(const RemovedRecord &removed)
{
    m_impl->requireWritable();
    std::int64_t id = 0;
    try {
        Transaction transaction(*m_impl->db);
        Statement taken = m_impl->db->prepare("SELECT 1 FROM records WHERE id = ?1");
        const bool free = !taken.bind(1, removed.id).step();
        Impl::Inserter inserter(*m_impl);
        id = inserter.insert(free ? std::optional(removed.id) : std::nullopt, removed.date, removed.note,
                             removed.sheetText, removed.correction, removed.version, removed.players);
        transaction.commit();
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
    return id;
}

void Book::setDate(std::int64_t id, const GameDate &date)
{
    m_impl->requireWritable();
    try {
        Transaction transaction(*m_impl->db);
        m_impl->requireRecord(id);
        m_impl->db->prepare("UPDATE records SET played = ?1, played_utc = ?2, day = ?3 WHERE id = ?4")
            .bind(1, date.text)
            .bind(2, date.utc)
            .bind(3, date.day)
            .bind(4, id)
            .run();
        m_impl->db->prepare("UPDATE results SET day = ?1 WHERE record = ?2").bind(1, date.day).bind(2, id).run();
        transaction.commit();
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
}

void Book::setNote(std::int64_t id, const std::string &note)
{
    m_impl->requireWritable();
    try {
        Transaction transaction(*m_impl->db);
        m_impl->requireRecord(id);
        m_impl->db->prepare("UPDATE records SET note = ?1 WHERE id = ?2").bind(1, note).bind(2, id).run();
        transaction.commit();
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
}

std::vector<std::string> Book::players()
{
    std::vector<std::string> names;
    if (!m_impl->db) {
        return names;
    }
    try {
        Statement select = m_impl->db->prepare("SELECT players.name FROM totals JOIN players ON players.id = "
                                               "totals.player WHERE totals.games > 0");
        while (select.step()) {
            names.push_back(select.text(0));
        }
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
    return names;
}

std::vector<Record> Book::records(const Filter &filter, std::size_t limit, std::optional<RecordCursor> after)
{
    std::vector<Record> records;
    if (!m_impl->db) {
        return records;
    }
    Database &db = *m_impl->db;
    try {
        const std::int64_t player = filter.player ? m_impl->requirePlayer(*filter.player) : 0;
        // The days and the cursor also bound the moment (?7, ?8), which the index by time reads as a
        // range: a page deep in the list, or a period far from the newest records, is found without
        // walking the records after it.
        Statement select =
            db.prepare("SELECT id, played, played_utc, note, correction, version FROM records "
                       "WHERE day BETWEEN ?1 AND ?2 AND played_utc BETWEEN ?7 AND ?8 "
                       "AND (?3 IS NULL OR EXISTS (SELECT 1 FROM results WHERE record = records.id AND player = ?3)) "
                       "AND (?4 IS NULL OR played_utc < ?4 OR (played_utc = ?4 AND id < ?5)) "
                       "ORDER BY played_utc DESC, id DESC LIMIT ?6");
        select.bind(1, filter.from ? std::string_view(*filter.from) : FirstDay)
            .bind(2, filter.to ? std::string_view(*filter.to) : LastDay);
        const auto [earliest, latest] = momentsOf(filter);
        select.bind(7, earliest).bind(8, after ? std::min(latest, after->utc) : latest);
        if (player != 0) {
            select.bind(3, player);
        }
        if (after) {
            select.bind(4, after->utc).bind(5, after->id);
        }
        select.bind(6, static_cast<std::int64_t>(std::min<std::size_t>(limit, INT64_MAX)));
        Statement players = db.prepare("SELECT results.name, players.name, hundredths, whists FROM results "
                                       "JOIN players ON players.id = results.player "
                                       "WHERE record = ?1 ORDER BY seat");
        while (select.step()) {
            Record record{select.integer(0),
                          select.text(1),
                          select.integer(2),
                          select.text(3),
                          select.text(4),
                          select.text(5),
                          {}};
            players.bind(1, record.id);
            while (players.step()) {
                record.players.push_back({players.text(0), players.text(1), players.integer(2), players.real(3)});
            }
            players.reset();
            records.push_back(std::move(record));
        }
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
    return records;
}

std::int64_t Book::recordCount()
{
    try {
        return m_impl->db ? m_impl->db->integer("SELECT count(*) FROM records") : 0;
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
}

namespace {

struct Totals
{
    std::int64_t player = 0;
    Standing standing;
};

void readTotals(Statement &select, std::int64_t player, std::vector<Totals> &totals)
{
    while (select.step()) {
        Totals t;
        t.player = player != 0 ? player : select.integer(4);
        t.standing.games = select.integer(0);
        t.standing.hundredths = select.integer(1);
        t.standing.best = select.integer(2);
        t.standing.worst = select.integer(3);
        t.standing.average = averageOf(t.standing.hundredths, t.standing.games);
        if (t.standing.games > 0) {
            totals.push_back(std::move(t));
        }
    }
    select.reset();
}

// Each player's games, total, best and worst in the period, in the order players came into the book;
// one player's only when `player` is not 0. The whole book reads the running totals; a period reads the
// index of results by player and day, one range a player.
std::vector<Totals> totalsOf(Database &db, const Filter &filter, std::int64_t player)
{
    std::vector<Totals> totals;
    if (!filter.from && !filter.to) {
        Statement select = db.prepare("SELECT games, hundredths, best, worst, player FROM totals "
                                      "WHERE ?1 IS NULL OR player = ?1 ORDER BY player");
        if (player != 0) {
            select.bind(1, player);
        }
        readTotals(select, 0, totals);
    } else {
        std::vector<std::int64_t> players;
        if (player != 0) {
            players.push_back(player);
        } else {
            Statement all = db.prepare("SELECT id FROM players ORDER BY id");
            while (all.step()) {
                players.push_back(all.integer(0));
            }
        }
        Statement select = db.prepare("SELECT count(*), sum(hundredths), max(hundredths), min(hundredths) "
                                      "FROM results WHERE player = ?1 AND day BETWEEN ?2 AND ?3");
        for (const std::int64_t p : players) {
            select.bind(1, p)
                .bind(2, filter.from ? std::string_view(*filter.from) : FirstDay)
                .bind(3, filter.to ? std::string_view(*filter.to) : LastDay);
            readTotals(select, p, totals);
        }
    }
    Statement name = db.prepare("SELECT name FROM players WHERE id = ?1");
    for (Totals &t : totals) {
        name.bind(1, t.player);
        t.standing.name = name.step() ? name.text(0) : std::string();
        name.reset();
    }
    return totals;
}

} // namespace

std::vector<Standing> Book::standings(const Filter &filter)
{
    std::vector<Standing> standings;
    if (!m_impl->db) {
        return standings;
    }
    try {
        const std::int64_t player = filter.player ? m_impl->requirePlayer(*filter.player) : 0;
        for (Totals &t : totalsOf(*m_impl->db, filter, player)) {
            standings.push_back(std::move(t.standing));
        }
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
    std::stable_sort(standings.begin(), standings.end(), [](const Standing &a, const Standing &b) {
        return a.hundredths != b.hundredths ? a.hundredths > b.hundredths : a.name < b.name;
    });
    return standings;
}

SeasonPayments Book::payments(const Filter &filter)
{
    SeasonPayments payments;
    if (!m_impl->db) {
        return payments;
    }
    std::vector<Totals> totals;
    std::int64_t only = 0; // player ids start at 1
    try {
        only = filter.player ? m_impl->requirePlayer(*filter.player) : 0;
        totals = totalsOf(*m_impl->db, Filter{filter.from, filter.to, std::nullopt}, 0);
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
    // Players take their seats in the order they came into the book, which breaks ties between plans.
    std::vector<std::int64_t> amounts;
    amounts.reserve(totals.size());
    for (const Totals &t : totals) {
        amounts.push_back(t.standing.hundredths);
    }
    const engine::TransferPlan plan = engine::fewestTransfers(std::span<const std::int64_t>(amounts));
    if (!plan.available) {
        payments.note = "итоги не сходятся к нулю или слишком велики, чтобы расписать переводы";
        return payments;
    }
    if (!plan.exact) {
        payments.note = "ненулевой итог у больше чем " + std::to_string(engine::MaxExactTransferPlayers) +
                        " игроков: переводы подобраны простым правилом (сначала взаимные долги, затем самый "
                        "крупный долг самому крупному получателю) и могут быть не самыми немногочисленными";
    }
    for (const engine::Transfer &t : plan.transfers) {
        const Totals &from = totals[static_cast<std::size_t>(t.from - 1)];
        const Totals &to = totals[static_cast<std::size_t>(t.to - 1)];
        if (only == 0 || from.player == only || to.player == only) {
            payments.transfers.push_back({from.standing.name, to.standing.name, t.hundredths});
        }
    }
    return payments;
}

std::vector<Timeline> Book::timeline(const Filter &filter, std::size_t maxPoints)
{
    std::vector<Timeline> lines;
    if (!m_impl->db) {
        return lines;
    }
    const auto most = static_cast<std::int64_t>(std::clamp<std::size_t>(maxPoints, 2, 1'000'000));
    const std::string_view from = filter.from ? std::string_view(*filter.from) : FirstDay;
    const std::string_view to = filter.to ? std::string_view(*filter.to) : LastDay;
    struct Line
    {
        Timeline timeline;
        std::int64_t total = 0;
    };
    std::vector<Line> all;
    try {
        Database &db = *m_impl->db;
        std::vector<std::int64_t> players;
        if (filter.player) {
            players.push_back(m_impl->requirePlayer(*filter.player));
        } else {
            Statement select = db.prepare("SELECT id FROM players ORDER BY id");
            while (select.step()) {
                players.push_back(select.integer(0));
            }
        }
        // Everything reads the index by player and day: the ends of a player's days in the period, then
        // either every day (a player's days fit the points), or the sums of evenly spread runs of days,
        // each ending on the last day played in it. Summing runs costs a range of the index each; a
        // group a day would make SQLite hand over every day of every player, the bulk of the time.
        Statement first = db.prepare("SELECT day FROM results WHERE player = ?1 AND day BETWEEN ?2 AND ?3 "
                                     "ORDER BY day LIMIT 1");
        Statement last = db.prepare("SELECT day FROM results WHERE player = ?1 AND day BETWEEN ?2 AND ?3 "
                                    "ORDER BY day DESC LIMIT 1");
        Statement daily = db.prepare("SELECT day, sum(hundredths) FROM results WHERE player = ?1 AND day BETWEEN "
                                     "?2 AND ?3 GROUP BY day ORDER BY day");
        Statement run = db.prepare("SELECT sum(hundredths), max(day) FROM results WHERE player = ?1 AND day > ?2 "
                                   "AND day <= ?3");
        Statement name = db.prepare("SELECT name FROM players WHERE id = ?1");
        for (const std::int64_t player : players) {
            first.bind(1, player).bind(2, from).bind(3, to);
            last.bind(1, player).bind(2, from).bind(3, to);
            const bool played = first.step() && last.step();
            const std::string firstDay = played ? first.text(0) : std::string();
            const std::string lastDay = played ? last.text(0) : std::string();
            first.reset();
            last.reset();
            if (!played) {
                continue;
            }
            Line line;
            const auto start = dayNumber(firstDay);
            const auto end = dayNumber(lastDay);
            if (!start || !end || *end - *start + 1 <= most) {
                daily.bind(1, player).bind(2, from).bind(3, to);
                while (daily.step()) {
                    line.total += daily.integer(1);
                    line.timeline.points.push_back({daily.text(0), line.total});
                }
                daily.reset();
            } else {
                const std::int64_t span = *end - *start + 1;
                std::string after = dayOfNumber(*start - 1);
                for (std::int64_t k = 1; k <= most; ++k) {
                    std::string until = dayOfNumber(*start - 1 + (k * span + most - 1) / most);
                    run.bind(1, player).bind(2, after).bind(3, until);
                    if (run.step() && !run.isNull(1)) {
                        line.total += run.integer(0);
                        line.timeline.points.push_back({run.text(1), line.total});
                    }
                    run.reset();
                    after = std::move(until);
                }
            }
            name.bind(1, player);
            line.timeline.name = name.step() ? name.text(0) : std::string();
            name.reset();
            all.push_back(std::move(line));
        }
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
    std::stable_sort(all.begin(), all.end(), [](const Line &a, const Line &b) {
        return a.total != b.total ? a.total > b.total : a.timeline.name < b.timeline.name;
    });
    for (Line &line : all) {
        lines.push_back(std::move(line.timeline));
    }
    return lines;
}

std::int64_t Book::dataVersion()
{
    try {
        return m_impl->db ? m_impl->db->integer("PRAGMA data_version") : 0;
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
}

void Book::rename(const std::string &name, const std::string &newName)
{
    m_impl->requireWritable();
    try {
        Transaction transaction(*m_impl->db);
        const std::int64_t player = m_impl->requirePlayer(name);
        if (nameKey(newName).empty()) {
            throw BookError(Kind::NotRecordable, "a player's name cannot be blank");
        }
        if (const auto other = m_impl->playerOf(newName); other && *other != player) {
            throw BookError(Kind::NotRecordable,
                            "\"" + trimmedName(newName) + "\" is another player in the book; merge the two instead");
        }
        m_impl->db->prepare("UPDATE players SET name = ?1 WHERE id = ?2")
            .bind(1, trimmedName(newName))
            .bind(2, player)
            .run();
        m_impl->db->prepare("INSERT OR IGNORE INTO names (key, player) VALUES (?1, ?2)")
            .bind(1, nameKey(newName))
            .bind(2, player)
            .run();
        transaction.commit();
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
}

void Book::merge(const std::string &name, const std::string &other)
{
    m_impl->requireWritable();
    try {
        Transaction transaction(*m_impl->db);
        const std::int64_t keep = m_impl->requirePlayer(name);
        const std::int64_t gone = m_impl->requirePlayer(other);
        if (keep == gone) {
            return;
        }
        Statement together = m_impl->db->prepare("SELECT 1 FROM results a JOIN results b ON a.record = b.record WHERE "
                                                 "a.player = ?1 AND b.player = ?2 LIMIT 1");
        together.bind(1, keep).bind(2, gone);
        if (together.step()) {
            throw BookError(Kind::NotRecordable, "\"" + trimmedName(name) + "\" and \"" + trimmedName(other) +
                                                     "\" played one sheet together: they are two players");
        }
        for (const char *sql :
             {"UPDATE names SET player = ?1 WHERE player = ?2", "UPDATE results SET player = ?1 WHERE player = ?2"}) {
            m_impl->db->prepare(sql).bind(1, keep).bind(2, gone).run();
        }
        m_impl->db->prepare("DELETE FROM totals WHERE player IN (?1, ?2)").bind(1, keep).bind(2, gone).run();
        m_impl->db->prepare("DELETE FROM players WHERE id = ?1").bind(1, gone).run();
        m_impl->db
            ->prepare("INSERT INTO totals SELECT player, count(*), sum(hundredths), max(hundredths), min(hundredths) "
                      "FROM results WHERE player = ?1 GROUP BY player")
            .bind(1, keep)
            .run();
        transaction.commit();
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
}

std::string Book::integrityCheck()
{
    if (!m_impl->db) {
        return "ok";
    }
    try {
        Statement check = m_impl->db->prepare("PRAGMA integrity_check");
        std::string findings;
        while (check.step()) {
            findings += (findings.empty() ? "" : "\n") + check.text(0);
        }
        return findings;
    } catch (const SqliteError &error) {
        m_impl->fail(error);
    }
}

void Book::setMaxPageCount(int pages)
{
    if (m_impl->db) {
        m_impl->db->execute(("PRAGMA max_page_count = " + std::to_string(pages)).c_str());
    }
}

} // namespace zelvara::book
