#include "db/NSDBUtil.h"

#include "base/ccLog.h"
#include "util/TimeUtils.h"

#include <algorithm>
#include <mutex>
#include <sqlite3.h>

namespace NSUI {

namespace {

constexpr int kBeginAttempts = 51;
// Compiled statements kept per connection; the store runs about thirty different ones.
constexpr size_t kKeptStatements = 64;
// Statements are logged only this far: they may be long, and the values in them private.
constexpr size_t kLoggedSqlLength = 120;

void configureOnce()
{
    static std::once_flag once;
    // Multi-thread mode must be set before SQLite initialises; a later call reports
    // MISUSE, which is no reason to refuse the open.
    std::call_once(once, [] { sqlite3_config(SQLITE_CONFIG_MULTITHREAD); });
}

int rowCollector(void* context, int columns, char** values, char**)
{
    auto* model = static_cast<NSDBDataModel*>(context);
    for (int i = 0; i < columns; ++i)
        model->addColumn(values[i] ? values[i] : "None");
    model->endRow();
    return 0;
}

bool bindAll(sqlite3_stmt* statement, const std::vector<NSDBValue>& params)
{
    if (sqlite3_bind_parameter_count(statement) != static_cast<int>(params.size()))
        return false;
    for (size_t i = 0; i < params.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        const NSDBValue& value = params[i];
        int rc = SQLITE_OK;
        switch (value.kind()) {
        case NSDBValue::Kind::Null:
            rc = sqlite3_bind_null(statement, index);
            break;
        case NSDBValue::Kind::Integer:
            rc = sqlite3_bind_int64(statement, index, value.integer());
            break;
        case NSDBValue::Kind::Real:
            rc = sqlite3_bind_double(statement, index, value.real());
            break;
        case NSDBValue::Kind::Text:
            rc = sqlite3_bind_text(statement, index, value.text().data(),
                                   static_cast<int>(value.text().size()), SQLITE_TRANSIENT);
            break;
        }
        if (rc != SQLITE_OK)
            return false;
    }
    return true;
}

bool onlySeparatorsLeft(const char* tail)
{
    for (; tail && *tail; ++tail) {
        if (*tail != ';' && *tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n')
            return false;
    }
    return true;
}

} // namespace

NSDBUtil::~NSDBUtil()
{
    closeDB();
}

bool NSDBUtil::openDB(const char* path)
{
    closeDB();
    if (!path) {
        _lastResult = SQLITE_MISUSE;
        return false;
    }
    configureOnce();
    _lastResult = sqlite3_open_v2(path, &_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (_lastResult != SQLITE_OK) {
        _lastError = _db ? sqlite3_errmsg(_db) : sqlite3_errstr(_lastResult);
        cocos2d::log("NSDBUtil: cannot open %s: %s", path, _lastError.c_str());
        closeDB();
        return false;
    }
    _lastError.clear();
    return true;
}

void NSDBUtil::forgetStatements()
{
    for (auto& kept : _statements)
        sqlite3_finalize(kept.second);
    _statements.clear();
}

sqlite3_stmt* NSDBUtil::statementFor(const std::string& sql)
{
    auto kept = _statements.find(sql);
    if (kept != _statements.end())
        return kept->second;
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    _lastResult = sqlite3_prepare_v2(_db, sql.c_str(), static_cast<int>(sql.size()), &statement, &tail);
    if (_lastResult != SQLITE_OK || !statement) {
        _lastError = sqlite3_errmsg(_db);
        sqlite3_finalize(statement);
        fail("prepare", sql);
        return nullptr;
    }
    if (!onlySeparatorsLeft(tail)) {
        sqlite3_finalize(statement);
        _lastResult = SQLITE_MISUSE;
        _lastError = "one statement with one value for each parameter expected";
        fail("bind", sql);
        return nullptr;
    }
    if (_statements.size() >= kKeptStatements)
        forgetStatements();
    _statements.emplace(sql, statement);
    return statement;
}

void NSDBUtil::closeDB()
{
    forgetStatements();
    if (_db) {
        sqlite3_close_v2(_db);
        _db = nullptr;
    }
}

bool NSDBUtil::fail(const std::string& operation, const std::string& sql)
{
    cocos2d::log("NSDBUtil: %s failed (%d: %s): %.*s", operation.c_str(), _lastResult,
                 _lastError.c_str(), static_cast<int>(std::min(sql.size(), kLoggedSqlLength)),
                 sql.c_str());
    return false;
}

bool NSDBUtil::exec(const std::string& sql, int (*callback)(void*, int, char**, char**),
                    void* context)
{
    if (!_db)
        return false;
    _lastResult = sqlite3_exec(_db, sql.c_str(), callback, context, &_errorMessage);
    if (_errorMessage) {
        _lastError = _errorMessage;
        sqlite3_free(_errorMessage);
        _errorMessage = nullptr;
    } else {
        _lastError = _lastResult == SQLITE_OK ? "" : sqlite3_errstr(_lastResult);
    }
    return _lastResult == SQLITE_OK || fail("statement", sql);
}

bool NSDBUtil::isTableExist(std::string name)
{
    NSDBDataModel rows;
    if (!getRecord("select count(*) from sqlite_master where type='table' and name=?;", {name},
                   &rows))
        return false;
    const std::string count = rows.getValue(0, 0);
    return !count.empty() && count[0] != '0';
}

bool NSDBUtil::deleteTable(std::string name)
{
    if (!_db)
        return false;
    if (!isTableExist(name))
        return _lastResult == SQLITE_OK;
    return executeSQL("drop table " + name + ";");
}

bool NSDBUtil::createTable(std::string sql, std::string name)
{
    return deleteTable(name) && executeSQL(sql);
}

bool NSDBUtil::executeSQL(std::string sql)
{
    return exec(sql, nullptr, nullptr);
}

bool NSDBUtil::getRecord(std::string sql, NSDBDataModel* model)
{
    if (!_db || !model)
        return false;
    model->clear();
    return exec(sql, rowCollector, model);
}

bool NSDBUtil::getRecord(const std::string& sql, const std::vector<NSDBValue>& params,
                         NSDBDataModel* model)
{
    if (!_db)
        return false;
    if (model)
        model->clear();
    sqlite3_stmt* statement = statementFor(sql);
    if (!statement)
        return false;
    if (!bindAll(statement, params)) {
        sqlite3_reset(statement);
        _lastResult = SQLITE_MISUSE;
        _lastError = "one statement with one value for each parameter expected";
        return fail("bind", sql);
    }
    while ((_lastResult = sqlite3_step(statement)) == SQLITE_ROW) {
        if (!model)
            continue;
        const int columns = sqlite3_column_count(statement);
        for (int i = 0; i < columns; ++i) {
            if (sqlite3_column_type(statement, i) == SQLITE_NULL) {
                model->addColumn("None");
                continue;
            }
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
            const int bytes = sqlite3_column_bytes(statement, i);
            model->addColumn(text ? std::string(text, static_cast<size_t>(bytes)) : std::string());
        }
        model->endRow();
    }
    const bool done = _lastResult == SQLITE_DONE;
    if (!done)
        _lastError = sqlite3_errmsg(_db);
    // Kept for the next call: reset, so that it holds no read of the database meanwhile.
    sqlite3_reset(statement);
    if (!done)
        return fail("step", sql);
    _lastResult = SQLITE_OK;
    _lastError.clear();
    return true;
}

bool NSDBUtil::executeSQL(const std::string& sql, const std::vector<NSDBValue>& params)
{
    return getRecord(sql, params, nullptr);
}

bool NSDBUtil::beginTransaction()
{
    if (!_db)
        return false;
    for (int attempt = 1;; ++attempt) {
        _lastResult = sqlite3_exec(_db, "begin IMMEDIATE;", nullptr, nullptr, nullptr);
        if (_lastResult == SQLITE_OK)
            return true;
        // Only a lock held elsewhere is worth waiting for; any other failure (such as a
        // transaction already open) would fail the same way on every attempt.
        const int primary = _lastResult & 0xFF;
        if ((primary != SQLITE_BUSY && primary != SQLITE_LOCKED) || attempt >= kBeginAttempts) {
            _lastError = sqlite3_errmsg(_db);
            return fail("begin transaction", "begin IMMEDIATE;");
        }
        cocos2d::log(" try to begin");
        sleepFor(0, 50000000);
    }
}

bool NSDBUtil::commitTransaction()
{
    return executeSQL("commit;");
}

bool NSDBUtil::rollbackTransaction()
{
    return executeSQL("rollback;");
}

} // namespace NSUI
