// The bridge over libmtp: turns libmtp's lists, allocated strings and error stack into
// the fixed-size records of CMTPBridge.h, and keeps one device open between calls.

#include "CMTPBridge/CMTPBridge.h"

#include <libmtp.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <algorithm>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char *kNotAvailable = "MTP device is not connected or not available";
constexpr const char *kScanFailed = "MTP device scan failed";
// What a device, a storage or an object is called when the phone gives no name.
constexpr const char *kUnnamedDevice = "Android phone";
constexpr const char *kUnnamedStorage = "Android storage";
constexpr const char *kUnnamedObject = "Untitled";
constexpr uint32_t kRootFolder = LIBMTP_FILES_AND_FOLDERS_ROOT;
constexpr int kMaxDevices = 16;
constexpr int kMaxStorages = 16;
constexpr int kMaxEntries = 512;

LIBMTP_mtpdevice_t *cmtp_cached_device = nullptr;
char cmtp_cached_device_id[64];
uint32_t cmtp_cached_bus = 0;
uint8_t cmtp_cached_devnum = 0;
cmtp_close_listener cmtp_closing_listener = nullptr;
void *cmtp_closing_context = nullptr;
bool cmtp_cleanup_registered = false;

template <size_t N>
void cmtp_set_text(char (&dst)[N], const char *text)
{
    snprintf(dst, N, "%s", text ? text : "");
}

// A missing or empty name from the phone becomes the fallback.
const char *cmtp_name_or(const char *name, const char *fallback)
{
    return name && name[0] != '\0' ? name : fallback;
}

void cmtp_format_device_id(char (&dst)[64], const LIBMTP_raw_device_t &raw)
{
    snprintf(dst, sizeof dst, "mtp-%u-%u-%04x-%04x", static_cast<unsigned>(raw.bus_location),
             static_cast<unsigned>(raw.devnum), static_cast<unsigned>(raw.device_entry.vendor_id),
             static_cast<unsigned>(raw.device_entry.product_id));
}

// MTP sizes are unsigned 64-bit; the records carry signed ones, with -1 for what does not fit.
int64_t cmtp_signed_size(uint64_t value)
{
    return value > static_cast<uint64_t>(INT64_MAX) ? -1 : static_cast<int64_t>(value);
}

// Accepts exactly what strtoul reads in full (leading blanks and a sign included) when it
// fits in 32 bits; errno is not consulted because an overflow reads as ULONG_MAX anyway.
bool cmtp_parse_id(const char *text, uint32_t *out)
{
    if (!text || !*text)
        return false;
    char *end = nullptr;
    const unsigned long value = strtoul(text, &end, 10);
    if (end == text || *end != '\0' || value > 4294967295UL)
        return false;
    *out = static_cast<uint32_t>(value);
    return true;
}

// A null or empty parent is the storage root.
bool cmtp_parse_parent(const char *text, uint32_t *out)
{
    if (!text || !*text) {
        *out = kRootFolder;
        return true;
    }
    return cmtp_parse_id(text, out);
}

void cmtp_release_cached_device()
{
    if (cmtp_cached_device) {
        // Closing can reset the phone, which then looks like a pull and a plug.
        if (cmtp_closing_listener)
            cmtp_closing_listener(cmtp_cached_bus, cmtp_cached_devnum, cmtp_closing_context);
        LIBMTP_Release_Device(cmtp_cached_device);
        cmtp_cached_device = nullptr;
    }
    cmtp_cached_device_id[0] = '\0';
}

void cmtp_write_error(char *error_out, const char *text)
{
    if (error_out)
        snprintf(error_out, 512, "%s", text);
}

LIBMTP_mtpdevice_t *cmtp_open_device(const char *device_id, char *error_out)
{
    if (!device_id || !*device_id) {
        cmtp_write_error(error_out, kNotAvailable);
        return nullptr;
    }
    // No liveness check: a cached handle is trusted until another id is asked for.
    if (cmtp_cached_device && strcmp(cmtp_cached_device_id, device_id) == 0)
        return cmtp_cached_device;
    // Only one device is ever open, so the old one goes before the new one is tried.
    cmtp_release_cached_device();
    if (!cmtp_cleanup_registered) {
        atexit(cmtp_release_cached_device);
        cmtp_cleanup_registered = true;
    }

    LIBMTP_Init();
    LIBMTP_raw_device_t *raw_devices = nullptr;
    int raw_count = 0;
    const LIBMTP_error_number_t detected = LIBMTP_Detect_Raw_Devices(&raw_devices, &raw_count);
    if (detected != LIBMTP_ERROR_NONE) {
        free(raw_devices);
        cmtp_write_error(error_out, detected == LIBMTP_ERROR_NO_DEVICE_ATTACHED ? kNotAvailable : kScanFailed);
        return nullptr;
    }

    LIBMTP_raw_device_t chosen;
    bool found = false;
    for (int i = 0; raw_devices && i < raw_count; ++i) {
        char id[64];
        cmtp_format_device_id(id, raw_devices[i]);
        if (strcmp(id, device_id) == 0) {
            chosen = raw_devices[i];
            found = true;
            break;
        }
    }
    free(raw_devices);
    if (!found) {
        cmtp_write_error(error_out, kNotAvailable);
        return nullptr;
    }
    // The copy outlives the list; its product text points into libmtp's static device table.
    LIBMTP_mtpdevice_t *device = LIBMTP_Open_Raw_Device_Uncached(&chosen);
    if (!device) {
        cmtp_write_error(error_out, "Could not open MTP device; unlock the phone and choose File transfer");
        return nullptr;
    }
    cmtp_cached_device = device;
    cmtp_cached_bus = chosen.bus_location;
    cmtp_cached_devnum = chosen.devnum;
    cmtp_set_text(cmtp_cached_device_id, device_id);
    return device;
}

void cmtp_clear_errorstack(LIBMTP_mtpdevice_t *device)
{
    if (LIBMTP_Get_Errorstack(device))
        LIBMTP_Clear_Errorstack(device);
}

