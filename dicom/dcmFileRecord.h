#pragma once
// Filling a DCM_MESSAGE from a file, and placing a file in the study store: shared by the
// receiver (for a received file) and the importer (for an imported one).

#include "DCM_MESSAGE.h"

#include <mutex>
#include <string>

namespace dcmSDK {

/// Reads the identifying tags of a DICOM file into the record's tag slots (offsets 0 to 3840),
/// with the defaults for empty values ("unknownStudy", "ANONYMOUS", ...). The record is
/// zero-filled first; fileName and folder stay empty. False when the file is not DICOM.
bool fillDcmMessage(const std::string& path, DCM_MESSAGE& msg);

/// Sets the record's file name and series folder (cut to their slots, folder ending in "/").
void setDcmMessageLocation(DCM_MESSAGE& msg, const std::string& fileName, const std::string& folder);

/// The file name a record's file takes in the store: the SOP instance UID when there is one,
/// else the source file name; either made safe as one path component (never "." or "..",
/// no separators or control characters).
std::string dcmStoreFileName(const DCM_MESSAGE& msg, const std::string& sourceName);

/// Held by placeFileInStore while it renames a file into its series folder, by the store while
/// it deletes rows and moves their folders aside and while it indexes a placed file, and by
/// the preview pictures while one is renamed into its series folder. A file is never moved
/// into a folder that is going: it is either removed with it (and then never indexed) or
/// placed after the folder has gone. Held only for checks, renames and removals of single
/// files or empty folders: never across a decode, a copy or a network wait, as the receiver
/// answers its peer only after taking it.
std::mutex& storeFolderLock();

/// The store's scratch folder below root (which ends in "/"): root + ".incoming/". Files are
/// written there whole, outside the folder lock, and renamed into their series folder under
/// it. A dot folder, so no patient folder takes its name and no listing or deletion of the
/// store reads it; on the store's file system, so a rename out of it is cheap.
std::string storeScratchFolder(const std::string& root);

/// A new empty file in the store's scratch folder (created when missing), ending in ".part";
/// label starts its name. Created here, so the name is no other caller's, nor that of a file
/// an earlier run left: its writer overwrites it, and removes it when it is not renamed out.
/// Empty, with a log line, when none can be made.
std::string newStoreScratchPath(const std::string& root, const std::string& label);

/// As newStoreScratchPath, but a new empty folder: a folder renamed onto it replaces it
/// (onto a file the rename would fail).
std::string newStoreScratchFolder(const std::string& root, const std::string& label);

/// Puts one DICOM file into the store below root (which ends in "/"):
/// reads its tags, builds the series folder with dcmServer::getDicomFolder, creates it,
/// copies the file there (or renames it when move is true, falling back to copy + remove)
/// and fills the whole record. The destination always lies inside root. A copy is written
/// into the store's scratch folder first, outside the folder lock, which is held only for the
/// rename into place.
/// False, with one log line, when the file is not DICOM or cannot be written; then nothing
/// is left half-written in the store.
bool placeFileInStore(const std::string& sourcePath, const std::string& root, bool move,
                      DCM_MESSAGE& msg);

/// Fills the whole record of a file that lies in the store (root + folder + "/" + name) where
/// placeFileInStore puts it, reading it as the receiver does. False, with a log line, when it
/// is not DICOM or its tags place it elsewhere.
bool readStoredFileRecord(const std::string& root, const std::string& folder, const std::string& name,
                          DCM_MESSAGE& msg);

} // namespace dcmSDK
