// The store's folder for one series, shared by the receiver and the importer.

#include "dcmServer.h"

#include "detail/PathSafety.h"

#include <string>

namespace dcmSDK {

namespace {
// Each escaped part stays well below the 255-byte component limit of file systems, and
// the three together well below the 1024-byte buffer.
const size_t kPartBytes = 120;

std::string orEmpty(const char* s) { return s ? std::string(s) : std::string(); }
} // namespace

bool dcmServer::getDicomFolder(const char* name, const char* patientID, const char* studyUID,
                               const char* seriesUID, char* out)
{
    if (!out)
        return false;
    // "_" never passes the escaping, so it separates name and ID without ambiguity.
    std::string folder = escapePathComponent(orEmpty(name), kPartBytes) + "_" +
                         escapePathComponent(orEmpty(patientID), kPartBytes) + "/" +
                         escapePathComponent(orEmpty(studyUID), kPartBytes) + "/" +
                         escapePathComponent(orEmpty(seriesUID), kPartBytes);
    copyToSlot(out, 1024, folder);
    return true;
}

} // namespace dcmSDK
