// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A thin owner of SQLite's C handles: a connection and its prepared statements, closed by their
// destructors, every value bound as a parameter. Failures come out as SqliteError with SQLite's own
// extended code, which the book turns into words.

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace zelvara::book::sqlite {

class SqliteError : public std::runtime_error
{
public:
    SqliteError(int code, const std::string &message);
    // SQLite's extended result code (SQLITE_FULL, SQLITE_CORRUPT, SQLITE_READONLY_DBMOVED...).
    int code() const { return m_code; }
    // The primary code, the low byte of the extended one.
    int primary() const { return m_code & 0xFF; }

private:
    int m_code;
};

class Statement;

class Database
{
public:
    enum class Mode { ReadWriteCreate, ReadWrite, ReadOnly, Immutable };

    // Opens the file; throws SqliteError when SQLite cannot. No query runs: a file that is not a
    // database is found by the first statement.
    Database(const std::string &path, Mode mode);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;
    Database(Database &&) noexcept;
    Database &operator=(Database &&) noexcept;

    // Runs statements that bind nothing and return nothing (schema, pragmas, transactions).
    void execute(const char *sql);
    Statement prepare(std::string_view sql);
    // The one value of a statement that returns one row of one integer.
    std::int64_t integer(std::string_view sql);
    std::int64_t lastInsertId() const;
    bool readOnly() const;
    void setBusyTimeout(int milliseconds);

    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

class Statement
{
public:
    Statement(sqlite3 *db, sqlite3_stmt *statement) : m_db(db), m_statement(statement) {}
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    Statement(Statement &&other) noexcept;
    Statement &operator=(Statement &&other) noexcept;

    // Parameters are numbered from 1, as in SQL's ?1, ?2...
    Statement &bind(int index, std::int64_t value);
    Statement &bind(int index, int value) { return bind(index, static_cast<std::int64_t>(value)); }
    Statement &bind(int index, double value);
    Statement &bind(int index, std::string_view text);
    Statement &bindNull(int index);

    // Advances to the next row: true while there is one.
    bool step();
    // Runs a statement that returns no rows.
    void run();
    void reset();

    // Columns are numbered from 0.
    std::int64_t integer(int column) const;
    double real(int column) const;
    std::string text(int column) const;
    bool isNull(int column) const;

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statement = nullptr;
};

// A write transaction taken at once (BEGIN IMMEDIATE), so two writers queue on the busy timeout
// instead of failing when one upgrades its read; rolled back unless committed.
class Transaction
{
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    Transaction(Transaction &&) = delete;
    Transaction &operator=(Transaction &&) = delete;
    void commit();

private:
    Database &m_db;
    bool m_open = true;
};

} // namespace zelvara::book::sqlite
