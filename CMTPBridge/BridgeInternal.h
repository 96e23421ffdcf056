#pragma once

// What the bridge's own files share. C++ only and not installed: CMTPBridge.h is the API.
// Like the API, everything here runs on the operation lane only.

#include "CMTPBridge/CMTPBridge.h"

#include <libmtp.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace cmtp {

inline constexpr const char *kNotAvailable = "MTP device is not connected or not available";
inline constexpr uint32_t kRootFolder = LIBMTP_FILES_AND_FOLDERS_ROOT;

// ---- Texts and results ----

template <std::size_t N>
void set_text(char (&field)[N], const char *text)
{
    const size_t length = text ? strnlen(text, N - 1) : 0;
    if (length > 0)
        memcpy(field, text, length);
    field[length] = '\0';
}

// A missing or empty name from the phone becomes the fallback.
inline const char *name_or(const char *name, const char *fallback)
{
    return name && name[0] != '\0' ? name : fallback;
}

// MTP sizes are unsigned 64-bit; the records carry signed ones, with -1 for what does not fit.
inline int64_t signed_size(uint64_t value)
{
    return value > static_cast<uint64_t>(INT64_MAX) ? -1 : static_cast<int64_t>(value);
}

// Every result has ok, code and a 512-character error; a transfer's also the errno of a
// failed system call.
template <typename Result>
void fail(Result &result, int32_t code, const char *text, int system_error = 0)
{
    result.ok = 0;
    result.code = code;
    set_text(result.error, text);
    if constexpr (requires { result.system_error; })
        result.system_error = system_error;
}

// "<what>: <the system's text>", with the errno beside it.
template <typename Result>
void fail_local(Result &result, const char *what, int error)
{
    char text[512];
    snprintf(text, sizeof text, "%s: %s", what, strerror(error));
    fail(result, CMTP_RESULT_LOCAL_FILE, text, error);
}

// ---- Arguments: each call checks its own in the order its comment in CMTPBridge.h gives ----

bool read_id(const char *text, uint32_t *id);
// One name inside a folder, here or on the phone: not empty, not "." or "..", no '/'.
bool valid_name(const char *name);

template <typename Result>
bool check_id(Result &result, const char *text, uint32_t *id, const char *invalid)
{
    if (read_id(text, id))
        return true;
    fail(result, CMTP_RESULT_OTHER, invalid);
    return false;
}

template <typename Result>
bool check_storage(Result &result, const char *text, uint32_t *id)
{
    return check_id(result, text, id, "Invalid MTP storage id");
}

// A null or empty parent is the storage root.
template <typename Result>
bool check_parent(Result &result, const char *text, uint32_t *id)
{
    if (!text || !*text) {
        *id = kRootFolder;
        return true;
    }
    return check_id(result, text, id, "Invalid MTP parent id");
}

template <typename Result>
bool check_file(Result &result, const char *text, uint32_t *id)
{
    return check_id(result, text, id, "Invalid MTP file id");
}

// ---- The open device (Devices.cpp) ----

// The handle open for `device_id`, opening it (and closing another) when needed. On
// failure null, with the open's text and code written into the result.
LIBMTP_mtpdevice_t *open_device(const char *device_id, char (&error)[512], int32_t &code);

template <typename Result>
LIBMTP_mtpdevice_t *open_device(Result &result, const char *device_id)
{
    return open_device(device_id, result.error, result.code);
}

void clear_errors(LIBMTP_mtpdevice_t *device);
// The most recent non-empty text of the device's error stack, else `fallback`, into `error`
// (512 characters); then the stack is cleared.
void take_errors(LIBMTP_mtpdevice_t *device, char *error, const char *fallback);

// Reads the device's storages again on a clear error stack; false when it does not answer.
bool refresh_storages(LIBMTP_mtpdevice_t *device);

// What is left of the session after libmtp failed on it.
struct session {
    LIBMTP_mtpdevice_t *device; // the handle to go on with; null when the phone has left
    bool answered;              // the handle that failed still answers: the phone refused
    int32_t failure() const { return device ? CMTP_RESULT_DEVICE_REFUSED : CMTP_RESULT_DEVICE_GONE; }
};

// After libmtp failed on `device`: its error text (else `fallback`) into `error` (512
// characters), then one cheap request tells whether the session still answers. One that does
// not, or whose USB connection failed, is replaced by a new session when the phone is still
// on the bus, so the next call works without a new scan.
session recover(LIBMTP_mtpdevice_t *device, const char *device_id, char *error, const char *fallback);

// A new session for `device_id`, whatever the open one answers: the open handle is closed
// (the close listener told only when the phone is still on the bus) and the phone opened
// again. On failure null, with the open's text and code.
LIBMTP_mtpdevice_t *renew(const char *device_id, char (&error)[512], int32_t &code);

// ---- What the bridge learned of the open session, forgotten when it ends ----

// Stops listening to the phone's events and drops those not handed out (Events.cpp).
void forget_events();
// Forgets whether the phone keeps thumbnails (Objects.cpp).
void forget_thumbnails();

// ---- The local file of a transfer (LocalFile.cpp) ----

// The bridge reads and writes the file itself, so it knows the system's error of a failed
// read or write instead of libmtp's "Cancelled transfer".
struct local_file {
    int fd;
    int error;          // errno of the first failed read or write; -1: the file ended early
    uint64_t remaining; // bytes an upload still expects to read
    uint64_t moved;     // bytes of the file read or written so far
};

// libmtp's data handlers; `priv` is a local_file.
uint16_t write_chunk(void *params, void *priv, uint32_t length, unsigned char *data, uint32_t *written);
uint16_t read_chunk(void *params, void *priv, uint32_t wanted, unsigned char *data, uint32_t *got);

// The hidden file a download is written into, beside `name` in `folder`: created with mode
// 0666 less the umask under a free name made from `name`, which it writes into `hidden`.
// Returns its descriptor, or -1 with errno set.
int create_hidden_file(int folder, const char *name, char (&hidden)[256]);

// Gives the finished hidden file its name. Without `replace`, a file that has the name is
// never touched (errno EEXIST).
bool move_into_place(int folder, const char *hidden, const char *name, bool replace);

// Flushes the folder open as `folder` (O_PATH will do), so a name given in it lasts. A file
// system that cannot flush folders counts as flushed. False with errno set.
bool flush_folder(int folder);

} // namespace cmtp
