#include "platform/security/KeychainDatabase.hpp"

#include "platform/foundation/PrivateFiles.hpp"

#include <sqlite3.h>

namespace security {

namespace {

constexpr int busyTimeoutMilliseconds = 10'000;

constexpr const char* schema =
    "CREATE TABLE IF NOT EXISTS genp ("
    " rowid INTEGER PRIMARY KEY,"
    " service TEXT NOT NULL, account TEXT NOT NULL, access_group TEXT NOT NULL,"
    " accessible TEXT NOT NULL, data BLOB NOT NULL,"
    " UNIQUE (service, account, access_group))";

constexpr const char* matchClause =
    " WHERE (?1 IS NULL OR service = ?1) AND (?2 IS NULL OR account = ?2)"
    " AND (?3 IS NULL OR access_group = ?3)";

// A prepared statement, finalised with the object.
class Statement {
public:
    Statement(sqlite3* connection, const std::string& sql) {
        if (sqlite3_prepare_v2(connection, sql.c_str(), -1, &statement_, nullptr) != SQLITE_OK) statement_ = nullptr;
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(statement_); }

    explicit operator bool() const { return statement_ != nullptr; }
    sqlite3_stmt* get() const { return statement_; }

    void bindText(int index, const std::optional<std::string>& text) {
        if (text)
            sqlite3_bind_text(statement_, index, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(statement_, index);
    }
    void bindBlob(int index, const std::vector<std::uint8_t>& bytes) {
        // A zero-length blob is bound as such, never as NULL.
        sqlite3_bind_blob(statement_, index, bytes.empty() ? "" : static_cast<const void*>(bytes.data()),
                          static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    }
    void bindMatch(const KeychainMatch& match) {
        bindText(1, match.service);
        bindText(2, match.account);
        bindText(3, match.accessGroup);
    }
    std::string text(int column) const {
        auto* bytes = sqlite3_column_text(statement_, column);
        return bytes ? std::string(reinterpret_cast<const char*>(bytes), sqlite3_column_bytes(statement_, column))
                     : std::string();
    }
    std::vector<std::uint8_t> blob(int column) const {
        auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_, column));
        return bytes ? std::vector<std::uint8_t>(bytes, bytes + sqlite3_column_bytes(statement_, column))
                     : std::vector<std::uint8_t>();
    }

private:
    sqlite3_stmt* statement_ = nullptr;
};

}  // namespace

std::unique_ptr<KeychainDatabase> KeychainDatabase::open(const std::filesystem::path& path, OSStatus& status) {
    // Secrets: the file is the owner's alone before SQLite opens it, and a link planted in
    // its place is refused rather than followed.
    if (!foundation::preparePrivateFile(path)) {
        status = errSecIO;
        return nullptr;
    }
    sqlite3* connection = nullptr;
    int result = sqlite3_open_v2(path.c_str(), &connection, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
    std::unique_ptr<KeychainDatabase> database(new KeychainDatabase(connection));
    if (result != SQLITE_OK) {
        status = errSecIO;
        return nullptr;
    }
    sqlite3_busy_timeout(connection, busyTimeoutMilliseconds);
    if (sqlite3_exec(connection, schema, nullptr, nullptr, nullptr) != SQLITE_OK) {
        status = errSecIO;
        return nullptr;
    }
    status = errSecSuccess;
    return database;
}

KeychainDatabase::~KeychainDatabase() { sqlite3_close_v2(connection_); }

OSStatus KeychainDatabase::find(const KeychainMatch& match, std::size_t limit, std::vector<KeychainItem>& items) {
    std::string sql = std::string("SELECT service, account, access_group, accessible, data FROM genp") + matchClause +
                      " ORDER BY rowid";
    if (limit > 0) sql += " LIMIT " + std::to_string(limit);
    Statement statement(connection_, sql);
    if (!statement) return errSecIO;
    statement.bindMatch(match);
    int step;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW)
        items.push_back({statement.text(0), statement.text(1), statement.text(2), statement.text(3), statement.blob(4)});
    if (step != SQLITE_DONE) return errSecIO;
    return items.empty() ? errSecItemNotFound : errSecSuccess;
}

OSStatus KeychainDatabase::insert(const KeychainItem& item) {
    Statement statement(connection_,
                        "INSERT INTO genp (service, account, access_group, accessible, data) VALUES (?1, ?2, ?3, ?4, ?5)");
    if (!statement) return errSecIO;
    statement.bindText(1, item.service);
    statement.bindText(2, item.account);
    statement.bindText(3, item.accessGroup);
    statement.bindText(4, item.accessible);
    statement.bindBlob(5, item.data);
    int step = sqlite3_step(statement.get());
    if (step == SQLITE_CONSTRAINT) return errSecDuplicateItem;
    return step == SQLITE_DONE ? errSecSuccess : errSecIO;
}

OSStatus KeychainDatabase::update(const KeychainMatch& match, const std::optional<std::vector<std::uint8_t>>& data,
                                  const std::optional<std::string>& accessible) {
    Statement statement(connection_, std::string("UPDATE genp SET data = coalesce(?4, data),"
                                                 " accessible = coalesce(?5, accessible)") +
                                         matchClause);
    if (!statement) return errSecIO;
    statement.bindMatch(match);
    if (data)
        statement.bindBlob(4, *data);
    else
        sqlite3_bind_null(statement.get(), 4);
    statement.bindText(5, accessible);
    if (sqlite3_step(statement.get()) != SQLITE_DONE) return errSecIO;
    return sqlite3_changes(connection_) > 0 ? errSecSuccess : errSecItemNotFound;
}

OSStatus KeychainDatabase::remove(const KeychainMatch& match) {
    Statement statement(connection_, std::string("DELETE FROM genp") + matchClause);
    if (!statement) return errSecIO;
    statement.bindMatch(match);
    if (sqlite3_step(statement.get()) != SQLITE_DONE) return errSecIO;
    return sqlite3_changes(connection_) > 0 ? errSecSuccess : errSecItemNotFound;
}

}  // namespace security