// The most recent non-empty text on the stack wins; then the stack is cleared.
void cmtp_copy_errorstack_message(LIBMTP_mtpdevice_t *device, char *dst, const char *fallback)
{
    LIBMTP_error_t *stack = LIBMTP_Get_Errorstack(device);
    const char *last = nullptr;
    for (LIBMTP_error_t *entry = stack; entry; entry = entry->next) {
        if (entry->error_text && entry->error_text[0] != '\0')
            last = entry->error_text;
    }
    snprintf(dst, 512, "%s", last ? last : (fallback ? fallback : ""));
    if (stack)
        LIBMTP_Clear_Errorstack(device);
}

void cmtp_fill_entry(CMTPDirectoryEntry *entry, const LIBMTP_file_t *file)
{
    memset(entry, 0, sizeof *entry);
    snprintf(entry->id, sizeof entry->id, "%u", static_cast<unsigned>(file->item_id));
    cmtp_set_text(entry->name, cmtp_name_or(file->filename, kUnnamedObject));
    // MTP gives objects in the storage root the parent 0, which names no folder.
    if (file->parent_id != 0)
        snprintf(entry->parent_id, sizeof entry->parent_id, "%u", static_cast<unsigned>(file->parent_id));
    entry->is_folder = file->filetype == LIBMTP_FILETYPE_FOLDER ? 1 : 0;
    entry->size_bytes = cmtp_signed_size(file->filesize);
}

// 0666 minus the umask, read without changing it: umask() can only be read by setting
// it, and another thread creating a file meanwhile would get the wrong mode.
mode_t cmtp_new_file_mode()
{
    mode_t mask = 022;
    if (FILE *status = fopen("/proc/self/status", "re")) {
        char line[256];
        while (fgets(line, sizeof line, status)) {
            unsigned value = 0;
            if (sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value);
                break;
            }
        }
        fclose(status);
    }
    return 0666 & ~mask;
}

// A hidden name next to the destination: same folder, so the final rename cannot cross
// file systems. The name part is cut so the whole name stays within NAME_MAX.
char *cmtp_temporary_template(const char *local_path)
{
    const char *slash = strrchr(local_path, '/');
    const size_t folder_length = slash ? static_cast<size_t>(slash - local_path) + 1 : 0;
    const char *name = slash ? slash + 1 : local_path;
    const size_t name_length = strnlen(name, 200);
    static const char suffix[] = ".part-XXXXXX";
    const size_t size = folder_length + 1 + name_length + sizeof suffix;
    char *path = static_cast<char *>(malloc(size));
    if (!path)
        return nullptr;
    snprintf(path, size, "%.*s.%.*s%s", static_cast<int>(folder_length), local_path, static_cast<int>(name_length),
             name, suffix);
    return path;
}

// Refreshes the handle's storage chain on an empty error stack; false on failure.
bool cmtp_refresh_storages(LIBMTP_mtpdevice_t *device)
{
    cmtp_clear_errorstack(device);
    const int refreshed = LIBMTP_Get_Storage(device, LIBMTP_STORAGE_SORTBY_NOTSORTED);
    // Anything but 0 and -1 is unexpected; trust it only when it left storages behind.
    return refreshed == 0 || (refreshed != -1 && device->storage);
}


// ---- What the newer calls share ----

CMTPTransferResultV2 cmtp_download(const char *device_id, const char *file_id, int folder, const char *local_path,
                                   bool replace, cmtp_progress_callback progress, void *context);

