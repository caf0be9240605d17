#pragma once
// The DICOM storage receiver: where received and imported files go, and (in net/) the
// receiving service itself.

namespace dcmSDK {

/// The DICOM storage receiver of the library.
class dcmServer {
public:
    // ---- Store layout (dcmServerFolder.cpp) ----------------------------------------------

    /// Writes the series folder, relative to the store root and without a trailing "/",
    /// for a patient name, patient ID, study UID and series UID into out (1024 bytes,
    /// always terminated): "<name>_<patient ID>/<study UID>/<series UID>". Each part is
    /// escaped so that the result is one safe relative path ("/", "\", "..", control
    /// characters never pass through) and different inputs never give the same folder;
    /// an overlong part is shortened and tagged with a hash of its whole value.
    /// Null inputs count as empty texts. False only when out is null.
    static bool getDicomFolder(const char* name, const char* patientID, const char* studyUID,
                               const char* seriesUID, char* out);

    // ---- Receiving service (net/) ---------------------------------------------------------
};

} // namespace dcmSDK
