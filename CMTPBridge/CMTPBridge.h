#ifndef TARVEL_CMTPBRIDGE_H
#define TARVEL_CMTPBRIDGE_H

/*
 * The native MTP bridge: the only code that talks to libmtp.
 *
 * Only what this header declares is API. Every call belongs on the one operation lane:
 * the bridge has no locks, and its device cache and libmtp itself may be used by one call
 * at a time. Callbacks run on the lane, inside the call they were given to; they must
 * return normally (no exception, no longjmp) and must not call the bridge. No record ever
 * holds memory the caller must free: every text field is a NUL-terminated string inside
 * the record (a longer text is cut to the field), and every call zero-fills its record
 * first. Text arguments are read during the call only.
 *
 * Every result carries `ok` (1 on success, else 0), a `code` from CMTPResultCode that
 * says what kind of failure it was, and an `error` text that says what failed. The text
 * is detail (libmtp's own words, or the bridge's for its own checks); it is not worded
 * for the user: callers word a failure from its code.
 *
 * Devices are named by the id text "mtp-<bus>-<devnum>-<vendor hex4>-<product hex4>",
 * compared whole and never parsed. Storage, file and folder ids are the decimal texts of
 * 32-bit MTP ids: what strtoul reads whole (leading blanks and a sign included), up to
 * 4294967295. A null or empty parent id means the root of the storage, as does
 * "4294967295".
 *
 * The bridge keeps the last device it opened open between calls; naming another device
 * closes it first, and process exit closes it.
 */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What kind of failure a result reports. */
typedef enum CMTPResultCode {
    CMTP_RESULT_OK = 0,
    CMTP_RESULT_CANCELLED = 1,      /* the progress callback asked to stop; nothing was left behind */
    CMTP_RESULT_DEVICE_GONE = 2,    /* the phone is not on the bus, or left it during the call */
    CMTP_RESULT_LOCAL_FILE = 3,     /* a file on the computer could not be opened, read, created or written */
    CMTP_RESULT_DEVICE_REFUSED = 4, /* the phone answered with an error; the text is libmtp's */
    CMTP_RESULT_OTHER = 5           /* anything else: a bad argument, a phone that will not open, no memory */
} CMTPResultCode;

/* Result of a download or an upload. */
typedef struct CMTPTransferResult {
    int32_t ok;
    char error[512];
    int32_t code;         /* a CMTPResultCode */
    int32_t system_error; /* with CMTP_RESULT_LOCAL_FILE, the errno of the call that failed (ENOSPC,
                             EDQUOT, ENOENT...), or 0 when no system call failed; else 0 */
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
    int32_t code;
} CMTPScanResult;

/* One storage of the open device. A size above INT64_MAX is stored as -1. */
typedef struct CMTPStorageInfo {
    char id[64];
    char name[256]; /* description, or "Android storage" when it is missing or empty */
    int64_t capacity_bytes;
    int64_t free_bytes;
    uint16_t storage_type; /* MTP's StorageType as the device reports it: 1 fixed ROM, 2 removable ROM,
                              3 fixed RAM, 4 removable RAM, anything else undefined. Phones report
                              their own memory as fixed and a memory card as removable. */
} CMTPStorageInfo;

/* Large: allocate it on the heap. */
typedef struct CMTPStorageResult {
    int32_t ok;
    int32_t count; /* filled slots of storages, 0 to 16 */
    CMTPStorageInfo storages[16];
    char error[512];
    int32_t code;
} CMTPStorageResult;

/* One object of a folder. */
typedef struct CMTPDirectoryEntry {
    char id[64];
    char name[256];      /* file name, or "Untitled" when it is missing or empty */
    char parent_id[64];  /* the folder holding the object; empty in the storage root (MTP's parent 0) */
    int32_t is_folder;   /* 1 for a folder, else 0 */
    int64_t size_bytes;  /* -1 when above INT64_MAX; 0 for an empty file */
    int64_t modified_at; /* seconds since 1970-01-01 UTC; 0 when the phone gives none */
} CMTPDirectoryEntry;