// Creates the file named by `path_template` (relative to `folder`), whose last six
// characters are "XXXXXX" and are replaced until the name is free, with mode 0666 less the
// umask (mkstemp would make it 0600 and cost a chmod afterwards). Returns the descriptor,
// or -1 with errno set.
int cmtp_create_hidden_file(int folder, char *path_template)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    char *tail = path_template + strlen(path_template) - 6;
    static unsigned seed = static_cast<unsigned>(getpid()) ^ static_cast<unsigned>(time(nullptr));
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (int i = 0; i < 6; ++i)
            tail[i] = letters[rand_r(&seed) % (sizeof letters - 1)];
        const int fd = openat(folder, path_template, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Puts the finished file at its destination. Without `replace`, an existing file there is
// never touched: the kernel refuses atomically where the file system can, else a link
// does, and only where neither works is there a check just before the rename. Both names
// are relative to `folder`.
bool cmtp_move_into_place(int folder, const char *temporary, const char *destination, bool replace)
{
    if (replace)
        return renameat(folder, temporary, folder, destination) == 0;
    if (renameat2(folder, temporary, folder, destination, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (linkat(folder, temporary, folder, destination, 0) == 0) {
        unlinkat(folder, temporary, 0);
        return true;
    }
    if (errno == EEXIST)
        return false;
    if (faccessat(folder, destination, F_OK, 0) == 0) {
        errno = EEXIST;
        return false;
    }
    return renameat(folder, temporary, folder, destination) == 0;
}

// The code of a failed open: a phone that is not on the bus is gone; one that is there but
// cannot be opened (locked, held by another program) is not.
int32_t cmtp_open_failure_code(const char *error)
{
    return strcmp(error, kNotAvailable) == 0 ? CMTP_RESULT_DEVICE_GONE : CMTP_RESULT_OTHER;
}

template <size_t N>
void cmtp_fail(int32_t &ok, int32_t &code, char (&error)[N], int32_t failure, const char *text)
{
    ok = 0;
    code = failure;
    snprintf(error, N, "%s", text);
}

const char *cmtp_base_name(const char *path)
{
    const char *slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

// A name the phone can store in one folder: not empty, not "." or "..", no '/'.
bool cmtp_valid_object_name(const char *name)
{
    return name && *name && strcmp(name, ".") != 0 && strcmp(name, "..") != 0 && !strchr(name, '/');
}

// A fresh session on the device, with its storages read, as uploads need them.
void cmtp_reopen_device(const char *device_id)
{
    cmtp_release_cached_device();
    char ignored[512];
    if (LIBMTP_mtpdevice_t *device = cmtp_open_device(device_id, ignored))
        cmtp_refresh_storages(device);
}

// One cheap request (the storage list) tells whether the session still answers. A dead
// one is closed and the device opened once more, so the next operation does not fail on
// it; null when the phone cannot be opened again, which means it is gone.
LIBMTP_mtpdevice_t *cmtp_recover_session(LIBMTP_mtpdevice_t *device, const char *device_id)
{
    if (cmtp_refresh_storages(device)) {
        cmtp_clear_errorstack(device);
        return device;
    }
    cmtp_reopen_device(device_id);
    return cmtp_cached_device;
}


// The local side of a transfer: the bridge reads and writes the file itself, so it knows
// the system error of a failed read or write instead of libmtp's "Cancelled transfer".
struct cmtp_local_file {
    int fd;
    int error;          // errno of the first failed read or write; -1: the file ended early
    uint64_t remaining; // bytes an upload still expects to read
    uint64_t moved;     // bytes of the file read or written so far
};

// Hands libmtp's progress to the caller's callback and remembers whether it asked to stop.
struct cmtp_progress_relay {
    cmtp_progress_callback callback;
    void *context;
    const cmtp_local_file *file;
    bool stopped;
};

// libmtp counts a container header in with the file; the caller is told the file's own
// bytes read or written, and its size less that header.
int cmtp_relay_progress(uint64_t const, uint64_t const total, void const *const data)
{
    auto *relay = static_cast<cmtp_progress_relay *>(const_cast<void *>(data));
    const uint64_t moved = relay->file->moved;
    const uint64_t size = total >= 12 ? total - 12 : total;
    if (relay->callback && relay->callback(moved, size > moved ? size : moved, relay->context) != 0)
        relay->stopped = true;
    return relay->stopped ? 1 : 0;
}

uint16_t cmtp_write_chunk(void *, void *priv, uint32_t length, unsigned char *data, uint32_t *written)
{
    auto *file = static_cast<cmtp_local_file *>(priv);
    uint32_t done = 0;
    while (done < length) {
        const ssize_t n = write(file->fd, data + done, length - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            file->error = n < 0 ? errno : EIO;
            return LIBMTP_HANDLER_RETURN_ERROR;
        }
        done += static_cast<uint32_t>(n);
    }
    file->moved += done;
    *written = done;
    return LIBMTP_HANDLER_RETURN_OK;
}

uint16_t cmtp_read_chunk(void *, void *priv, uint32_t wanted, unsigned char *data, uint32_t *got)
{
    auto *file = static_cast<cmtp_local_file *>(priv);
    if (wanted > file->remaining)
        wanted = static_cast<uint32_t>(file->remaining);
    uint32_t done = 0;
    while (done < wanted) {
        const ssize_t n = read(file->fd, data + done, wanted - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A file that shrinks while it is sent would leave the phone waiting for bytes.
            file->error = n < 0 ? errno : -1;
            return LIBMTP_HANDLER_RETURN_ERROR;
        }
        done += static_cast<uint32_t>(n);
    }
    file->remaining -= done;
    file->moved += done;
    *got = done;
    return LIBMTP_HANDLER_RETURN_OK;
}

// Why a transfer stopped, and its code: the caller's cancel, a local read or write, or the
// phone, which is gone when its session cannot be brought back. The phone's own error text
// is read before the session check clears the stack. Returns the device handle that still
// works, or null.
LIBMTP_mtpdevice_t *cmtp_classify_failure(CMTPTransferResultV2 &result, LIBMTP_mtpdevice_t *device,
                                          const char *device_id, const cmtp_progress_relay &relay,
                                          const cmtp_local_file &file, const char *name, bool download)
{
    cmtp_copy_errorstack_message(device, result.error, download ? "MTP download failed" : "MTP upload failed");
    LIBMTP_mtpdevice_t *live = cmtp_recover_session(device, device_id);
    result.ok = 0;
    if (relay.stopped) {
        result.code = CMTP_RESULT_CANCELLED;
        snprintf(result.error, sizeof result.error, "%s", download ? "Download cancelled" : "Upload cancelled");
    } else if (file.error == ENOSPC || file.error == EDQUOT) {
        result.code = CMTP_RESULT_LOCAL_FILE;
        snprintf(result.error, sizeof result.error, "Not enough space on the computer's disk for %s.", name);
    } else if (file.error == -1) {
        result.code = CMTP_RESULT_LOCAL_FILE;
        snprintf(result.error, sizeof result.error, "%s changed on the computer while it was being sent.", name);
    } else if (file.error != 0) {
        result.code = CMTP_RESULT_LOCAL_FILE;
        snprintf(result.error, sizeof result.error, download ? "Could not write %s on the computer: %s."
                                                             : "Could not read %s: %s.",
                 name, strerror(file.error));
    } else {
        result.code = live ? CMTP_RESULT_DEVICE_REFUSED : CMTP_RESULT_DEVICE_GONE;
    }
    return live;
}

// Deletes the object an interrupted upload created, only when it is still there and is
// what this upload made: some phones hand back the id of another object of a similar name.
void cmtp_delete_partial_upload(LIBMTP_mtpdevice_t *device, uint32_t id, const char *name, uint32_t parent,
                                uint32_t storage)
{
    if (!device || id == 0)
        return;
    LIBMTP_file_t *object = LIBMTP_Get_Filemetadata(device, id);
    if (object) {
        const uint32_t objectParent = object->parent_id == 0 ? kRootFolder : object->parent_id;
        if (object->filename && strcmp(object->filename, name) == 0 && objectParent == parent
            && object->storage_id == storage)
            LIBMTP_Delete_Object(device, id);
        LIBMTP_destroy_file_t(object);
    }
    cmtp_clear_errorstack(device);
}

void cmtp_destroy_files(LIBMTP_file_t *files)
{
    while (files) {
        LIBMTP_file_t *next = files->next;
        LIBMTP_destroy_file_t(files);
        files = next;
    }
}

// A phone may describe an object it has just made only a moment later (one that indexes
// new objects in the background answers "invalid handle" until then), so the question is
// asked again, less and less often, for about four seconds.
template <typename Question>
bool cmtp_eventually(Question answered)
{
    useconds_t pause = 25 * 1000;
    for (useconds_t waited = 0; !answered(); waited += pause, pause = std::min<useconds_t>(pause * 2, 1000 * 1000)) {
        if (waited >= 4 * 1000 * 1000)
            return false;
        usleep(pause);
    }
    return true;
}

// Whether folder `parent` holds a file called `name`, of exactly `*size` bytes when given.
bool cmtp_holds_file(LIBMTP_mtpdevice_t *device, uint32_t storage, uint32_t parent, const char *name,
                     const uint64_t *size)
{
    LIBMTP_file_t *files = LIBMTP_Get_Files_And_Folders(device, storage, parent);
    bool found = false;
    for (LIBMTP_file_t *file = files; file && !found; file = file->next)
        found = file->filetype != LIBMTP_FILETYPE_FOLDER && file->filename && strcmp(file->filename, name) == 0
            && (!size || file->filesize == *size);
    cmtp_destroy_files(files);
    cmtp_clear_errorstack(device);
    return found;
}

// libmtp returns what it could read of a folder, and says on the error stack when that is
// not all. A broken connection has to fail the listing (a part must never pass for the
// whole folder); a phone that skipped unreadable objects still answers the next request.
enum class cmtp_listing_state { whole, partial, broken };

// Reads (and clears) the errors a listing that returned objects left behind; `error` gets
// their text. Errors of the USB layer are a broken connection; any other is checked with
// one cheap request.
cmtp_listing_state cmtp_check_listing(LIBMTP_mtpdevice_t *device, char (&error)[512])
{
    LIBMTP_error_t *stack = LIBMTP_Get_Errorstack(device);
    if (!stack)
        return cmtp_listing_state::whole;
    bool usb = false;
    for (LIBMTP_error_t *entry = stack; entry; entry = entry->next)
        usb = usb || entry->errornumber == LIBMTP_ERROR_USB_LAYER || entry->errornumber == LIBMTP_ERROR_CONNECTING;
    cmtp_copy_errorstack_message(device, error, "Could not list MTP directory");
    if (usb)
        return cmtp_listing_state::broken;
    const bool answers = LIBMTP_Get_Storage(device, LIBMTP_STORAGE_SORTBY_NOTSORTED) == 0;
    cmtp_clear_errorstack(device);
    return answers ? cmtp_listing_state::partial : cmtp_listing_state::broken;
}


} // namespace

extern "C" {

CMTPBridgeStatus cmtp_bridge_status(void)
{
    return CMTPBridgeStatus{1, "libmtp headers are available"};
}

CMTPScanResult cmtp_scan_devices(void)
{
    CMTPScanResult result;
    memset(&result, 0, sizeof result);
    LIBMTP_Init();
    LIBMTP_raw_device_t *raw_devices = nullptr;
    int raw_count = 0;
    const LIBMTP_error_number_t detected = LIBMTP_Detect_Raw_Devices(&raw_devices, &raw_count);
    if (detected == LIBMTP_ERROR_NO_DEVICE_ATTACHED) {
        result.ok = 1;
    } else if (detected != LIBMTP_ERROR_NONE) {
        cmtp_set_text(result.error, kScanFailed);
    } else {
        result.ok = 1;
        int count = raw_devices ? raw_count : 0;
        count = count < 0 ? 0 : (count > kMaxDevices ? kMaxDevices : count);
        for (int i = 0; i < count; ++i) {
            const LIBMTP_raw_device_t &raw = raw_devices[i];
            CMTPDeviceInfo &info = result.devices[i];
            cmtp_format_device_id(info.id, raw);
            cmtp_set_text(info.name, cmtp_name_or(raw.device_entry.product, kUnnamedDevice));
            info.vendor_id = raw.device_entry.vendor_id;
            info.product_id = raw.device_entry.product_id;
            info.bus_location = raw.bus_location;
            info.device_number = raw.devnum;
        }
        result.count = count;
    }
    free(raw_devices);
    return result;
}

void cmtp_list_storage_into(CMTPStorageResult *result, const char *device_id)
{
    if (!result)
        return;
    memset(result, 0, sizeof *result);
    const bool reused = cmtp_cached_device && device_id && strcmp(cmtp_cached_device_id, device_id) == 0;
    LIBMTP_mtpdevice_t *device = cmtp_open_device(device_id, result->error);
    if (!device)
        return;
    bool ok = cmtp_refresh_storages(device);
    // A kept handle whose session died (a refused request on some phones ends it, and a
    // phone can drop it while locked) fails everything asked of it. Listing storages is
    // where a Refresh starts, so give it one fresh session before reporting failure.
    if (!ok && reused) {
        cmtp_release_cached_device();
        device = cmtp_open_device(device_id, result->error);
        if (!device)
            return;
        ok = cmtp_refresh_storages(device);
    }
    if (!ok) {
        cmtp_copy_errorstack_message(device, result->error, "Could not list MTP storage");
        return;
    }
    result->ok = 1;
    int count = 0;
    for (LIBMTP_devicestorage_t *storage = device->storage; storage && count < kMaxStorages;
         storage = storage->next, ++count) {
        CMTPStorageInfo &info = result->storages[count];
        snprintf(info.id, sizeof info.id, "%u", static_cast<unsigned>(storage->id));
        cmtp_set_text(info.name, cmtp_name_or(storage->StorageDescription, kUnnamedStorage));
        info.capacity_bytes = cmtp_signed_size(storage->MaxCapacity);
        info.free_bytes = cmtp_signed_size(storage->FreeSpaceInBytes);
    }
    result->count = count;
}

int32_t cmtp_storage_result_ok(const CMTPStorageResult *result)
{
    return result ? result->ok : 0;
}

int32_t cmtp_storage_result_count(const CMTPStorageResult *result)
{
    return result ? result->count : 0;
}

const char *cmtp_storage_result_error(const CMTPStorageResult *result)
{
    return result ? result->error : "";
}

CMTPStorageInfo cmtp_storage_at(const CMTPStorageResult *result, int32_t index)
{
    CMTPStorageInfo info;
    memset(&info, 0, sizeof info);
    if (result && index >= 0 && index < kMaxStorages && index < result->count)
        info = result->storages[index];
    return info;
}

void cmtp_list_storage_details_into(CMTPStorageDetailsResult *result, const char *device_id)
{
    if (!result)
        return;
    memset(result, 0, sizeof *result);
    CMTPStorageResult listed;
    cmtp_list_storage_into(&listed, device_id);
    result->ok = listed.ok;
    memcpy(result->error, listed.error, sizeof result->error);
    if (listed.ok != 1)
        return;
    // A successful listing leaves the device cached with the chain it was read from.
    LIBMTP_devicestorage_t *storage = cmtp_cached_device ? cmtp_cached_device->storage : nullptr;
    for (int i = 0; i < listed.count && storage; ++i, storage = storage->next) {
        result->storages[i].info = listed.storages[i];
        result->storages[i].storage_type = storage->StorageType;
        result->count = i + 1;
    }
}

void cmtp_list_directory_into(CMTPDirectoryResult *result, const char *device_id, const char *storage_id,
                              const char *parent_id)
{
    cmtp_list_directory_each(result, device_id, storage_id, parent_id, nullptr, nullptr);
}

void cmtp_list_directory_each(CMTPDirectoryResult *result, const char *device_id, const char *storage_id,
                              const char *parent_id, cmtp_directory_entry_callback callback, void *context)
{
    if (!result)
        return;
    memset(result, 0, sizeof *result);
    // The device comes first, so a disconnected phone is reported even when the ids are bad too.
    LIBMTP_mtpdevice_t *device = cmtp_open_device(device_id, result->error);
    if (!device)
        return;
    uint32_t storage = 0;
    if (!cmtp_parse_id(storage_id, &storage)) {
        cmtp_set_text(result->error, "Invalid MTP storage id");
        return;
    }
    uint32_t parent = 0;
    if (!cmtp_parse_parent(parent_id, &parent)) {
        cmtp_set_text(result->error, "Invalid MTP parent id");
        return;
    }
    cmtp_clear_errorstack(device);
    LIBMTP_file_t *files = LIBMTP_Get_Files_And_Folders(device, storage, parent);
    if (!files) {
        // Null means an empty folder unless libmtp recorded why it failed.
        if (LIBMTP_Get_Errorstack(device))
            cmtp_copy_errorstack_message(device, result->error, "Could not list MTP directory");
        else
            result->ok = 1;
        return;
    }
    // Objects and errors together: a connection that broke part-way must not pass for the
    // whole folder.
    if (cmtp_check_listing(device, result->error) == cmtp_listing_state::broken) {
        cmtp_destroy_files(files);
        return;
    }
    result->error[0] = '\0';
    result->ok = 1;
    // One pass over the one listing: on a phone every object cost a USB round trip, so
    // the callback gets the whole folder from it and nothing is ever listed twice.
    int count = 0;
    for (LIBMTP_file_t *file = files; file; file = file->next) {
        CMTPDirectoryEntry entry;
        cmtp_fill_entry(&entry, file);
        if (count < kMaxEntries)
            result->entries[count++] = entry;
        if (callback)
            callback(&entry, context);
    }
    result->count = count;
    cmtp_destroy_files(files);
}

int32_t cmtp_directory_result_ok(const CMTPDirectoryResult *result)
{
    return result ? result->ok : 0;
}

int32_t cmtp_directory_result_count(const CMTPDirectoryResult *result)
{
    return result ? result->count : 0;
}

const char *cmtp_directory_result_error(const CMTPDirectoryResult *result)
{
    return result ? result->error : "";
}

CMTPDirectoryEntry cmtp_directory_entry_at(const CMTPDirectoryResult *result, int32_t index)
{
    CMTPDirectoryEntry entry;
    memset(&entry, 0, sizeof entry);
    if (result && index >= 0 && index < kMaxEntries && index < result->count)
        entry = result->entries[index];
    return entry;
}

CMTPTransferResult cmtp_download_file(const char *device_id, const char *file_id, const char *local_path)
{
    CMTPTransferResult result;
    memset(&result, 0, sizeof result);
    uint32_t file = 0;
    if (!cmtp_parse_id(file_id, &file)) {
        cmtp_set_text(result.error, "Invalid MTP file id");
        return result;
    }
    // A path ending in '/' names a folder, never a file to write.
    if (!local_path || !*local_path || local_path[strlen(local_path) - 1] == '/') {
        cmtp_set_text(result.error, "Invalid local download path");
        return result;
    }
    LIBMTP_mtpdevice_t *device = cmtp_open_device(device_id, result.error);
    if (!device)
        return result;

    // The result keeps the permissions of the file it replaces (never its set-id bits: the
    // content is new); libmtp alone would make every download executable.
    mode_t mode = 0;
    struct stat existing;
    if (stat(local_path, &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            snprintf(result.error, sizeof result.error, "Could not save the download: %s", strerror(EISDIR));
            return result;
        }
        mode = existing.st_mode & 0777;
    } else {
        mode = cmtp_new_file_mode();
    }

    // libmtp deletes the path it was given when a copy fails, so it never gets the
    // destination itself: it writes a new file that replaces the destination on success.
    char *temporary = cmtp_temporary_template(local_path);
    const int fd = temporary ? mkstemp(temporary) : -1;
    if (fd < 0) {
        const int error = temporary ? errno : ENOMEM;
        snprintf(result.error, sizeof result.error, "Could not create a temporary file for the download: %s",
                 strerror(error));
        free(temporary);
        return result;
    }

    cmtp_clear_errorstack(device);
    if (LIBMTP_Get_File_To_File(device, file, temporary, nullptr, nullptr) != 0) {
        close(fd);
        unlink(temporary);
        free(temporary);
        cmtp_copy_errorstack_message(device, result.error, "MTP download failed");
        return result;
    }
    fchmod(fd, mode);
    close(fd);
    if (rename(temporary, local_path) != 0) {
        const int error = errno;
        unlink(temporary);
        snprintf(result.error, sizeof result.error, "Could not save the download: %s", strerror(error));
    } else {
        result.ok = 1;
    }
    free(temporary);
    return result;
}

CMTPTransferResult cmtp_upload_file(const char *device_id, const char *storage_id, const char *local_path,
                                    const char *parent_id)
{
    CMTPTransferResult result;
    memset(&result, 0, sizeof result);
    if (!local_path || !*local_path) {
        cmtp_set_text(result.error, "Invalid local upload path");
        return result;
    }
    uint32_t storage = 0;
    if (!cmtp_parse_id(storage_id, &storage)) {
        cmtp_set_text(result.error, "Invalid MTP storage id");
        return result;
    }
    uint32_t parent = 0;
    if (!cmtp_parse_parent(parent_id, &parent)) {
        cmtp_set_text(result.error, "Invalid MTP parent id");
        return result;
    }
    struct stat info;
    if (stat(local_path, &info) != 0) {
        snprintf(result.error, sizeof result.error, "Could not read local file metadata: %s", strerror(errno));
        return result;
    }
    if ((info.st_mode & S_IFMT) != S_IFREG) {
        cmtp_set_text(result.error, "Local upload path is not a regular file");
        return result;
    }
    if (info.st_size < 0) {
        cmtp_set_text(result.error, "Local upload file size is invalid");
        return result;
    }
    const char *slash = strrchr(local_path, '/');
    const char *name = slash ? slash + 1 : local_path;
    if (!*name) {
        cmtp_set_text(result.error, "Invalid local upload filename");
        return result;
    }
    LIBMTP_mtpdevice_t *device = cmtp_open_device(device_id, result.error);
    if (!device)
        return result;

    LIBMTP_file_t *description = LIBMTP_new_file_t();
    if (!description) {
        cmtp_set_text(result.error, "Could not allocate MTP file metadata");
        return result;
    }
    description->filename = strdup(name);
    if (!description->filename) {
        LIBMTP_destroy_file_t(description);
        cmtp_set_text(result.error, "Could not allocate MTP upload filename");
        return result;
    }
    description->filesize = static_cast<uint64_t>(info.st_size);
    // The device decides what the file is; claiming a type from the extension gets refused.
    description->filetype = LIBMTP_FILETYPE_UNKNOWN;
    description->parent_id = parent;
    description->storage_id = storage;

    cmtp_clear_errorstack(device);
    if (LIBMTP_Send_File_From_File(device, local_path, description, nullptr, nullptr) == 0) {
        result.ok = 1;
    } else {
        cmtp_copy_errorstack_message(device, result.error, "MTP upload failed");
        // libmtp says when the phone had confirmed the copy and only reading its description
        // again failed (a phone may describe a new object a moment later): the file arrived.
        const bool arrived = strstr(result.error, "Could not retrieve updated metadata")
            && cmtp_eventually([&] { return cmtp_holds_file(device, storage, parent, name, nullptr); });
        if (arrived) {
            memset(&result, 0, sizeof result);
            result.ok = 1;
        } else if (description->item_id != 0) {
            // libmtp fills in item_id once the device has created the object; when the content
            // then fails to arrive, the object is a truncated file that must not stay behind.
            LIBMTP_Delete_Object(device, description->item_id);
            cmtp_clear_errorstack(device);
        }
    }
    LIBMTP_destroy_file_t(description);
    return result;
}

const char *cmtp_result_code_text(int32_t code)
{
    switch (code) {
    case CMTP_RESULT_OK: return "ok";
    case CMTP_RESULT_CANCELLED: return "cancelled";
    case CMTP_RESULT_DEVICE_GONE: return "device gone";
    case CMTP_RESULT_LOCAL_FILE: return "local file problem";
    case CMTP_RESULT_DEVICE_REFUSED: return "device refused";
    case CMTP_RESULT_OTHER: return "other";
    default: return "unknown";
    }
}

CMTPTransferResultV2 cmtp_download_file_v2(const char *device_id, const char *file_id, const char *local_path,
                                           cmtp_progress_callback progress, void *context)
{
    return cmtp_download(device_id, file_id, AT_FDCWD, local_path, true, progress, context);
}

CMTPTransferResultV2 cmtp_download_new_file(const char *device_id, const char *file_id, const char *local_path,
                                            cmtp_progress_callback progress, void *context)
{
    return cmtp_download(device_id, file_id, AT_FDCWD, local_path, false, progress, context);
}

CMTPTransferResultV2 cmtp_download_new_file_at(const char *device_id, const char *file_id, int folder_fd,
                                               const char *name, cmtp_progress_callback progress, void *context)
{
    if (name && strchr(name, '/')) {
        CMTPTransferResultV2 result;
        memset(&result, 0, sizeof result);
        cmtp_fail(result.ok, result.code, result.error, CMTP_RESULT_OTHER, "Invalid local download path");
        return result;
    }
    return cmtp_download(device_id, file_id, folder_fd, name, false, progress, context);
}

} // extern "C"

namespace {

// `local_path` is relative to `folder` (AT_FDCWD: the working directory, or a full path).
CMTPTransferResultV2 cmtp_download(const char *device_id, const char *file_id, int folder, const char *local_path,
                                   bool replace, cmtp_progress_callback progress, void *context)
{
    CMTPTransferResultV2 result;
    memset(&result, 0, sizeof result);
    uint32_t file = 0;
    if (!cmtp_parse_id(file_id, &file)) {
        cmtp_fail(result.ok, result.code, result.error, CMTP_RESULT_OTHER, "Invalid MTP file id");
        return result;
    }
    if (!local_path || !*local_path || local_path[strlen(local_path) - 1] == '/') {
        cmtp_fail(result.ok, result.code, result.error, CMTP_RESULT_OTHER, "Invalid local download path");
        return result;
    }
    LIBMTP_mtpdevice_t *device = cmtp_open_device(device_id, result.error);
    if (!device) {
        result.code = cmtp_open_failure_code(result.error);
        return result;
    }
    // A replaced file keeps its permissions; a new one gets 0666 less the umask, which the
    // kernel applies as it creates the hidden file. A download that may not replace anything
    // has nothing to look at first: every call saved counts in a batch of small files.
    std::optional<mode_t> keptMode;
    struct stat existing;
    if (replace && fstatat(folder, local_path, &existing, 0) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            snprintf(result.error, sizeof result.error, "Could not save the download: %s", strerror(EISDIR));
            result.code = CMTP_RESULT_LOCAL_FILE;
            return result;
        }
        keptMode = existing.st_mode & 0777;
    }
    char *temporary = cmtp_temporary_template(local_path);
    const int fd = temporary ? cmtp_create_hidden_file(folder, temporary) : -1;
    if (fd < 0) {
        const int error = temporary ? errno : ENOMEM;
        snprintf(result.error, sizeof result.error, "Could not create a temporary file for the download: %s",
                 strerror(error));
        result.code = CMTP_RESULT_LOCAL_FILE;
        free(temporary);
        return result;
    }

    cmtp_local_file local{fd, 0, 0, 0};
    cmtp_progress_relay relay{progress, context, &local, false};
    cmtp_clear_errorstack(device);
    const int copied = LIBMTP_Get_File_To_Handler(device, file, cmtp_write_chunk, &local, cmtp_relay_progress, &relay);
    if (copied != 0) {
        close(fd);
        unlinkat(folder, temporary, 0);
        free(temporary);
        cmtp_classify_failure(result, device, device_id, relay, local, cmtp_base_name(local_path), true);
        return result;
    }
    // libmtp's header count is not the same on every path; the last word is the exact size.
    if (progress)
        progress(local.moved, local.moved, context);
    if (keptMode)
        fchmod(fd, *keptMode);
    const bool closed = close(fd) == 0;
    if (!closed || !cmtp_move_into_place(folder, temporary, local_path, replace)) {
        const int error = errno;
        unlinkat(folder, temporary, 0);
        result.code = CMTP_RESULT_LOCAL_FILE;
        if (error == ENOSPC || error == EDQUOT)
            snprintf(result.error, sizeof result.error, "Not enough space on the computer's disk for %s.",
                     cmtp_base_name(local_path));
        else if (error == EEXIST)
            snprintf(result.error, sizeof result.error, "%s already exists on the computer.", cmtp_base_name(local_path));
        else
            snprintf(result.error, sizeof result.error, "Could not save the download: %s", strerror(error));
    } else {
        result.ok = 1;
    }
    free(temporary);
    return result;
}

} // namespace

extern "C" {

CMTPTransferResultV2 cmtp_upload_file_v2(const char *device_id, const char *storage_id, const char *local_path,
                                         const char *parent_id, const char *remote_name,
                                         cmtp_progress_callback progress, void *context)
{
    CMTPTransferResultV2 result;
    memset(&result, 0, sizeof result);
    if (!local_path || !*local_path) {
        cmtp_fail(result.ok, result.code, result.error, CMTP_RESULT_OTHER, "Invalid local upload path");
        return result;
    }
    uint32_t storage = 0;
    if (!cmtp_parse_id(storage_id, &storage)) {
        cmtp_fail(result.ok, result.code, result.error, CMTP_RESULT_OTHER, "Invalid MTP storage id");
        return result;
    }
    uint32_t parent = 0;
    if (!cmtp_parse_parent(parent_id, &parent)) {
        cmtp_fail(result.ok, result.code, result.error, CMTP_RESULT_OTHER, "Invalid MTP parent id");
        return result;
    }
    const char *name = remote_name && *remote_name ? remote_name : cmtp_base_name(local_path);
    if (!cmtp_valid_object_name(name)) {
        cmtp_fail(result.ok, result.code, result.error, CMTP_RESULT_OTHER, "Invalid local upload filename");
        return result;
    }
    // One descriptor for the check and the copy, so what is checked is what is sent.
    const int fd = open(local_path, O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0) {
        const int error = errno;
        if (fd >= 0)
            close(fd);
        snprintf(result.error, sizeof result.error, "Could not read %s: %s.", cmtp_base_name(local_path),
                 strerror(error));
        result.code = CMTP_RESULT_LOCAL_FILE;
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        close(fd);
        cmtp_fail(result.ok, result.code, result.error, CMTP_RESULT_LOCAL_FILE,
                  "Local upload path is not a regular file");
        return result;
    }
    LIBMTP_mtpdevice_t *device = cmtp_open_device(device_id, result.error);
    LIBMTP_file_t *description = device ? LIBMTP_new_file_t() : nullptr;
    if (description)
        description->filename = strdup(name);
    if (!description || !description->filename) {
        close(fd);
        if (description)
            LIBMTP_destroy_file_t(description);
        if (device)
            cmtp_fail(result.ok, result.code, result.error, CMTP_RESULT_OTHER, "Could not allocate MTP file metadata");
        else
            result.code = cmtp_open_failure_code(result.error);
        return result;
    }
    description->filesize = static_cast<uint64_t>(info.st_size);
    description->filetype = LIBMTP_FILETYPE_UNKNOWN;
    description->parent_id = parent;
    description->storage_id = storage;

    cmtp_local_file local{fd, 0, static_cast<uint64_t>(info.st_size), 0};
    cmtp_progress_relay relay{progress, context, &local, false};
    cmtp_clear_errorstack(device);
    bool sent = LIBMTP_Send_File_From_Handler(device, cmtp_read_chunk, &local, description, cmtp_relay_progress, &relay) == 0;
    if (!sent) {
        LIBMTP_mtpdevice_t *live = cmtp_classify_failure(result, device, device_id, relay, local, name, false);
        // Every byte went out, and only a question afterwards failed: when the phone holds
        // the whole file, the upload did arrive and must not be reported as failed. libmtp
        // says when the phone had already confirmed the copy and only its description could
        // not be read again; a phone may then still list the file at the size it first saw.
        const bool confirmed = strstr(result.error, "Could not retrieve updated metadata") != nullptr;
        const uint64_t size = static_cast<uint64_t>(info.st_size);
        sent = live && !relay.stopped && local.error == 0 && local.remaining == 0
            && (confirmed ? cmtp_eventually([&] { return cmtp_holds_file(live, storage, parent, name, nullptr); })
                          : cmtp_holds_file(live, storage, parent, name, &size));
        if (sent) {
            memset(&result, 0, sizeof result);
        } else {
            cmtp_delete_partial_upload(live, description->item_id, name, parent, storage);
            // A send we cut ourselves leaves the phone in the middle of an object it still
            // waits for: it answers the cheap check, then fails later uploads. A new session
            // starts clean.
            if (live && (relay.stopped || local.error != 0))
                cmtp_reopen_device(device_id);
        }
    }
    if (sent) {
        result.ok = 1;
        if (progress)
            progress(local.moved, local.moved, context);
    }
    close(fd);
    LIBMTP_destroy_file_t(description);
    return result;
}

CMTPFolderResult cmtp_create_folder(const char *device_id, const char *storage_id, const char *parent_id,
                                    const char *name)
{
    CMTPFolderResult result;
    memset(&result, 0, sizeof result);
    uint32_t storage = 0;
    uint32_t parent = 0;
    if (!cmtp_parse_id(storage_id, &storage)) {
        cmtp_fail(result.ok, result.code, result.error, CMTP_RESULT_OTHER, "Invalid MTP storage id");
        return result;
    }
    if (!cmtp_parse_parent(parent_id, &parent)) {
        cmtp_fail(result.ok, result.code, result.error, CMTP_RESULT_OTHER, "Invalid MTP parent id");
        return result;
    }
    if (!cmtp_valid_object_name(name)) {
        cmtp_fail(result.ok, result.code, result.error, CMTP_RESULT_OTHER, "Invalid folder name");
        return result;
    }
    LIBMTP_mtpdevice_t *device = cmtp_open_device(device_id, result.error);
    if (!device) {
        result.code = cmtp_open_failure_code(result.error);
        return result;
    }
    // libmtp may rewrite the name it is given for phones that only take 7-bit names.
    char *copy = strdup(name);
    if (!copy) {
        cmtp_fail(result.ok, result.code, result.error, CMTP_RESULT_OTHER, "Could not allocate MTP upload filename");
        return result;
    }
    cmtp_clear_errorstack(device);
    const uint32_t created = LIBMTP_Create_Folder(device, copy, parent, storage);
    free(copy);
    if (created == 0) {
        cmtp_copy_errorstack_message(device, result.error, "Could not create the folder");
        result.code = cmtp_recover_session(device, device_id) ? CMTP_RESULT_DEVICE_REFUSED : CMTP_RESULT_DEVICE_GONE;
        return result;
    }
    // Files sent into the folder before the phone knows it would be refused.
    cmtp_eventually([&] {
        LIBMTP_file_t *folder = LIBMTP_Get_Filemetadata(device, created);
        const bool known = folder != nullptr;
        if (known)
            LIBMTP_destroy_file_t(folder);
        cmtp_clear_errorstack(device);
        return known;
    });
    result.ok = 1;
    snprintf(result.id, sizeof result.id, "%u", static_cast<unsigned>(created));
    return result;
}

CMTPListingResult cmtp_list_directory_v2(const char *device_id, const char *storage_id, const char *parent_id,
                                         cmtp_directory_entry_v2_callback callback, void *context)
{
    CMTPListingResult result;
    memset(&result, 0, sizeof result);
    LIBMTP_mtpdevice_t *device = cmtp_open_device(device_id, result.error);
    if (!device) {
        result.code = cmtp_open_failure_code(result.error);
        return result;
    }
    uint32_t storage = 0;
    uint32_t parent = 0;
    if (!cmtp_parse_id(storage_id, &storage)) {
        cmtp_fail(result.ok, result.code, result.error, CMTP_RESULT_OTHER, "Invalid MTP storage id");
        return result;
    }
    if (!cmtp_parse_parent(parent_id, &parent)) {
        cmtp_fail(result.ok, result.code, result.error, CMTP_RESULT_OTHER, "Invalid MTP parent id");
        return result;
    }
    cmtp_clear_errorstack(device);
    LIBMTP_file_t *files = LIBMTP_Get_Files_And_Folders(device, storage, parent);
    const cmtp_listing_state state = cmtp_check_listing(device, result.error);
    if (state == cmtp_listing_state::broken || (!files && state != cmtp_listing_state::whole)) {
        cmtp_destroy_files(files);
        result.code = cmtp_recover_session(device, device_id) ? CMTP_RESULT_DEVICE_REFUSED : CMTP_RESULT_DEVICE_GONE;
        return result;
    }
    result.error[0] = '\0';
    result.ok = 1;
    result.complete = state == cmtp_listing_state::whole ? 1 : 0;
    for (LIBMTP_file_t *file = files; file; file = file->next) {
        CMTPDirectoryEntry entry;
        cmtp_fill_entry(&entry, file);
        CMTPDirectoryEntryV2 full;
        memset(&full, 0, sizeof full);
        memcpy(full.id, entry.id, sizeof full.id);
        memcpy(full.name, entry.name, sizeof full.name);
        memcpy(full.parent_id, entry.parent_id, sizeof full.parent_id);
        full.is_folder = entry.is_folder;
        full.size_bytes = entry.size_bytes;
        full.modified_at = file->modificationdate > 0 ? static_cast<int64_t>(file->modificationdate) : 0;
        ++result.count;
        if (callback)
            callback(&full, context);
    }
    cmtp_destroy_files(files);
    return result;
}

void cmtp_close_device(void)
{
    cmtp_release_cached_device();
}

void cmtp_set_close_listener(cmtp_close_listener listener, void *context)
{
    cmtp_closing_listener = listener;
    cmtp_closing_context = context;
}

} // extern "C"
