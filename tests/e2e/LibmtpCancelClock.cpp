#include "tests/e2e/LibmtpCancelClock.h"

#include <libmtp.h>

#include <chrono>

namespace tarvel::cancelClock {

std::atomic<bool> armed{false};
std::atomic<qint64> stopAsked{0}, returned{0};

qint64 now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

namespace {

struct Relay {
    LIBMTP_progressfunc_t callback;
    void const *data;
};

int noteStop(uint64_t const sent, uint64_t const total, void const *const data)
{
    const auto *relay = static_cast<const Relay *>(data);
    const int stop = relay->callback ? relay->callback(sent, total, relay->data) : 0;
    qint64 unset = 0;
    if (stop)
        stopAsked.compare_exchange_strong(unset, now());
    return stop;
}

template <typename Call>
int timed(LIBMTP_progressfunc_t callback, void const *data, Call call)
{
    if (!armed)
        return call(callback, data);
    const Relay relay{callback, data};
    const int result = call(noteStop, &relay);
    returned = now();
    return result;
}

} // namespace
} // namespace tarvel::cancelClock

extern "C" {
int __real_LIBMTP_Get_File_To_Handler(LIBMTP_mtpdevice_t *, uint32_t const, MTPDataPutFunc, void *,
                                      LIBMTP_progressfunc_t const, void const *const);
int __real_LIBMTP_Send_File_From_Handler(LIBMTP_mtpdevice_t *, MTPDataGetFunc, void *, LIBMTP_file_t *const,
                                         LIBMTP_progressfunc_t const, void const *const);

int __wrap_LIBMTP_Get_File_To_Handler(LIBMTP_mtpdevice_t *device, uint32_t const id, MTPDataPutFunc put, void *priv,
                                      LIBMTP_progressfunc_t const callback, void const *const data)
{
    return tarvel::cancelClock::timed(callback, data, [&](LIBMTP_progressfunc_t progress, void const *context) {
        return __real_LIBMTP_Get_File_To_Handler(device, id, put, priv, progress, context);
    });
}

int __wrap_LIBMTP_Send_File_From_Handler(LIBMTP_mtpdevice_t *device, MTPDataGetFunc get, void *priv,
                                         LIBMTP_file_t *const file, LIBMTP_progressfunc_t const callback,
                                         void const *const data)
{
    return tarvel::cancelClock::timed(callback, data, [&](LIBMTP_progressfunc_t progress, void const *context) {
        return __real_LIBMTP_Send_File_From_Handler(device, get, priv, file, progress, context);
    });
}
}
