#pragma once
// Sends DICOM files to a storage node in the background and reports through messages 0-2.

#include <memory>
#include <string>

namespace dcmSDK {

/// The DICOM sender: one send at a time, on a worker thread of its own.
///
/// A send reports progress as message 0 {"taskID","value"} (percent of the files) and ends
/// with exactly one message: 1 {"taskID"} when every DICOM file was stored by the peer,
/// 2 {"taskID"} otherwise (bad address or port, refused association, a file rejected,
/// nothing to send). The final message is handed over before isSending() turns false.
class dcmSender {
public:
    dcmSender();
    /// Asks a running send to stop after its current file and waits for the worker.
    ~dcmSender();
    dcmSender(const dcmSender&) = delete;
    dcmSender& operator=(const dcmSender&) = delete;

    /// The node the next send goes to: an IPv4 address (or host name) and a port text
    /// ("104"). Checked when a send starts, so a bad value fails that send with message 2.
    void setIP(const std::string& ip, const std::string& port);
    void setIP(const std::string& ip, int port);

    /// Starts sending every DICOM file under path (a folder, searched recursively, or one
    /// file; files that are not DICOM are skipped) to the node of setIP. True when the
    /// send was started; false when another send is still running, in which case message
    /// 2 for taskID is handed over at once.
    bool send(unsigned taskID, const std::string& path);

    /// True from send() until the final message of that send has been handed over.
    bool isSending() const;

private:
    struct Impl;
    std::unique_ptr<Impl> _impl;
};

} // namespace dcmSDK
