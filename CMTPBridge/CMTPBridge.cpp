// The bridge over libmtp: turns libmtp's lists, allocated strings and error stack into
// the fixed-size records of CMTPBridge.h, and keeps one device open between calls.

#include "CMTPBridge/CMTPBridge.h"

#include <libmtp.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char *kNotAvailable = "MTP device is not connected or not available";
constexpr const char *kScanFailed = "MTP device scan failed";
constexpr uint32_t kRootFolder = LIBMTP_FILES_AND_FOLDERS_ROOT;
constexpr int kMaxDevices = 16;
constexpr int kMaxStorages = 16;
constexpr int kMaxEntries = 512;

LIBMTP_mtpdevice_t *cmtp_cached_device = nullptr;
char cmtp_cached_device_id[64];
bool cmtp_cleanup_registered = false;

template <size_t N>
void cmtp_set_text(char (&dst)[N], const char *text)
{
    snprintf(dst, N, "%s", text ? text : "");
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
    cmtp_set_text(entry->name, file->filename && file->filename[0] != '\0' ? file->filename : "Untitled");
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
            cmtp_set_text(info.name, raw.device_entry.product ? raw.device_entry.product : "Android phone");
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
        const char *description = storage->StorageDescription;
        cmtp_set_text(info.name, description && description[0] != '\0' ? description : "Android storage");
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
    while (files) {
        LIBMTP_file_t *next = files->next;
        LIBMTP_destroy_file_t(files);
        files = next;
    }
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
        // libmtp fills in item_id once the device has created the object; when the content
        // then fails to arrive, the object is a truncated file that must not stay behind.
        if (description->item_id != 0) {
            LIBMTP_Delete_Object(device, description->item_id);
            cmtp_clear_errorstack(device);
        }
    }
    LIBMTP_destroy_file_t(description);
    return result;
}

} // extern "C"
