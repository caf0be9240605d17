#pragma once
// One known DICOM node: one row of the store's table "neighbor".

#include <string>

/// Copied by value in lists. Device 2 is another installation found by LAN discovery, 5 a DICOM
/// node that answered an echo.
struct NeighborRecord {
    int ID = -1;
    int device = 2;
    std::string lastTime;
    /// The local time the node was last seen ("YYYY-MM-DD HH:MM:SS").
    std::string wifi;
    int saveType = 3;
    std::string ip;
    std::string port = "4587";
    std::string name;
    int value1 = 0;
    int value2 = 0;
    std::string appid;
};
