// SPDX-License-Identifier: GPL-3.0-or-later
#include "book/sqlite.h"

#include <sqlite3.h>
#include <utility>

namespace zelvara::book::sqlite {

namespace {

[[noreturn]] void fail(sqlite3 *db, int code)
{
    const char *message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    const int extended = db != nullptr ? sqlite3_extended_errcode(db) : code;
    throw SqliteError(extended != 0 ? extended : code, message != nullptr ? message : "unknown SQLite error");
}

void check(sqlite3 *db, int code)
{
    if (code != SQLITE_OK) {
        fail(db, code);
    }
}

} // namespace

SqliteError::SqliteError(int code, const std::string &message) : std::runtime_error(message), m_code(code) {}

Database::Database(const std::string &path, Mode mode)
{
    int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
    std::string name = path;
    switch (mode) {
    case Mode::ReadWriteCreate:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    case Mode::ReadWrite:
        flags |= SQLITE_OPEN_READWRITE;
        break;
    case Mode::ReadOnly:
        flags |= SQLITE_OPEN_READONLY;
        break;
    case Mode::Immutable:
        // A book in a folder nobody may write: nothing can change it while it is read, and SQLite
        // then needs no lock files beside it.
        flags |= SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
        name = "file:";
        for (const char c : path) {
            if (c == '%' || c == '?' || c == '#') {
                static constexpr char Hex[] = "0123456789ABCDEF";
                const auto byte = static_cast<unsigned char>(c);
                name += '%';
                name += Hex[byte >> 4U];
                name += Hex[byte & 0xFU];
            } else {
                name += c;
            }
        }
        name += "?immutable=1";
        break;
    }
    const int code = sqlite3_open_v2(name.c_str(), &m_db, flags, nullptr);
    if (code != SQLITE_OK) {
        const int extended = m_db != nullptr ? sqlite3_extended_errcode(m_db) : code;
        const std::string message = m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw SqliteError(extended, message);
    }
}

Database::~Database()
{
    sqlite3_close_v2(m_db);
}

Database::Database(Database &&other) noexcept : m_db(std::exchange(other.m_db, nullptr)) {}

Database &Database::operator=(Database &&other) noexcept
{
    if (this != &other) {
        sqlite3_close_v2(m_db);
        m_db = std::exchange(other.m_db, nullptr);
    }
    return *this;
}

void Database::execute(const char *sql)
{
    check(m_db, sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr));
}

Statement Database::prepare(std::string_view sql)
{
    sqlite3_stmt *statement = nullptr;
    check(m_db, sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &statement, nullptr));
    return {m_db, statement};
}

std::int64_t Database::integer(std::string_view sql)
{
    Statement statement = prepare(sql);
    return statement.step() ? statement.integer(0) : 0;
}

std::int64_t Database::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

bool Database::readOnly() const
{
    return sqlite3_db_readonly(m_db, "main") == 1;
}

void Database::setBusyTimeout(int milliseconds)
{
    check(m_db, sqlite3_busy_timeout(m_db, milliseconds));
}

Statement::~Statement()
{
    sqlite3_finalize(m_statement);
}

Statement::Statement(Statement &&other) noexcept
    : m_db(other.m_db), m_statement(std::exchange(other.m_statement, nullptr))
{}

Statement &Statement::operator=(Statement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_statement);
        m_db = other.m_db;
        m_statement = std::exchange(other.m_statement, nullptr);
    }
    return *this;
}

Statement &Statement::bind(int index, std::int64_t value)
{
    check(m_db, sqlite3_bind_int64(m_statement, index, value));
    return *this;
}

Statement &Statement::bind(int index, double value)
{
    check(m_db, sqlite3_bind_double(m_statement, index, value));
    return *this;
}

Statement &Statement::bind(int index, std::string_view text)
{
    // SQLITE_TRANSIENT: SQLite copies the text, so a temporary may be bound.
    check(m_db, sqlite3_bind_text64(m_statement, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
    return *this;
}

Statement &Statement::bindNull(int index)
{
    check(m_db, sqlite3_bind_null(m_statement, index));
    return *this;
}

bool Statement::step()
{
    const int code = sqlite3_step(m_statement);
    if (code == SQLITE_ROW) {
        return true;
    }
    if (code == SQLITE_DONE) {
        return false;
    }
    fail(m_db, code);
}

void Statement::run()
{
    while (step()) {
    }
    reset();
}

void Statement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

std::int64_t Statement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

double Statement::real(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

std::string Statement::text(int column) const
{
    const unsigned char *text = sqlite3_column_text(m_statement, column);
    const int size = sqlite3_column_bytes(m_statement, column);
    if (text == nullptr) {
        return {};
    }
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): SQLite hands text out as unsigned bytes
    return {reinterpret_cast<const char *>(text), static_cast<std::size_t>(size)};
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

Transaction::Transaction(Database &db) : m_db(db)
{
    m_db.execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction()
{
    if (m_open) {
        try {
            m_db.execute("ROLLBACK");
        } catch (const SqliteError &) {
            // A failed statement may already have rolled the transaction back.
        }
    }
}

void Transaction::commit()
{
    m_db.execute("COMMIT");
    m_open = false;
}

} // namespace zelvara::book::sqlite