/* The first 512 objects of a folder. Large (about 200 KB): allocate it on the heap. */
typedef struct CMTPDirectoryResult {
    int32_t ok;
    int32_t count; /* filled slots of entries, 0 to 512; nothing says when the folder held more */
    CMTPDirectoryEntry entries[512];
    char error[512];
    int32_t code;
    int32_t complete; /* with ok: 0 when the phone answered but could not describe some objects */
} CMTPDirectoryResult;

/* Result of a listing handed out object by object. */
typedef struct CMTPListingResult {
    int32_t ok;
    int32_t code;
    int32_t complete; /* with ok: 0 when the phone answered but could not describe some objects */
    int32_t count;    /* objects handed to the callback */
    char error[512];
} CMTPListingResult;

typedef struct CMTPFolderResult {
    int32_t ok;
    int32_t code;
    char id[64]; /* the new folder's id on success */
    char error[512];
} CMTPFolderResult;

/* Called once per object of a listed folder, in libmtp's order, only once the listing has
 * succeeded. `entry` is valid only during the call: copy what you keep. */
typedef void (*cmtp_directory_entry_callback)(const CMTPDirectoryEntry *entry, void *context);

/* Told how far a transfer has come: bytes of the file moved so far and its size (libmtp's
 * own counts include a protocol header; these do not), about every 16 KiB. Return 0 to go on
 * and anything else to stop the transfer. `sent` can reach `total` before the transfer has
 * finished: only the call's return says it is done. A transfer that succeeds ends with one
 * more call whose `sent` and `total` are both the file's exact size (its answer is then
 * ignored). */
typedef int (*cmtp_progress_callback)(uint64_t sent, uint64_t total, void *context);

/* ---- What every call that names a device shares ----
 * Opening it: "MTP device is not connected or not available" (a null or empty id, or no phone
 * with this id on the bus) is DEVICE_GONE; "MTP device scan failed" (libusb could not list the
 * bus) and "Could not open MTP device; unlock the phone and choose File transfer" (the phone
 * is there but will not open: locked, or held by another program) are OTHER.
 * A failure inside libmtp: the result's text is libmtp's last non-empty error text, else the
 * call's own fallback. One cheap request then asks whether the session still answers: a phone
 * that answers refused (DEVICE_REFUSED); a dead session is replaced by a new one when the phone
 * is still on the bus (DEVICE_REFUSED too, and the next call works without a new scan); a
 * phone no longer on the bus is let go of (DEVICE_GONE). Otherwise an open device stays open
 * after any failure. */

/* Touches no device: available 1 and the static message "libmtp headers are available". */
CMTPBridgeStatus cmtp_bridge_status(void);

/* Lists the attached MTP devices, at most 16, in libmtp's order; no device attached is a
 * success with count 0. Opens no device and leaves the open device as it is.
 * Failure: "MTP device scan failed" (OTHER). */
CMTPScanResult cmtp_scan_devices(void);

/* Fills *result (nothing happens when it is null) with the storages of the device, at most
 * 16, in the device's order. When the handle kept open for this device fails, a phone still
 * on the bus gets a new session before the failure is reported, so a Refresh recovers a phone
 * whose session broke. Failures: the device-open texts; libmtp's, with the fallback "Could not
 * list MTP storage" (DEVICE_REFUSED). */
void cmtp_list_storage_into(CMTPStorageResult *result, const char *device_id);

/* Accessors that accept null: ok and count read 0, the error text reads "" (a static
 * string), and an index outside 0..15 or past count gives an all-zero record. The error
 * pointer points into *result and lives as long as it does. */
int32_t cmtp_storage_result_ok(const CMTPStorageResult *result);
int32_t cmtp_storage_result_count(const CMTPStorageResult *result);
const char *cmtp_storage_result_error(const CMTPStorageResult *result);
CMTPStorageInfo cmtp_storage_at(const CMTPStorageResult *result, int32_t index);

/* Hands each object directly inside `parent_id` of `storage_id`, however many, to
 * callback(entry, context) in libmtp's order (`callback` may be null). Failures, in the
 * order they are checked: the device-open texts (the device is opened before the ids are
 * read), "Invalid MTP storage id" and "Invalid MTP parent id" (OTHER); then libmtp's, with
 * the fallback "Could not list MTP directory". libmtp returning nothing with errors, or
 * objects with errors from a session that then does not answer, is a failure: a part of a
 * folder never passes for the whole, and on any failure the callback is not called at all.
 * Objects with errors from a phone that still answers (it could not describe some of them)
 * give ok with `complete` 0. An empty folder is a success with count 0. */
