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
    char name[256]; /* libmtp's product name, or "Android phone" when it is missing or empty */
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
    char parent_id[64]; /* the folder holding the object; empty in the storage root (MTP's parent 0) */
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

/* ---- Later additions ----
 *
 * Newer calls sit beside the ones above, which keep working as they always did. Their
 * results carry a code from this small closed set next to `ok` and `error`, so a caller
 * can tell a cancelled transfer from a vanished phone without reading the text. */
typedef enum CMTPResultCode {
    CMTP_RESULT_OK = 0,             /* done */
    CMTP_RESULT_CANCELLED = 1,      /* the progress callback asked to stop; nothing was left behind */
    CMTP_RESULT_DEVICE_GONE = 2,    /* the phone is not there or stopped answering; its handle is closed */
    CMTP_RESULT_LOCAL_FILE = 3,     /* a local file could not be opened, read, created or written */
    CMTP_RESULT_DEVICE_REFUSED = 4, /* the phone answered with an error; the text is libmtp's */
    CMTP_RESULT_OTHER = 5           /* anything else: a bad argument, no memory */
} CMTPResultCode;

/* A short static English text for each code ("ok", "cancelled", "device gone", "local file
 * problem", "device refused", "other"); "unknown" for any other value. Touches no device. */
const char *cmtp_result_code_text(int32_t code);

typedef struct CMTPTransferResultV2 {
    int32_t ok;   /* 1 on success */
    int32_t code; /* a CMTPResultCode */
    char error[512];
} CMTPTransferResultV2;

/* Told how far a transfer has come: bytes of the file moved so far and its size (libmtp's
 * own counts include a protocol header; these do not). Runs on the lane, inside the transfer
 * call, about every 16 KiB. Return 0 to go on and anything else to stop the transfer. `sent`
 * can reach `total` before the transfer has finished: only the call's return says it is done.
 * A transfer that succeeds ends with one more call whose `sent` and `total` are both the
 * file's exact size (its answer is then ignored). It must return normally and must not call
 * the bridge. */
typedef int (*cmtp_progress_callback)(uint64_t sent, uint64_t total, void *context);

/* cmtp_download_file with progress and a way to stop. The content goes into a hidden file
 * in the destination's folder that the bridge creates and writes itself, and that replaces
 * the destination only once complete; on any failure or cancel it is removed and whatever
 * was at `local_path` stays untouched. The result keeps the mode of the file it replaces,
 * or gets 0666 minus the umask. After a failure or a cancel one cheap request checks the
 * phone's session; a dead session is closed and the phone opened once more, so the next
 * call works without a new scan; a phone that cannot be opened again is DEVICE_GONE.
 * Codes: CANCELLED; LOCAL_FILE ("Not enough space on the computer's disk for <name>.",
 * "Could not write <name> on the computer: <system error>.", "Could not create a temporary
 * file for the download: <system error>", "Could not save the download: <system error>");
 * DEVICE_GONE and DEVICE_REFUSED (libmtp's last error text, else "MTP download failed");
 * OTHER ("Invalid MTP file id", "Invalid local download path"); and the device-open texts
 * as DEVICE_GONE. `progress` may be null; `context` is only handed to it. */
CMTPTransferResultV2 cmtp_download_file_v2(const char *device_id, const char *file_id, const char *local_path,
                                           cmtp_progress_callback progress, void *context);

/* cmtp_download_file_v2 that never replaces anything: when a file is already at
 * `local_path` as the download finishes, it fails with LOCAL_FILE ("<name> already exists
 * on the computer.") and both files stay as they were. */
CMTPTransferResultV2 cmtp_download_new_file(const char *device_id, const char *file_id, const char *local_path,
                                            cmtp_progress_callback progress, void *context);

/* cmtp_download_new_file into the folder open as `folder_fd` (from open() with O_PATH or
 * O_RDONLY, and O_DIRECTORY), under `name`, which holds no "/". Many files into one folder
 * then look the folder up once instead of twice per file. A name with "/" is OTHER
 * ("Invalid local download path"); the other results are those of cmtp_download_new_file. */
