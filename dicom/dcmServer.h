#pragma once
// The DICOM storage receiver: where received and imported files go, and (in net/) the
// receiving service itself.

#include <memory>
#include <string>

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

    // ---- Receiving service (net/dcmServerNet.cpp) ----------------------------------------
    //
    // A storage SCP on its own thread: Verification and every storage SOP class, in the
    // uncompressed, deflated, JPEG, JPEG-LS, RLE and JPEG 2000 transfer syntaxes, from any
    // calling AE title. Each received object is stored under root + getDicomFolder(...) +
    // "/" + its SOP instance UID before the peer is answered, then reported as message 3
    // whose text points to a new DCM_MESSAGE that the message callback takes over (the
    // host deletes it when done). Start, stop and failures are messages 6, 7 and 8.

    dcmServer();
    /// Stops the receiver when it runs.
    ~dcmServer();
    dcmServer(const dcmServer&) = delete;
    dcmServer& operator=(const dcmServer&) = delete;

    /// The address peers use (for the log: the receiver listens on every local address),
    /// the TCP port and our AE title. Takes effect at the next BeginDicomServer.
    void setPort(const std::string& host, int port, const std::string& aeTitle);
    /// The store root that received files go below; a "/" is appended when missing.
    /// Takes effect at the next BeginDicomServer.
    void setRoot(const std::string& root);
    std::string getRoot() const;

    /// Opens the port and starts the receiving thread. False, with a log line and
    /// message 8, when the port cannot be opened, no root is set or it already runs.
    bool BeginDicomServer();
    /// Stops accepting, ends the receiving thread and closes the port. Returns within
    /// about a second, also when a peer is connected (its association is aborted and an
    /// object still arriving is dropped, unreported); the port can be opened again at once.
    void StopDicomServer();
    bool isRunning() const;

private:
    struct Net;
    std::unique_ptr<Net> _net;
};

} // namespace dcmSDK
