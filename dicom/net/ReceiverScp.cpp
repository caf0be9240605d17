#include "ReceiverScp.h"

#include "dcmCallbacks.h"
#include "dcmFileRecord.h"

#include "dcmtk/dcmdata/dcuid.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>

namespace dcmSDK {

namespace {

// Seconds between checks of the stop flag while no peer is connecting.
const Uint32 kAcceptPollSeconds = 1;
// Seconds a connected peer may stay silent before its association is aborted (a stop
// does not wait for it: the connections watch the stop flag).
const Uint32 kIdlePeerSeconds = 10;
const Uint32 kAcseTimeoutSeconds = 10;
// The largest PDU DCMTK takes: an image arrives in an eighth of the reads and polls that
// the usual 16 kB would need, which is most of the receiving time on a fast link.
const Uint32 kMaxReceivePDU = ASC_MAXIMUMPDUSIZE;

/// Transfer syntaxes we accept, in the order we prefer them when a peer offers several in
/// one context: explicit VR first (it keeps the value representations), then implicit;
/// compressed syntaxes are taken as offered, so objects are stored without recoding.
OFList<OFString> acceptedTransferSyntaxes()
{
    static const char* const kSyntaxes[] = {
        UID_LittleEndianExplicitTransferSyntax,
        UID_BigEndianExplicitTransferSyntax,
        UID_LittleEndianImplicitTransferSyntax,
        UID_DeflatedExplicitVRLittleEndianTransferSyntax,
        UID_JPEGProcess1TransferSyntax,
        UID_JPEGProcess2_4TransferSyntax,
        UID_JPEGProcess14TransferSyntax,
        UID_JPEGProcess14SV1TransferSyntax,
        UID_JPEGLSLosslessTransferSyntax,
        UID_JPEGLSLossyTransferSyntax,
        UID_RLELosslessTransferSyntax,
        UID_JPEG2000LosslessOnlyTransferSyntax,
        UID_JPEG2000TransferSyntax,
    };
    OFList<OFString> list;
    for (const char* uid : kSyntaxes)
        list.push_back(uid);
    return list;
}

} // namespace

ReceiverScp::ReceiverScp(const std::string& root, const std::atomic<bool>& stop, DcmTransportLayer& layer)
    : _root(root), _stop(stop), _layer(layer)
{
}

void ReceiverScp::removeStaleParts(const std::string& root)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto cutoff = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (fs::directory_iterator it(storeScratchFolder(root), ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code itemEc;
        // Also the folders a deletion moved aside and an earlier run did not finish removing.
        if (it->path().extension() == ".part" && (it->is_regular_file(itemEc) || it->is_directory(itemEc)) &&
            it->last_write_time(itemEc) < cutoff && !itemEc) {
            fs::remove_all(it->path(), itemEc);
        }
    }
}

bool ReceiverScp::configure(unsigned short port, const std::string& aeTitle)
{
    // Built from scratch (the base class starts with a Verification context of its own).
    DcmSCPConfig& c = _baseConfig;
    c.setPort(port);
    c.setAETitle(aeTitle.c_str());
    c.setRespondWithCalledAETitle(OFTrue);
    c.setHostLookupEnabled(OFFalse);
    c.setConnectionBlockingMode(DUL_NOBLOCK);
    c.setConnectionTimeout(kAcceptPollSeconds);
    c.setDIMSEBlockingMode(DIMSE_NONBLOCKING);
    c.setDIMSETimeout(kIdlePeerSeconds);
    c.setACSETimeout(kAcseTimeoutSeconds);
    c.setMaxReceivePDULength(kMaxReceivePDU);
    DcmSCPConfig initial = c;
    if (initial.addPresentationContext(UID_VerificationSOPClass, acceptedTransferSyntaxes()).bad() ||
        setConfig(initial).bad())
        return false;
    // Set on the live configuration: DCMTK 3.6.7 copies a DcmSCPConfig without its
    // transport-layer fields, which the listening network would take up as a dangling layer.
    getConfig().setTransportLayer(&_layer);
    setDatasetStorageMode(DGM_StoreBitPreserving);
    return true;
}

void ReceiverScp::notifyAssociationRequest(const T_ASC_Parameters& params, DcmSCPActionType& desiredAction)
{
    // DCMTK caps a configured context list at 128 entries, fewer than the storage classes
    // there are; one association can propose at most 128 contexts, so the list is built
    // for each association from what the peer proposes.
    static const std::set<std::string> acceptable = [] {
        std::set<std::string> classes(dcmAllStorageSOPClassUIDs,
                                      dcmAllStorageSOPClassUIDs + numberOfDcmAllStorageSOPClassUIDs);
        classes.insert(UID_VerificationSOPClass);
        return classes;
    }();
    OFList<OFString> syntaxes = acceptedTransferSyntaxes();
    DcmSCPConfig config = _baseConfig;
    std::set<std::string> added;
    const int count = ASC_countPresentationContexts(const_cast<T_ASC_Parameters*>(&params));
    for (int i = 0; i < count; ++i) {
        T_ASC_PresentationContext pc;
        if (ASC_getPresentationContext(const_cast<T_ASC_Parameters*>(&params), i, &pc).bad())
            continue;
        std::string abstract = pc.abstractSyntax;
        if (acceptable.count(abstract) && added.insert(abstract).second) {
            OFCondition cond = config.addPresentationContext(abstract.c_str(), syntaxes);
            if (cond.bad())
                dcmLog("dcmServer: cannot offer %s: %s", abstract.c_str(), cond.text());
        }
    }
    // The context list must exist for DCMTK to answer (and reject) a peer that proposes
    // nothing we take; otherwise that peer would wait for its time-out.
    if (added.empty())
        config.addPresentationContext(UID_VerificationSOPClass, syntaxes);
    config.setTransportLayer(&_layer);  // see configure()
    getConfig() = config;
    DcmStorageSCP::notifyAssociationRequest(params, desiredAction);
}

OFBool ReceiverScp::checkCalledAETitleAccepted(const OFString&)
{
    // Modalities are often configured with a generic called title; take them all.
    return OFTrue;
}

OFBool ReceiverScp::stopAfterConnectionTimeout()
{
    return _stop.load() ? OFTrue : OFFalse;
}

OFBool ReceiverScp::stopAfterCurrentAssociation()
{
    return _stop.load() ? OFTrue : OFFalse;
}

OFCondition ReceiverScp::handleIncomingCommand(T_DIMSE_Message* incomingMsg,
                                               const DcmPresentationContextInfo& presInfo)
{
    if (_stop.load()) {
        // The receiver is shutting down: an error ends (aborts) the running association.
        return DIMSE_ILLEGALASSOCIATION;
    }
    if (incomingMsg->CommandField == DIMSE_C_STORE_RQ)
        return receiveAndStore(incomingMsg->msg.CStoreRQ, presInfo.presentationContextID);
    return DcmStorageSCP::handleIncomingCommand(incomingMsg, presInfo);
}

OFCondition ReceiverScp::receiveAndStore(T_DIMSE_C_StoreRQ& request, T_ASC_PresentationContextID presID)
{
    // Unique among the receivers and the other writers of the store's scratch folder.
    const std::string partPath = newStoreScratchPath(_root, "received");
    if (partPath.empty()) {
        dcmLog("dcmServer: no scratch folder in the store for an object from %s", getPeerIP().c_str());
        return DIMSE_RECEIVEFAILED;
    }
    OFCondition cond = receiveSTORERequest(request, presID, partPath.c_str());
    if (cond.bad()) {
        std::remove(partPath.c_str());
        dcmLog("dcmServer: receiving an object from %s failed: %s", getPeerIP().c_str(), cond.text());
        return cond;
    }

    // The file is filed before the peer hears "success", so a reported object is on disk.
    std::unique_ptr<DCM_MESSAGE> record(new DCM_MESSAGE());
    Uint16 status = STATUS_Success;
    if (!placeFileInStore(partPath, _root, true, *record)) {
        std::remove(partPath.c_str());
        record.reset();
        status = STATUS_STORE_Refused_OutOfResources;
        dcmLog("dcmServer: object %s from %s could not be stored", request.AffectedSOPInstanceUID,
               getPeerIP().c_str());
    }
    cond = sendSTOREResponse(presID, request, status);
    if (record) {
        // The host takes the record (it travels on to the store's worker and is freed there).
        DCM_MESSAGE* handedOver = record.release();
        if (!dcmMessage(DCM_MSG_FILE_STORED, reinterpret_cast<const char*>(handedOver)))
            delete handedOver;
    }
    return cond;
}

} // namespace dcmSDK
