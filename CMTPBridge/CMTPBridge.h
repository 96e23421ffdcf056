#ifndef TARVEL_CMTPBRIDGE_H
#define TARVEL_CMTPBRIDGE_H

/*
 * The native MTP bridge: the only code that talks to libmtp.
 *
 * Only what this header declares is API. Every call belongs on the one operation
 * lane: the bridge has no locks, and its device cache and libmtp itself may be used
 * by one call at a time. No record ever holds memory the caller must free; every
 * text field is a NUL-terminated string inside the record, and every operation
 * zero-fills its record first. A record's `ok` is 1 on success and 0 on failure, and
 * its `error` text then says what failed; the texts reach the user unchanged.
 *
 * Devices are named by the id text "mtp-<bus>-<devnum>-<vendor hex4>-<product hex4>",
 * compared whole and never parsed. Storage, file and folder ids are the decimal texts
 * of 32-bit MTP ids; a null or empty parent id means the root of the storage.
 *
 * The bridge keeps the last device it opened open between calls; naming another
 * device closes it first, and process exit closes it.
 */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Result of a download or an upload. */
typedef struct CMTPTransferResult {
    int32_t ok;
    char error[512];
} CMTPTransferResult;

typedef struct CMTPBridgeStatus {
    int32_t available;   /* always 1 */
    const char *message; /* static text, valid for the life of the process */
} CMTPBridgeStatus;

/* One detected device. */
typedef struct CMTPDeviceInfo {
    char id[64];
    char name[256]; /* libmtp's product name, or "Android phone" when it has none */
    uint16_t vendor_id;
    uint16_t product_id;
    uint32_t bus_location;
    uint8_t device_number;
} CMTPDeviceInfo;

typedef struct CMTPScanResult {
    int32_t ok;
    int32_t count; /* filled slots of devices, 0 to 16 */
    CMTPDeviceInfo devices[16];
    char error[512];
} CMTPScanResult;

/* One storage of the open device. A size above INT64_MAX is stored as -1. */
typedef struct CMTPStorageInfo {
    char id[64];
    char name[256]; /* description, or "Android storage" when it is missing or empty */
    int64_t capacity_bytes;
    int64_t free_bytes;
} CMTPStorageInfo;

/* Large: allocate it on the heap. */
typedef struct CMTPStorageResult {
    int32_t ok;
    int32_t count; /* filled slots of storages, 0 to 16 */
    CMTPStorageInfo storages[16];
    char error[512];
} CMTPStorageResult;

/* One object of a folder. */
typedef struct CMTPDirectoryEntry {
    char id[64];
    char name[256]; /* file name, or "Untitled" when it is missing or empty */
    char parent_id[64];
    int32_t is_folder;  /* 1 for a folder, else 0 */
    int64_t size_bytes; /* -1 when above INT64_MAX */
} CMTPDirectoryEntry;

/* Large (about 200 KB): allocate it on the heap. */
typedef struct CMTPDirectoryResult {
    int32_t ok;
    int32_t count; /* filled slots of entries, 0 to 512 */
    CMTPDirectoryEntry entries[512];
    char error[512];
} CMTPDirectoryResult;

/* Called once per object of a listed folder, in libmtp's order. `entry` is valid
 * only during the call; copy what you keep. The callback must return normally (no
 * exception, no longjmp: libmtp's list is freed after the last call) and must not
 * call the bridge. */
typedef void (*cmtp_directory_entry_callback)(const CMTPDirectoryEntry *entry, void *context);

/* Touches no device: available 1 and the static message "libmtp headers are available". */
CMTPBridgeStatus cmtp_bridge_status(void);

/* Lists the attached MTP devices, at most 16, in libmtp's order; no device attached is
 * a success with count 0. Opens no device and leaves the open device as it is.
 * Failure text: "MTP device scan failed". */
CMTPScanResult cmtp_scan_devices(void);

/* Fills *result (nothing happens when it is null) with the storages of the device,
 * at most 16, in the device's order. Once opened, the device stays open, also when
 * the listing fails. When the handle kept open for this device fails (its session
 * may have died), it is closed and the device opened once more before the failure
 * is reported, so a Refresh recovers a phone whose session broke.
 * Failure texts: the device-open texts ("MTP device is not connected or not available",
 * "MTP device scan failed", "Could not open MTP device; unlock the phone and choose
 * File transfer"), else libmtp's last error text, else "Could not list MTP storage".
 * `device_id` is read during the call only. */
void cmtp_list_storage_into(CMTPStorageResult *result, const char *device_id);

/* Accessors that accept null: ok and count read 0, the error text reads "" (a static
 * string), and an index outside 0..15 or past count gives an all-zero record. The
 * error pointer points into *result and lives as long as it does. */
