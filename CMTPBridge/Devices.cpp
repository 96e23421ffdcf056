// Devices: scanning, the one open device (opening, closing, a new session after a failure),
// the error stack, and the storages of the open device.

#include "CMTPBridge/BridgeInternal.h"

#include <cstdlib>

namespace {

using namespace cmtp;

constexpr const char *kScanFailed = "MTP device scan failed";
constexpr int kMaxDevices = 16;
constexpr int kMaxStorages = 16;

// The one open device, and where it sits on the bus for the close listener.
LIBMTP_mtpdevice_t *cached_device = nullptr;
char cached_id[64];
uint32_t cached_bus = 0;
uint8_t cached_devnum = 0;
cmtp_close_listener close_listener = nullptr;
void *close_context = nullptr;
bool exit_hook_registered = false;

void format_device_id(char (&id)[64], const LIBMTP_raw_device_t &raw)
{
    snprintf(id, sizeof id, "mtp-%u-%u-%04x-%04x", static_cast<unsigned>(raw.bus_location),
             static_cast<unsigned>(raw.devnum), static_cast<unsigned>(raw.device_entry.vendor_id),
             static_cast<unsigned>(raw.device_entry.product_id));
}

// Lets go of the open handle. Only a close the bridge chose is told: closing can reset a
// phone, which a hot-plug watch would take for a pull and a plug, while a phone that has
// left has nothing to reset.
void release(bool chosen)
{
    if (cached_device) {
        // Before the handle goes: libmtp may still deliver an event while it closes it.
        forget_events();
        forget_thumbnails();
        if (chosen && close_listener)
            close_listener(cached_bus, cached_devnum, close_context);
        LIBMTP_Release_Device(cached_device);
        cached_device = nullptr;
    }
    cached_id[0] = '\0';
}

// libmtp must end its session with the phone when the process ends; nobody listens then.
void release_at_exit()
{
    release(false);
}

// Finds `device_id` among the devices on the bus; null when found, else the failure's text.
const char *detect(const char *device_id, LIBMTP_raw_device_t *found)
{
    LIBMTP_Init();
    LIBMTP_raw_device_t *raw = nullptr;
    int count = 0;
    const LIBMTP_error_number_t detected = LIBMTP_Detect_Raw_Devices(&raw, &count);
    const char *missing = detected == LIBMTP_ERROR_NONE || detected == LIBMTP_ERROR_NO_DEVICE_ATTACHED ? kNotAvailable
                                                                                                       : kScanFailed;
    for (int i = 0; detected == LIBMTP_ERROR_NONE && raw && i < count && missing; ++i) {
        char id[64];
        format_device_id(id, raw[i]);
        if (strcmp(id, device_id) == 0) {
            *found = raw[i]; // its product text points into libmtp's static device table
            missing = nullptr;
        }
    }
    free(raw);
    return missing;
}

LIBMTP_mtpdevice_t *open_detected(LIBMTP_raw_device_t &raw, const char *device_id, char (&error)[512], int32_t &code)
{
    LIBMTP_mtpdevice_t *device = LIBMTP_Open_Raw_Device_Uncached(&raw);
    if (!device) {
        set_text(error, "Could not open MTP device; unlock the phone and choose File transfer");
        code = CMTP_RESULT_OTHER;
        return nullptr;
    }
    if (!exit_hook_registered) {
        atexit(release_at_exit);
        exit_hook_registered = true;
    }
    cached_device = device;
    cached_bus = raw.bus_location;
    cached_devnum = raw.devnum;
    set_text(cached_id, device_id);
    return device;
}

void fail_open(const char *text, char (&error)[512], int32_t &code)
{
    set_text(error, text);
    code = text == kNotAvailable ? CMTP_RESULT_DEVICE_GONE : CMTP_RESULT_OTHER;
}

// Whether the error stack says the USB connection itself failed.
bool connection_failed(LIBMTP_mtpdevice_t *device)
{
    for (LIBMTP_error_t *entry = LIBMTP_Get_Errorstack(device); entry; entry = entry->next) {
        if (entry->errornumber == LIBMTP_ERROR_USB_LAYER || entry->errornumber == LIBMTP_ERROR_CONNECTING)
            return true;
    }
    return false;
}

void fill_storage(CMTPStorageInfo &info, const LIBMTP_devicestorage_t &storage)
{
    snprintf(info.id, sizeof info.id, "%u", static_cast<unsigned>(storage.id));
    set_text(info.name, name_or(storage.StorageDescription, "Android storage"));
    info.capacity_bytes = signed_size(storage.MaxCapacity);
    info.free_bytes = signed_size(storage.FreeSpaceInBytes);
    info.storage_type = storage.StorageType;
}

} // namespace

