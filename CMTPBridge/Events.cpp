// What the phone announces: objects and storages that came and went, read through libmtp's
// asynchronous event interface and kept until the next call asks for them.

#include "CMTPBridge/BridgeInternal.h"

#include <algorithm>
#include <ctime>
#include <sys/time.h>
#include <vector>

namespace {

using namespace cmtp;

constexpr int kSliceMs = 50;
constexpr size_t kMaxKept = 4096;

// One read of the interrupt endpoint is armed at a time; libmtp completes it inside whatever
// libusb call runs next on the lane (a listing, a copy, or the wait below), and the callback
// arms the next one there, so the phone is read all the time and no call is held up by it.
struct listener {
    LIBMTP_mtpdevice_t *device = nullptr; // the session listened to; null when none
    bool armed = false;
    bool failed = false; // libmtp reported an error on the read, or could not arm it
    int arrived = 0;     // set by every completion, so a wait ends at once
    std::vector<CMTPPhoneEvent> kept;
    bool lost = false;
};

listener state;

CMTPPhoneEvent event_of(int32_t kind, uint32_t id)
{
    CMTPPhoneEvent event;
    memset(&event, 0, sizeof event);
    event.kind = kind;
    if (kind != CMTP_EVENT_LOST)
        snprintf(event.id, sizeof event.id, "%u", static_cast<unsigned>(id));
    return event;
}

// A phone nobody asks for a while may send without end; past the limit the caller is told
// that some went missing instead.
void keep(int32_t kind, uint32_t id)
{
    if (state.kept.size() < kMaxKept)
        state.kept.push_back(event_of(kind, id));
    else
        state.lost = true;
}

void arm();

void on_event(int outcome, LIBMTP_event_t event, uint32_t id, void *)
{
    state.arrived = 1;
    state.armed = false;
    // A session let go of while its read was in flight: nothing of it is wanted any more.
    if (!state.device)
        return;
    if (outcome != LIBMTP_HANDLER_RETURN_OK) {
        state.failed = true;
        return;
    }
    switch (event) {
    case LIBMTP_EVENT_OBJECT_ADDED: keep(CMTP_EVENT_OBJECT_ADDED, id); break;
    case LIBMTP_EVENT_OBJECT_REMOVED: keep(CMTP_EVENT_OBJECT_REMOVED, id); break;
    case LIBMTP_EVENT_STORE_ADDED: keep(CMTP_EVENT_STORAGE_ADDED, id); break;
    case LIBMTP_EVENT_STORE_REMOVED: keep(CMTP_EVENT_STORAGE_REMOVED, id); break;
    default: break; // a changed object or property: nothing the caller lists changed
    }
    arm();
}

void arm()
{
    state.armed = LIBMTP_Read_Event_Async(state.device, on_event, nullptr) == 0;
    state.failed = !state.armed;
}

// Microseconds, so a wait never ends short of what was asked by a clock tick cut off.
int64_t now_us()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

// Lets libusb complete what has arrived, waiting at most `us`; false on a libusb error.
bool pass(int64_t us)
{
    timeval wait{static_cast<time_t>(us / 1000000), static_cast<suseconds_t>(us % 1000000)};
    state.arrived = 0;
    return LIBMTP_Handle_Events_Timeout_Completed(&wait, &state.arrived) >= 0;
}

} // namespace

namespace cmtp {

void forget_events()
{
    // libusb drops a read still in flight when the handle closes; its callback never runs.
    state.device = nullptr;
    state.armed = false;
    state.failed = false;
    state.kept.clear();
    state.lost = false;
}

} // namespace cmtp

extern "C" {

CMTPTransferResult cmtp_read_events(const char *device_id, int32_t wait_ms, cmtp_event_callback each,
                                    cmtp_stop_callback should_stop, void *context)
{
    CMTPTransferResult result;
    memset(&result, 0, sizeof result);
    LIBMTP_mtpdevice_t *device = open_device(result, device_id);
    if (!device)
        return result;
    if (state.device != device || !state.armed) {
        state.device = device;
        arm();
    }
    const int64_t until = now_us() + int64_t{std::max(wait_ms, 0)} * 1000;
    bool working = state.armed && pass(0);
    for (int64_t left = until - now_us(); working && state.kept.empty() && !state.lost && left > 0;
         left = until - now_us()) {
        if (should_stop && should_stop(context) != 0)
            break;
        working = pass(std::min<int64_t>(left, kSliceMs * 1000)) && state.armed;
    }
    std::vector<CMTPPhoneEvent> events;
    events.swap(state.kept);
    if (state.lost)
        events.push_back(event_of(CMTP_EVENT_LOST, 0));
    state.lost = false;
    if (each) {
        for (const CMTPPhoneEvent &event : events)
            each(&event, context);
    }
    // Events in hand are worth more than the failure: the next call listens again and meets it.
    if ((!working || state.failed) && events.empty()) {
        result.code = recover(device, device_id, result.error, "Could not read the phone's events").failure();
        return result;
    }
    result.ok = 1;
    return result;
}

} // extern "C"
