#pragma once
// One SQLite connection: statements run as SQL text or with bound parameters, results as text.

#include "db/NSDBDataModel.h"
#include "db/NSDBValue.h"

#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace NSUI {

/// Thin wrapper over one SQLite connection. It has no lock of its own: its owner uses it
/// from one thread at a time. Every operation returns false without an open connection.
class NSDBUtil {
public:
    NSDBUtil() = default;
    NSDBUtil(const NSDBUtil&) = delete;
    NSDBUtil& operator=(const NSDBUtil&) = delete;
    /// Closes the connection.
    virtual ~NSDBUtil();

    /// Opens (creating when missing) the database file; an open connection is closed first.
    bool openDB(const char* path);
    void closeDB();
    bool isOpen() const { return _db != nullptr; }

    bool isTableExist(std::string name);
    /// True when the table is gone afterwards (also when it never existed).
    bool deleteTable(std::string name);
    /// Drops a table of that name with its rows, then runs `sql`.
    bool createTable(std::string sql, std::string name);

    /// Runs SQL text (it may hold several statements). Callers quote nothing themselves:
    /// any value that comes from outside goes through the bound overload instead.
    bool executeSQL(std::string sql);
    /// Runs one statement with its '?' parameters bound to `params`, in order. Such statements
    /// are compiled once and kept for the next call with the same text (a few dozen at most).
    bool executeSQL(const std::string& sql, const std::vector<NSDBValue>& params);

    /// "begin IMMEDIATE;", retried every 50 ms for about 2.5 s while the database is busy.
    bool beginTransaction();
    bool commitTransaction();
    bool rollbackTransaction();

    /// Clears the model, then appends every result row.
    bool getRecord(std::string sql, NSDBDataModel* model);
    /// The same for one statement with bound parameters.
    bool getRecord(const std::string& sql, const std::vector<NSDBValue>& params,
                   NSDBDataModel* model);

    /// The SQLite result code of the last statement or open.
    int getLastResult() const { return _lastResult; }
    /// SQLite's message for the last failure; empty after a success.
    const std::string& getLastError() const { return _lastError; }

private:
    bool exec(const std::string& sql, int (*callback)(void*, int, char**, char**), void* context);
    bool fail(const std::string& operation, const std::string& sql);
    /// The compiled statement for the text, compiled now when it is not kept yet; null (with
    /// the failure noted) when it does not compile or is not exactly one statement.
    sqlite3_stmt* statementFor(const std::string& sql);
    void forgetStatements();

    sqlite3* _db = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> _statements;
    char* _errorMessage = nullptr;
    std::string _lastError;
    int _lastResult = 0;
};

} // namespace NSUI