CMTPListingResult cmtp_list_directory_each(const char *device_id, const char *storage_id, const char *parent_id,
                                           cmtp_directory_entry_callback callback, void *context);

/* cmtp_list_directory_each into *result (nothing happens when it is null): the first 512
 * objects in `entries`, and ok, code, complete and the error text as above. */
void cmtp_list_directory_into(CMTPDirectoryResult *result, const char *device_id, const char *storage_id,
                              const char *parent_id);

/* Same accessors as for the storage result, with indexes 0..511. */
int32_t cmtp_directory_result_ok(const CMTPDirectoryResult *result);
int32_t cmtp_directory_result_count(const CMTPDirectoryResult *result);
const char *cmtp_directory_result_error(const CMTPDirectoryResult *result);
CMTPDirectoryEntry cmtp_directory_entry_at(const CMTPDirectoryResult *result, int32_t index);

/* Copies device file `file_id` into the folder open as `folder_fd` (from open() with O_PATH
 * or O_RDONLY, and O_DIRECTORY; the bridge neither closes nor keeps it), under `name`, which
 * is one name, not a path. The content goes into a new hidden file in that folder that takes
 * the name only once the whole file has arrived and is on the disk; on any failure or cancel
 * it is removed (but see `part_tag`), and whatever had the name stays untouched. With `replace` 0 a file that has
 * the name by then is never replaced: the call fails (LOCAL_FILE, EEXIST) and both stay. A
 * replaced file keeps its permission bits; a new one gets 0666 less the umask. With
 * `modified_at` above 0 (seconds since 1970-01-01 UTC, as listings give it) the file takes it
 * as its modification time, where the file system keeps one. The file is flushed (fsync)
 * before it takes its name; its name lasts a crash or a pulled power cord once the folder is
 * flushed too (cmtp_flush_folder), which the caller does once for all the files it put in
 * the folder, before any of them counts as done. `progress` may be null; `context` is only
 * handed to it.
 * With a `part_tag` (null or empty: none; else up to 40 letters, digits and '-') the hidden
 * file is named from `name` and the tag, ".<name>.part-<tag>", and a copy cut by a cancel or by
 * the phone keeps it, flushed, so a later call with the same tag goes on from its bytes,
 * reading only the rest of the file with partial reads (4 MiB each; progress then starts at
 * the bytes kept). It starts over where the phone refuses partial reads or its file is now
 * shorter than the part; a part as long as the file only takes its name. A copy that failed
 * on the computer's side removes the part all the same.
 * Failures, in the order they are checked: "Invalid MTP file id" and "Invalid local
 * download path" (OTHER: a null or empty name, ".", "..", or one holding '/'; a tag of other
 * characters); the device-open texts; LOCAL_FILE with system_error: "Could not save the download: <system
 * text>" (the name is a folder, the file cannot take its place or cannot be flushed), "Could not
 * create a temporary file for the download: <system text>", "Could not write the download:
 * <system text>" (a full disk is ENOSPC or EDQUOT); CANCELLED ("Download cancelled"); and
 * libmtp's, with the fallback "MTP download failed". */
CMTPTransferResult cmtp_download_file_at(const char *device_id, const char *file_id, int folder_fd, const char *name,
                                         const char *part_tag, int replace, int64_t modified_at,
                                         cmtp_progress_callback progress, void *context);

/* Flushes the folder open as `folder_fd` (O_PATH will do), so the names given in it last; a
 * file system that cannot flush folders counts as flushed. Else LOCAL_FILE with
 * system_error, "Could not save the download: <system text>": the files put there are in
 * place but not safe. */
CMTPTransferResult cmtp_flush_folder(int folder_fd);

/* cmtp_download_file_at into the folder of `local_path` under its last component, replacing
 * what is there, without progress, and the folder flushed after it. A path that is null, empty or ends in '/' is "Invalid
 * local download path" (checked after the file id); a folder that cannot be opened is
 * "Could not create a temporary file for the download: <system text>" (LOCAL_FILE). */
