#pragma once
// The study store's schema: its version and the exact statement of each table, in creation order.

#include <vector>

/// One table of the study store and the statement that creates it.
struct StoreTable {
    const char* name;
    const char* statement;
};

/// The schema version a store file is raised to when it is opened.
constexpr int kStoreSchemaVersion = 4;

/// The table "version" comes first; the others follow in the order they are created. The
/// statement texts are part of the file format (existing files were created with them).
const std::vector<StoreTable>& storeTables();
