#pragma once

// When the bridge's libmtp transfer call was first asked to stop and when it returned, so
// the benchmark can split a Cancel into libmtp's own cancelled call and the engine's part
// around it without touching the bridge. mtp_benchmark links with --wrap for the two calls
// the bridge makes; unarmed, the wrappers only pass the call on.

#include <QtGlobal>

#include <atomic>

namespace tarvel::cancelClock {

extern std::atomic<bool> armed;
extern std::atomic<qint64> stopAsked, returned; // now() when it happened; 0 until then

qint64 now(); // steady clock, in nanoseconds

} // namespace tarvel::cancelClock
