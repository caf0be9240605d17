#pragma once
// One transaction on the store's connection that rolls back unless it was committed.

#include "db/NSDBUtil.h"

/// Begins at construction; the destructor rolls back a transaction that was neither
/// committed nor rolled back, so every early return leaves the database unchanged.
class StoreTransaction {
public:
    explicit StoreTransaction(NSUI::NSDBUtil& db) : _db(db), _active(db.beginTransaction()) {}
    ~StoreTransaction()
    {
        if (_active)
            _db.rollbackTransaction();
    }
    StoreTransaction(const StoreTransaction&) = delete;
    StoreTransaction& operator=(const StoreTransaction&) = delete;

    bool began() const { return _active; }
    /// False (and rolled back) when the commit fails.
    bool commit()
    {
        if (!_active)
            return false;
        _active = false;
        if (_db.commitTransaction())
            return true;
        _db.rollbackTransaction();
        return false;
    }

private:
    NSUI::NSDBUtil& _db;
    bool _active;
};