CMTPTransferResult cmtp_download_file(const char *device_id, const char *file_id, const char *local_path);

/* Copies the regular local file at `local_path` into folder `parent_id` of `storage_id`,
 * named `remote_name` (null or empty: the path's last component). The file is opened once and
 * sent from that descriptor. When a copy fails after the phone created the object, that
 * object is deleted again if it is still there under this name and parent, so no partial
 * file stays on the phone; when every byte went out and only libmtp's question afterwards
 * failed, a phone that holds the whole file counts as a success. `progress` may be null.
 * Failures, in the order they are checked: "Invalid local upload path" (null or empty),
 * "Invalid MTP storage id", "Invalid MTP parent id" (OTHER); LOCAL_FILE: "Could not read
 * local file metadata: <system text>" (it cannot be opened), "Local upload path is not a
 * regular file", "Local upload file size is invalid"; "Invalid local upload filename"
 * (OTHER: the name is empty, ".", "..", or holds '/'); the device-open texts; "Could not
 * allocate MTP file metadata" and "Could not allocate MTP upload filename" (OTHER);
 * LOCAL_FILE: "Could not read the local file: <system text>", "The local file ended before
 * its size" (it shrank while it was sent); CANCELLED ("Upload cancelled"); and libmtp's, with
 * the fallback "MTP upload failed". */
CMTPTransferResult cmtp_upload_file_as(const char *device_id, const char *storage_id, const char *local_path,
                                       const char *parent_id, const char *remote_name,
                                       cmtp_progress_callback progress, void *context);

/* cmtp_upload_file_as under the local file's own name, without progress. */
CMTPTransferResult cmtp_upload_file(const char *device_id, const char *storage_id, const char *local_path,
                                    const char *parent_id);

/* Creates folder `name` inside `parent_id` (null or empty: the root) of `storage_id`, and
 * returns once the phone describes it (a phone may take a moment, and refuses files sent into
 * a folder it does not know yet). Failures: "Invalid MTP storage id", "Invalid MTP parent id",
 * "Invalid folder name" (OTHER: empty, ".", "..", or holding '/'); the device-open texts;
 * "Could not allocate MTP upload filename" (OTHER); libmtp's, with the fallback "Could not
 * create the folder". */
CMTPFolderResult cmtp_create_folder(const char *device_id, const char *storage_id, const char *parent_id,
                                    const char *name);

/* ---- Objects the caller listed ----
 * A phone numbers its objects anew in every session, so an id alone may name another object
 * by now. Each call below first checks, with the phone, that `object_id` still names an object
 * called `name` (as a listing gave it, "Untitled" included) that is a file of `size_bytes`
 * bytes, or a folder when `size_bytes` is negative. One that is gone ("The object is gone from
 * the phone", after the session check) or is another one ("The object has changed since it was
 * listed") is refused (DEVICE_REFUSED), and nothing is done to it.
 * Failures every call shares, checked first: "Invalid MTP object id", "Invalid object name"
 * (OTHER: null or empty), then the call's own arguments (OTHER), then the device-open texts,
 * then the refusals above. */

/* Told the bytes read from the phone, once per call that read any: `data` holds `size` bytes
 * and is valid only during the call: copy what you keep. */
typedef void (*cmtp_bytes_callback)(const unsigned char *data, uint32_t size, void *context);

/* Deletes the object. A folder goes as the phone deletes folders: an Android phone with
 * everything in it, others only when it is empty, so a caller that must know what went
 * deletes what a folder holds first. Failure: libmtp's, with the fallback "Could not delete
 * the object". */
CMTPTransferResult cmtp_delete_object(const char *device_id, const char *object_id, const char *name,
                                      int64_t size_bytes);

/* Renames the object to `new_name` in its folder. Own argument: "Invalid new name" (empty,
 * ".", "..", or holding '/'). Failure: libmtp's, with the fallback "Could not rename the
 * object"; phones refuse a name the folder already holds, and phones without renaming refuse
 * every one, both with libmtp's text. */
CMTPTransferResult cmtp_rename_object(const char *device_id, const char *object_id, const char *name,
                                      int64_t size_bytes, const char *new_name);