int32_t cmtp_storage_result_ok(const CMTPStorageResult *result);
int32_t cmtp_storage_result_count(const CMTPStorageResult *result);
const char *cmtp_storage_result_error(const CMTPStorageResult *result);
CMTPStorageInfo cmtp_storage_at(const CMTPStorageResult *result, int32_t index);

/* One storage with the kind of medium it is. `storage_type` is MTP's StorageType as the
 * device reports it: 1 fixed ROM, 2 removable ROM, 3 fixed RAM, 4 removable RAM, 0 (or
 * anything else) undefined. Phones report their own memory as fixed and a memory card
 * as removable. */
typedef struct CMTPStorageDetails {
    CMTPStorageInfo info;
    uint16_t storage_type;
} CMTPStorageDetails;

/* Large: allocate it on the heap. */
typedef struct CMTPStorageDetailsResult {
    int32_t ok;
    int32_t count; /* filled slots of storages, 0 to 16 */
    CMTPStorageDetails storages[16];
    char error[512];
} CMTPStorageDetailsResult;

/* Does what cmtp_list_storage_into does, with the same failure texts, the same opening
 * and reopening of the device and the same `info` of each storage, and also reports each
 * storage's type. Nothing happens when `result` is null. `device_id` is read during the
 * call only. */
void cmtp_list_storage_details_into(CMTPStorageDetailsResult *result, const char *device_id);

/* Fills *result (nothing happens when it is null) with the objects directly inside
 * `parent_id` of `storage_id`, at most the first 512 in libmtp's order; `count` says
 * how many. Equivalent to cmtp_list_directory_each(result, ..., NULL, NULL).
 * Failure texts, in the order they are checked: the device-open texts (the device is
 * opened before the ids are read), "Invalid MTP storage id", "Invalid MTP parent id",
 * then libmtp's last error text, else "Could not list MTP directory". An empty folder
 * is a success with count 0. The text arguments are read during the call only. */
void cmtp_list_directory_into(CMTPDirectoryResult *result, const char *device_id, const char *storage_id,
                              const char *parent_id);

/* Does everything cmtp_list_directory_into does to *result, from the same single
 * libmtp listing, and in addition, when the listing succeeds and `callback` is not
 * null, calls callback(entry, context) once for every object of the folder, however
 * many there are, in libmtp's order (the first 512 included). Nothing happens when
 * `result` is null; on failure the callback is not called. */
void cmtp_list_directory_each(CMTPDirectoryResult *result, const char *device_id, const char *storage_id,
                              const char *parent_id, cmtp_directory_entry_callback callback, void *context);

/* Same accessors as for the storage result, with indexes 0..511. */
int32_t cmtp_directory_result_ok(const CMTPDirectoryResult *result);
int32_t cmtp_directory_result_count(const CMTPDirectoryResult *result);
const char *cmtp_directory_result_error(const CMTPDirectoryResult *result);
CMTPDirectoryEntry cmtp_directory_entry_at(const CMTPDirectoryResult *result, int32_t index);

/* Copies device file `file_id` to `local_path`. The content goes into a new hidden
 * file in the destination's folder that replaces the destination only once the whole
 * file has arrived, so a failed download leaves whatever was at `local_path` untouched.
 * The result keeps the mode of the file it replaces, or gets 0666 minus the umask.
 * Failure texts: "Invalid MTP file id", "Invalid local download path", the device-open
 * texts, "Could not create a temporary file for the download: <system error>",
 * libmtp's last error text, else "MTP download failed", and
 * "Could not save the download: <system error>" when the finished file cannot take
 * the destination's place. The text arguments are read during the call only. */
CMTPTransferResult cmtp_download_file(const char *device_id, const char *file_id, const char *local_path);

/* Copies the regular local file at `local_path` into folder `parent_id` (null or empty:
 * the root) of `storage_id`, named after the path's last component. When the copy
 * fails after the device created the object, that object is deleted again, so no
 * partial file stays on the phone. Failure texts: "Invalid local upload path",
 * "Invalid MTP storage id", "Invalid MTP parent id", "Could not read local file
 * metadata: <system error>", "Local upload path is not a regular file", "Local upload
 * file size is invalid", "Invalid local upload filename", the device-open texts,
 * "Could not allocate MTP file metadata", "Could not allocate MTP upload filename",
 * libmtp's last error text, else "MTP upload failed". The text arguments are read
 * during the call only. */
CMTPTransferResult cmtp_upload_file(const char *device_id, const char *storage_id, const char *local_path,
                                    const char *parent_id);

#ifdef __cplusplus
}
#endif

#endif /* TARVEL_CMTPBRIDGE_H */
