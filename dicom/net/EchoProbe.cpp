#include "EchoProbe.h"

#include "LoopbackGuard.h"
#include "NetworkSetup.h"
#include "dcmCallbacks.h"

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmnet/scu.h"


namespace dcmSDK {

bool EchoProbe::echo(const std::string& ip, const std::string& port)
{
    NetworkSetup::prepare();
    unsigned short portValue = 0;
    if (!NetworkSetup::parsePort(port, portValue))
        return false;
    if (!LoopbackGuard::allows(ip))
        return false;

    DcmSCU scu;
    scu.setAETitle(NetworkSetup::kCallingAETitle);
    scu.setPeerAETitle(NetworkSetup::kDefaultCalledAETitle);
    scu.setPeerHostName(ip.c_str());
    scu.setPeerPort(portValue);
    scu.setACSETimeout(kAnswerTimeoutSeconds);
    scu.setDIMSEBlockingMode(DIMSE_NONBLOCKING);
    scu.setDIMSETimeout(kAnswerTimeoutSeconds);
    OFList<OFString> syntaxes;
    syntaxes.push_back(UID_LittleEndianImplicitTransferSyntax);
    scu.addPresentationContext(UID_VerificationSOPClass, syntaxes);

    OFCondition cond;
    {
        std::lock_guard<std::mutex> lock(NetworkSetup::networkInitMutex());
        cond = scu.initNetwork();
    }
    if (cond.bad() || scu.negotiateAssociation().bad())
        return false;
    const bool ok = scu.sendECHORequest(0).good();
    if (ok)
        scu.releaseAssociation();
    else
        scu.abortAssociation();
    return ok;
}

} // namespace dcmSDK