/* Hands the small picture the phone keeps for the file to `receive` (which may be null). A
 * phone that keeps none for it, or refuses the request, gives a success without bytes:
 * the caller makes its own picture. After three refusals in a session without one picture
 * given, the phone is taken to keep none at all and is not asked again in that session (a
 * phone without thumbnails refuses every request, each costing a request and a session check).
 * Failures other than the shared ones: none while the phone answers; one that does not answer
 * is DEVICE_REFUSED or DEVICE_GONE as after any failure. */
CMTPTransferResult cmtp_get_thumbnail(const char *device_id, const char *object_id, const char *name,
                                      int64_t size_bytes, cmtp_bytes_callback receive, void *context);

/* Hands `receive` (which may be null) the bytes of the file from byte `offset`: `length` of
 * them, fewer where the file ends first, none at or past its end (a success without bytes).
 * Offsets are 64-bit; a phone with only the first kind of partial read (no Android extension:
 * QEMU's is one) reads below 4 GiB only and an offset at or above that is refused, as is the
 * read on a phone that cannot read parts at all (DEVICE_REFUSED). Own argument: "Invalid part
 * of the file" (a negative offset). Failure: libmtp's, with the fallback "Could not read a part
 * of the file". */
CMTPTransferResult cmtp_read_part(const char *device_id, const char *object_id, const char *name, int64_t size_bytes,
                                  int64_t offset, uint32_t length, cmtp_bytes_callback receive, void *context);

/* ---- What the phone announces ---- */

typedef enum CMTPEventKind {
    CMTP_EVENT_OBJECT_ADDED = 1,   /* `id` is the new object's */
    CMTP_EVENT_OBJECT_REMOVED = 2, /* `id` is the object that went */
    CMTP_EVENT_STORAGE_ADDED = 3,  /* `id` is the storage's */
    CMTP_EVENT_STORAGE_REMOVED = 4,
    CMTP_EVENT_LOST = 5 /* more events came than the bridge keeps (4096) and the rest were dropped:
                           read again what is shown; `id` is empty */
} CMTPEventKind;

typedef struct CMTPPhoneEvent {
    int32_t kind; /* a CMTPEventKind */
    char id[64];  /* decimal id text */
} CMTPPhoneEvent;

/* Called once per event, in the order the phone sent them; `event` is valid only during the
 * call. */
typedef void (*cmtp_event_callback)(const CMTPPhoneEvent *event, void *context);
/* Asked before each slice of a wait; non-zero ends the wait. */
typedef int (*cmtp_stop_callback)(void *context);

/* Hands `each` (which may be null) every event the phone sent since the last call, then
 * returns. The first call for an open device starts listening to it, and the bridge goes on
 * listening until the device is closed: events that come while other calls run are kept for
 * the next call (libmtp reads them in passing, without holding up the call that runs). When
 * none has come, the call waits for one at most `wait_ms` (a negative wait is none), in slices
 * of 50 ms, and asks `should_stop` (which may be null) before each slice: non-zero returns at
 * once, so a call waiting behind this one on the lane waits at most one slice. Events that
 * announce nothing listed here (a changed object, a changed property) are left out. `context`
 * is handed to both callbacks.
 * Failures: the device-open texts; libmtp's, with the fallback "Could not read the phone's
 * events" when it could not listen or stopped listening (the session check decides the code;
 * the next call listens again). */
CMTPTransferResult cmtp_read_events(const char *device_id, int32_t wait_ms, cmtp_event_callback each,
                                    cmtp_stop_callback should_stop, void *context);

/* Closes the open device, if any, on purpose: at quit, after the last transfer has left the
 * lane. The next call opens it again. */
void cmtp_close_device(void);

/* Told just before the bridge closes a device it chose to close: by cmtp_close_device, to open
 * another device, or to start a new session with a phone that is still on the bus after a
 * failure. Closing can reset a phone, which then leaves and comes back on the bus; a listener
 * can tell its hot-plug watch to let that pass. It is not told when the bridge lets go of a
 * phone that has left, nor at process exit. Null removes it; `context` is only handed back. */
typedef void (*cmtp_close_listener)(uint32_t bus_location, uint8_t device_number, void *context);
void cmtp_set_close_listener(cmtp_close_listener listener, void *context);

#ifdef __cplusplus
}
#endif

#endif /* TARVEL_CMTPBRIDGE_H */
