#pragma once
// A thin layer over SQLite: a connection, prepared statements with bound
// parameters (user values never become SQL text) and a scoped transaction.
// Failures throw SqliteError, which tells whether the file is damaged.

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lumo::platform::library {

class SqliteError : public std::runtime_error {
public:
    SqliteError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }
    // Not a database, or a damaged one: the index must be rebuilt.
    bool damaged() const { return (code_ & 0xff) == SQLITE_CORRUPT || (code_ & 0xff) == SQLITE_NOTADB; }

private:
    int code_;
};

class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Parameters count from 1, as in SQL.
    Statement& bindText(int index, std::string_view text);
    Statement& bindBlob(int index, std::string_view bytes);
    Statement& bindInt(int index, int64_t value);
    Statement& bindReal(int index, double value);
    Statement& bindNull(int index);
    Statement& bindInt(int index, std::optional<int64_t> value) {
        return value ? bindInt(index, *value) : bindNull(index);
    }
    Statement& bindReal(int index, std::optional<double> value) {
        return value ? bindReal(index, *value) : bindNull(index);
    }

    bool step();  // true while there is a row to read
    void run();   // a statement without rows: step, then reset
    void reset();

    // Columns count from 0.
    bool isNull(int column) const;
    int64_t integer(int column) const;
    double real(int column) const;
    std::string text(int column) const;

private:
    sqlite3_stmt* statement_ = nullptr;
};

// A connection without SQLite's own locking: its owner serialises the use.
class Database {
public:
    explicit Database(const std::filesystem::path& file);  // created when missing
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void exec(const char* sql);
    int64_t pragma(const char* name);  // an integer pragma such as user_version
    sqlite3* handle() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// Commits when committed, rolls back when left otherwise. A read
// transaction takes the file's locks once for a series of queries.
class Transaction {
public:
    enum class Kind { Read, Write };
    explicit Transaction(Database& db, Kind kind = Kind::Write);
    ~Transaction();
    void commit();

private:
    Database& db_;
    bool open_ = true;
};

[[noreturn]] void throwSqliteError(sqlite3* db, int code, std::string_view what);

}  // namespace lumo::platform::library
