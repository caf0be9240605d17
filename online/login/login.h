#pragma once
// The user account as the rest of the program sees it: the sign-in state kept in the
// settings, the moment of the last sign-in, and the sign-out that the services may force.

#include <cstdint>
#include <string>

/// Main thread only (the settings belong to it), except `getLoginState`, which discovery's
/// receive thread also calls: the settings store is locked.
class login {
public:
    /// Posted with int 1 after a sign-in and -1 after a sign-out, without object.
    static constexpr unsigned int kLoginChangedId = 2031;

    /// "app_logined" ("1" while signed in) and "app_login_id", each "0" when not stored.
    static void getLoginState(std::string& logined, std::string& userId);
    /// Seconds since 1970 of the last sign-in: "app_login_timestamp", or now when it was never
    /// stored. Read once and kept for the process.
    static uint32_t getLoginTimestamp();
    /// Keeps the moment of a new sign-in (the settings are the caller's to write).
    static void setLoginTimestamp(uint32_t seconds);
    /// Announces the sign-out (queued, no sender) and stores "app_logined" as "0"; the
    /// settings file is written at the next flush.
    static void logout();
};
