#pragma once
// The storage SCP behind dcmServer: accepts C-ECHO and C-STORE and files each object
// into the study store.

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmnet/dstorscp.h"

#include <atomic>
#include <string>

namespace dcmSDK {

/// DcmStorageSCP that receives every object bit-preserving into the store's scratch
/// folder (storeScratchFolder), moves it to its series folder before answering the peer,
/// and then hands a filled DCM_MESSAGE to the host as message 3. It accepts any calling
/// and called AE title and stops (between associations, or at the next command of a
/// running one) once the stop flag is set.
class ReceiverScp : public DcmStorageSCP {
public:
    /// root ends in "/"; stop and layer are owned by the caller and outlive the SCP.
    ReceiverScp(const std::string& root, const std::atomic<bool>& stop, DcmTransportLayer& layer);

    /// Port, AE title, presentation contexts and time-outs; false when the
    /// configuration is refused by DCMTK.
    bool configure(unsigned short port, const std::string& aeTitle);

    /// Removes partial objects and scratch files that an earlier run left behind (it ended
    /// mid-transfer); files younger than an hour are kept, as another receiver may be writing them.
    static void removeStaleParts(const std::string& root);

protected:
    OFCondition handleIncomingCommand(T_DIMSE_Message* incomingMsg,
                                      const DcmPresentationContextInfo& presInfo) override;
    void notifyAssociationRequest(const T_ASC_Parameters& params, DcmSCPActionType& desiredAction) override;
    OFBool checkCalledAETitleAccepted(const OFString& calledAE) override;
    OFBool stopAfterConnectionTimeout() override;
    OFBool stopAfterCurrentAssociation() override;

private:
    OFCondition receiveAndStore(T_DIMSE_C_StoreRQ& request, T_ASC_PresentationContextID presID);

    DcmSCPConfig _baseConfig;  // every setting but the presentation contexts
    std::string _root;
    const std::atomic<bool>& _stop;
    DcmTransportLayer& _layer;
};

} // namespace dcmSDK
