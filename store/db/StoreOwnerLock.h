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
    /// the file system has no locks; nothing is held then.
    Result take(const std::string& folder);
    void release();

private:
    int _fd = -1;
};
