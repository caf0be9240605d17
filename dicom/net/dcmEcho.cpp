#include "dcmEcho.h"

#include "EchoPool.h"
#include "EchoProbe.h"
#include "NetMessageText.h"
#include "NetworkSetup.h"
#include "dcmCallbacks.h"

#include <vector>

namespace dcmSDK {

namespace {

bool probeTarget(const EchoTarget& t)
{
    return EchoProbe::echo(t.ip, t.port);
}

void reportAnswer(const EchoTarget& t, bool ok)
{
    dcmMessage(DCM_MSG_ECHO_RESULT,
               NetMessageText::echoResult(ok, t.appid(), t.ip, t.port, t.reportedName()).c_str());
}

} // namespace

dcmEcho::dcmEcho() : _pool(new EchoPool(probeTarget, reportAnswer))
{
    NetworkSetup::prepare();
}

dcmEcho::~dcmEcho() = default;

void dcmEcho::echo(const char** targets, int count, bool sweep)
{
    if (targets == nullptr || count <= 0)
        return;
    std::vector<EchoTarget> parsed;
    parsed.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        EchoTarget t;
        if (targets[i] != nullptr && EchoTarget::parse(targets[i], sweep, t))
            parsed.push_back(t);
        else
            dcmLog("dcmEcho: skipped malformed target \"%s\"", targets[i] ? targets[i] : "(null)");
    }
    _pool->enqueue(parsed);
}

void dcmEcho::echo(char** targets, int count, bool sweep)
{
    echo(const_cast<const char**>(targets), count, sweep);
}

void dcmEcho::waitIdle()
{
    _pool->waitIdle();
}

} // namespace dcmSDK
