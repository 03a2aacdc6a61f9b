#include "platform/library/sqlite.h"

#include "platform/library/text.h"

namespace lumo::platform::library {
namespace {

// fold(text): the text as it compares without regard to letter case; NULL stays NULL.
void foldFunction(sqlite3_context* context, int, sqlite3_value** values) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(values[0]));
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    const std::string folded = foldedCase({text, static_cast<size_t>(sqlite3_value_bytes(values[0]))});
    sqlite3_result_text(context, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}

}  // namespace

void throwSqliteError(sqlite3* db, int code, std::string_view what) {
    std::string message(what);
    message += ": ";
    message += db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    throw SqliteError(code, message);
}

Statement::Statement(sqlite3* db, std::string_view sql) {
    const int code = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                        &statement_, nullptr);
    if (code != SQLITE_OK) throwSqliteError(db, code, "preparing a statement of the track index");
}

Statement::~Statement() { sqlite3_finalize(statement_); }

Statement& Statement::bindText(int index, std::string_view text) {
    sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bindBlob(int index, std::string_view bytes) {
    sqlite3_bind_blob(statement_, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bindInt(int index, int64_t value) {
    sqlite3_bind_int64(statement_, index, value);
    return *this;
}

Statement& Statement::bindReal(int index, double value) {
    sqlite3_bind_double(statement_, index, value);
    return *this;
}

Statement& Statement::bindNull(int index) {
    sqlite3_bind_null(statement_, index);
    return *this;
}

bool Statement::step() {
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW) return true;
    if (code == SQLITE_DONE) return false;
    sqlite3* db = sqlite3_db_handle(statement_);
    sqlite3_reset(statement_);
    throwSqliteError(db, code, "reading or writing the track index");
}

void Statement::run() {
    step();
    reset();
}

void Statement::reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

bool Statement::isNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
int64_t Statement::integer(int column) const { return sqlite3_column_int64(statement_, column); }
double Statement::real(int column) const { return sqlite3_column_double(statement_, column); }

std::string Statement::text(int column) const {
    // Blob or text alike: the bytes as they are stored.
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size)) : std::string();
}

Database::Database(const std::filesystem::path& file) {
    const int code =
        sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
        sqlite3_close_v2(db_);
        throw SqliteError(code, "opening " + file.string() + ": " + message);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, 2000);
    sqlite3_create_function_v2(db_, "fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               foldFunction, nullptr, nullptr, nullptr);
}

Database::~Database() { sqlite3_close_v2(db_); }

void Database::exec(const char* sql) {
    const int code = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) throwSqliteError(db_, code, "running a statement on the track index");
}

int64_t Database::pragma(const char* name) {
    Statement statement(db_, std::string("PRAGMA ") + name);
    return statement.step() ? statement.integer(0) : 0;
}

Transaction::Transaction(Database& db, Kind kind) : db_(db) {
    db_.exec(kind == Kind::Write ? "BEGIN IMMEDIATE" : "BEGIN DEFERRED");
}

Transaction::~Transaction() {
    if (open_) sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
    db_.exec("COMMIT");
    open_ = false;
}

}  // namespace lumo::platform::library
