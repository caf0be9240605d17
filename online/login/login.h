#pragma once
// The user account as the rest of the program sees it: the sign-in state kept in the settings.

#include <string>

/// The account panel keeps the sign-in state in the settings; services that only need to know
/// who is signed in read it here.
class login {
public:
    /// "app_logined" ("1" while a user is signed in) and "app_login_id", each "0" when unset.
    /// Safe from any thread: the settings store is locked.
    static void getLoginState(std::string& logined, std::string& userId);
};
