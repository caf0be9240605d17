#pragma once
// The lock that makes one running program the owner of a store folder.

#include <string>

/// An exclusive flock on "dicomDB.lock" in the store folder, held from the open to the end of
/// the close. The system drops it when the program ends in any way (a kill or a crash too), so
/// the file's presence means nothing; a program that finds it held leaves the store alone.
class StoreOwnerLock {
public:
    enum class Result { kOwned, kInUse, kNotLockable };

    static constexpr const char* kFileName = "dicomDB.lock";

    StoreOwnerLock() = default;
    ~StoreOwnerLock() { release(); }
    StoreOwnerLock(const StoreOwnerLock&) = delete;
    StoreOwnerLock& operator=(const StoreOwnerLock&) = delete;

    /// Takes the lock of the folder (ending in "/") without waiting. kInUse: another open
    /// store holds it, in this program or another. kNotLockable: the file cannot be opened or
    /// the file system has no locks; nothing is held then. A lock this program took ahead for
    /// the folder is handed over rather than taken again.
    Result take(const std::string& folder);
    void release();

    /// Takes the folder's lock before any store exists, so the program's launch knows whether
    /// it owns the library before it touches any of it. The lock is held for the program's
    /// life until a store of this folder takes it over. Taking ahead again for the same
    /// folder finds the lock already held here: kOwned.
    static Result takeAhead(const std::string& folder);

private:
    int _fd = -1;
};
