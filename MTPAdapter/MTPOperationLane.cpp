#include "MTPAdapter/MTPOperationLane.h"

namespace tarvel {

MTPOperationLane::MTPOperationLane()
{
    m_pool.setMaxThreadCount(1);
    m_pool.setExpiryTimeout(-1);
}

MTPOperationLane &MTPOperationLane::shared()
{
    static MTPOperationLane *const lane = new MTPOperationLane; // thread-safe one-time initialisation
    return *lane;
}

bool MTPOperationLane::waitForIdle(int timeoutMs)
{
    return m_pool.waitForDone(timeoutMs);
}

} // namespace tarvel
