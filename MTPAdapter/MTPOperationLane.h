#pragma once

// The one serial lane of the process: every bridge call runs on its single worker
// thread, strictly one at a time. The bridge and libmtp have no locks of their own;
// this lane is what makes them safe.

#include "TarvelCore/SerialWorker.h"

namespace tarvel {

class MTPOperationLane : public SerialWorker {
public:
    // Created on first use and never destroyed: it must outlive every caller, and the
    // process may exit with its thread parked.
    static MTPOperationLane &shared()
    {
        static MTPOperationLane *const lane = new MTPOperationLane; // thread-safe one-time initialisation
        return *lane;
    }

private:
    MTPOperationLane() = default;
};

} // namespace tarvel