CMTPTransferResultV2 cmtp_download_new_file_at(const char *device_id, const char *file_id, int folder_fd,
                                               const char *name, cmtp_progress_callback progress, void *context);

/* cmtp_upload_file with progress and a way to stop, that names the new object `remote_name`
 * (null or empty: the local path's last component; a name holding '/' is refused). The
 * local file is opened once and sent from that descriptor. After a failure or a cancel the
 * session is checked as for downloads, and an object the phone created for this upload is
 * deleted if it still exists under this name and parent, so no partial file stays behind.
 * Codes: as for downloads; LOCAL_FILE also for "Could not read <name>: <system error>." and
 * "Local upload path is not a regular file"; OTHER for bad ids, path or name. */
CMTPTransferResultV2 cmtp_upload_file_v2(const char *device_id, const char *storage_id, const char *local_path,
                                         const char *parent_id, const char *remote_name,
                                         cmtp_progress_callback progress, void *context);

typedef struct CMTPFolderResult {
    int32_t ok;
    int32_t code;
    char id[64]; /* the new folder's id on success */
    char error[512];
} CMTPFolderResult;

/* Creates folder `name` inside `parent_id` (null or empty: the root) of `storage_id`.
 * Codes: OTHER for bad ids or a name that is empty, "." or "..", or holds '/'
 * ("Invalid folder name"); the device-open texts as DEVICE_GONE; DEVICE_REFUSED with
 * libmtp's text, else "Could not create the folder", when the phone says no. */
CMTPFolderResult cmtp_create_folder(const char *device_id, const char *storage_id, const char *parent_id,
                                    const char *name);

/* One object of a folder, with what the newer listing adds. */
typedef struct CMTPDirectoryEntryV2 {
    char id[64];
    char name[256];
    char parent_id[64];
    int32_t is_folder;
    int64_t size_bytes;
    int64_t modified_at; /* seconds since 1970-01-01 UTC; 0 when the phone gives none */
} CMTPDirectoryEntryV2;

typedef void (*cmtp_directory_entry_v2_callback)(const CMTPDirectoryEntryV2 *entry, void *context);

typedef struct CMTPListingResult {
    int32_t ok;
    int32_t code;
    int32_t complete; /* 0 when the phone answered but could not describe some objects */
    int32_t count;    /* objects handed to the callback */
    char error[512];
} CMTPListingResult;

/* Lists the objects directly inside `parent_id` of `storage_id`, however many, handing each
 * to callback(entry, context) in libmtp's order; `entry` lives only during the call. When
 * libmtp returns objects but leaves errors behind, one cheap request tells a broken
 * connection (the listing fails, DEVICE_GONE, and the callback is not called at all) from a
 * phone that skipped some objects (ok, `complete` 0). Failure texts as for
 * cmtp_list_directory_into. */
CMTPListingResult cmtp_list_directory_v2(const char *device_id, const char *storage_id, const char *parent_id,
                                         cmtp_directory_entry_v2_callback callback, void *context);

/* Closes the open device, if any, on purpose: at quit, after the last transfer has left the
 * lane. The next call opens it again. */
void cmtp_close_device(void);

/* Told just before the bridge closes a device it opened: on purpose, for another device,
 * or to start a new session after a failure. Closing can reset a phone, which then leaves
 * and comes back on the bus; a listener can tell its hot-plug watch to let that pass. It
 * runs on the lane, inside the bridge call, and must not call the bridge. Null removes it;
 * `context` is only handed back. */
typedef void (*cmtp_close_listener)(uint32_t bus_location, uint8_t device_number, void *context);
void cmtp_set_close_listener(cmtp_close_listener listener, void *context);

#ifdef __cplusplus
}
#endif

#endif /* TARVEL_CMTPBRIDGE_H */