namespace cmtp {

bool read_id(const char *text, uint32_t *id)
{
    // errno is not consulted: an overflow reads as ULONG_MAX, which is out of range anyway.
    if (!text || !*text)
        return false;
    char *end = nullptr;
    const unsigned long value = strtoul(text, &end, 10);
    if (end == text || *end != '\0' || value > 4294967295UL)
        return false;
    *id = static_cast<uint32_t>(value);
    return true;
}

bool valid_name(const char *name)
{
    return name && *name && strcmp(name, ".") != 0 && strcmp(name, "..") != 0 && !strchr(name, '/');
}

LIBMTP_mtpdevice_t *open_device(const char *device_id, char (&error)[512], int32_t &code)
{
    if (!device_id || !*device_id) {
        fail_open(kNotAvailable, error, code);
        return nullptr;
    }
    // No liveness check: a cached handle is trusted until a request on it fails.
    if (cached_device && strcmp(cached_id, device_id) == 0)
        return cached_device;
    // Only one device is ever open, so the old one goes before the new one is tried.
    release(true);
    LIBMTP_raw_device_t raw;
    if (const char *missing = detect(device_id, &raw)) {
        fail_open(missing, error, code);
        return nullptr;
    }
    return open_detected(raw, device_id, error, code);
}

void clear_errors(LIBMTP_mtpdevice_t *device)
{
    if (LIBMTP_Get_Errorstack(device))
        LIBMTP_Clear_Errorstack(device);
}

void take_errors(LIBMTP_mtpdevice_t *device, char *error, const char *fallback)
{
    LIBMTP_error_t *stack = LIBMTP_Get_Errorstack(device);
    const char *last = nullptr;
    for (LIBMTP_error_t *entry = stack; entry; entry = entry->next) {
        if (entry->error_text && entry->error_text[0] != '\0')
            last = entry->error_text;
    }
    snprintf(error, 512, "%s", last ? last : (fallback ? fallback : ""));
    if (stack)
        LIBMTP_Clear_Errorstack(device);
}

bool refresh_storages(LIBMTP_mtpdevice_t *device)
{
    clear_errors(device);
    const int refreshed = LIBMTP_Get_Storage(device, LIBMTP_STORAGE_SORTBY_NOTSORTED);
    // Anything but 0 and -1 is unexpected; trust it only when it left storages behind.
    return refreshed == 0 || (refreshed != -1 && device->storage);
}

session recover(LIBMTP_mtpdevice_t *device, const char *device_id, char *error, const char *fallback)
{
    const bool broken = connection_failed(device);
    take_errors(device, error, fallback);
    if (!broken && refresh_storages(device))
        return {device, true};
    char ignored[512];
    int32_t code = 0;
    device = renew(device_id, ignored, code);
    // Uploads need the storages read in the session.
    if (device && !refresh_storages(device))
        clear_errors(device);
    return {device, false};
}

LIBMTP_mtpdevice_t *renew(const char *device_id, char (&error)[512], int32_t &code)
{
    LIBMTP_raw_device_t raw;
    const char *missing = detect(device_id, &raw);
    release(!missing);
    if (missing) {
        fail_open(missing, error, code);
        return nullptr;
    }
    return open_detected(raw, device_id, error, code);
}

} // namespace cmtp

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
    LIBMTP_raw_device_t *raw = nullptr;
    int raw_count = 0;
    const LIBMTP_error_number_t detected = LIBMTP_Detect_Raw_Devices(&raw, &raw_count);
    if (detected != LIBMTP_ERROR_NONE && detected != LIBMTP_ERROR_NO_DEVICE_ATTACHED) {
        fail(result, CMTP_RESULT_OTHER, kScanFailed);
    } else {
        result.ok = 1;
        const int count = detected == LIBMTP_ERROR_NONE && raw ? raw_count : 0;
        result.count = count < 0 ? 0 : (count > kMaxDevices ? kMaxDevices : count);
        for (int i = 0; i < result.count; ++i) {
            CMTPDeviceInfo &info = result.devices[i];
            format_device_id(info.id, raw[i]);
            set_text(info.name, name_or(raw[i].device_entry.product, "Android phone"));
            info.vendor_id = raw[i].device_entry.vendor_id;
            info.product_id = raw[i].device_entry.product_id;
            info.bus_location = raw[i].bus_location;
            info.device_number = raw[i].devnum;
        }
    }
    free(raw);
    return result;
}

void cmtp_list_storage_into(CMTPStorageResult *result, const char *device_id)
{
    if (!result)
        return;
    memset(result, 0, sizeof *result);
    const bool kept = cached_device && device_id && strcmp(cached_id, device_id) == 0;
    LIBMTP_mtpdevice_t *device = open_device(*result, device_id);
    if (!device)
        return;
    bool ok = refresh_storages(device);
    // A kept handle whose session died (a refused request ends it on some phones, and a phone
    // can drop it while locked) fails everything asked of it. Listing storages is where a
    // Refresh starts, so it gets one fresh session before it reports a failure.
    if (!ok && kept) {
        device = renew(device_id, result->error, result->code);
        if (!device)
            return;
        ok = refresh_storages(device);
    }
    if (!ok) {
        take_errors(device, result->error, "Could not list MTP storage");
        result->code = CMTP_RESULT_DEVICE_REFUSED;
        return;
    }
    result->ok = 1;
    for (LIBMTP_devicestorage_t *storage = device->storage; storage && result->count < kMaxStorages;
         storage = storage->next)
        fill_storage(result->storages[result->count++], *storage);
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

void cmtp_close_device(void)
{
    release(true);
}

void cmtp_set_close_listener(cmtp_close_listener listener, void *context)
{
    close_listener = listener;
    close_context = context;
}

} // extern "C"
