#pragma once

// A scripted stand-in for libmtp, compiled against the real <libmtp.h> and linked in its
// place: the target cmtp_bridge_scripted is the bridge built over it. A test writes what
// the phone answers into the script fields below, calls the bridge, and then reads what
// libmtp was asked from the counters and logs. Like libmtp, everything is process-wide:
// call ScriptedLibmtp::reset() at the start of every test.
//
// It behaves as the real library does where the bridge could notice: detection with no
// device answers LIBMTP_ERROR_NO_DEVICE_ATTACHED, errors pile up on the device's error
// stack until cleared, and every chain and node is allocated so that the sanitizers see a
// leak or a double free. Using a device handle that was never
// opened or was already released aborts the process.

#include <libmtp.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarvel::test {

// One attached phone as raw-device detection reports it.
struct ScriptedDevice {
    uint32_t busLocation = 1;
    uint8_t deviceNumber = 2;
    uint16_t vendorId = 0x18d1;
    uint16_t productId = 0x4ee1;
    std::optional<std::string> product = "Pixel 7"; // nullopt: a null product pointer
    bool opens = true;                              // false: opening it returns null
};

struct ScriptedStorage {
    uint32_t id = 0x00010001;
    std::optional<std::string> description = "Internal shared storage"; // nullopt: null pointer
    uint64_t maxCapacity = 128'000'000'000;
    uint64_t freeSpace = 64'000'000'000;
    uint16_t storageType = 0x0003; // fixed RAM, as phones report their own memory
};

// One object of a folder.
struct ScriptedObject {
    uint32_t id = 0;
    std::optional<std::string> name; // nullopt: a null filename
    uint64_t size = 0;
    LIBMTP_filetype_t type = LIBMTP_FILETYPE_UNKNOWN;
    uint32_t parentId = 0; // as the device reports it; phones report 0 for root objects
    time_t modified = 0;
};

// What one libmtp call does: its return value, and the texts it pushes onto the device's
// error stack, in order (nullopt pushes an entry whose text is a null pointer).
struct ScriptedOutcome {
    int result = 0;
    std::vector<std::optional<std::string>> errors;
    LIBMTP_error_number_t kind = LIBMTP_ERROR_GENERAL; // the errornumber of every error pushed
};

struct ListingCall {
    uint32_t storage;
    uint32_t parent;
    friend bool operator==(const ListingCall &, const ListingCall &) = default;
};

struct DownloadCall {
    uint32_t id;
};

// The object description and the bytes the bridge handed to LIBMTP_Send_File_From_Handler.
struct UploadCall {
    std::string filename;
    uint64_t filesize;
    LIBMTP_filetype_t filetype;
    uint32_t parent;
    uint32_t storage;
    std::string content;
};

struct ScriptedLibmtp {
    // Restores every script field to its default and zeroes every counter and log. It
    // first removes the bridge's close listener and closes the device the bridge keeps open
    // (through the bridge's own API, by naming a device that is not attached), so no test
    // inherits an open device or a listener.
    static void reset();

    // ---- The script ----

    // LIBMTP_Detect_Raw_Devices: detectResult when it is not LIBMTP_ERROR_NONE; otherwise
    // LIBMTP_ERROR_NO_DEVICE_ATTACHED when devices is empty, else the devices in order.
    static inline LIBMTP_error_number_t detectResult = LIBMTP_ERROR_NONE;
    static inline std::vector<ScriptedDevice> devices;

    // LIBMTP_Get_Storage: rebuilds the handle's storage chain from storages, pushes
    // storageOutcome.errors and returns storageOutcome.result.
    static inline std::vector<ScriptedStorage> storages{ScriptedStorage{}};
    static inline ScriptedOutcome storageOutcome;

    // LIBMTP_Get_Files_And_Folders: a fresh chain of folders[parent] (no such key: null,
    // an empty folder), or null when listingOutcome.result is not 0; pushes its errors.
    // The storage asked for is only recorded.
    static inline std::map<uint32_t, std::vector<ScriptedObject>> folders;
    static inline ScriptedOutcome listingOutcome;

    // LIBMTP_Get_File_To_Handler and LIBMTP_Send_File_From_Handler move downloadContent and
    // the local file in chunks of chunkSize bytes through the bridge's handler, calling the
    // progress function after each with a total of the size plus a 12-byte header, as libmtp
    // counts. A progress function that returns non-zero stops the copy with libmtp's
    // "Cancelled transfer"; so does a handler that fails. Otherwise they return
    // downloadOutcome.result and uploadOutcome.result; a scripted failure moves half the bytes
    // first. An upload sets the description's item_id to uploadCreatesId (the object the
    // device created; 0 for none) in both outcomes, and its parent_id to the phone's (0 for the
    // root); one that got an object id and then fails leaves that object in objects (a partial
    // file on the phone) unless uploadLeavesNoObject.
    static inline std::string downloadContent = "downloaded bytes";
    static inline ScriptedOutcome downloadOutcome;
    static inline uint32_t uploadCreatesId = 900;
    static inline ScriptedOutcome uploadOutcome;
    static inline uint32_t chunkSize = 4;
    static inline bool uploadLeavesNoObject = false;
    static inline bool uploadFailsAfterLastByte = false; // a scripted failure moves every byte first
    static inline bool folderFlushFails = false;         // fsync of a folder fails with EIO

    // LIBMTP_Delete_Object: also removes the object from objects.
    static inline ScriptedOutcome deleteOutcome;
    // LIBMTP_Set_Object_Filename: renames the object in objects, unless renameOutcome fails.
    static inline ScriptedOutcome renameOutcome;
    // LIBMTP_Get_Thumbnail: thumbnails[id]; for other ids -1 with nothing on the error stack,
    // as libmtp answers any refusal.
    static inline std::map<uint32_t, std::string> thumbnails;
    // LIBMTP_GetPartialObject: at most maxbytes of contents[id] from the offset, or the failure
    // of partOutcome.
    static inline std::map<uint32_t, std::string> contents;
    static inline ScriptedOutcome partOutcome;

    // Events: LIBMTP_Read_Event_Async arms one read (failing when armFails); each
    // LIBMTP_Handle_Events_Timeout_Completed hands the armed read the first of phoneEvents
    // (its callback may arm the next, which gets the next one in the same pass), else sleeps
    // the timeout. Releasing the device drops an armed read, as libusb does.
    struct ScriptedEvent {
        int handlerResult = LIBMTP_HANDLER_RETURN_OK;
        LIBMTP_event_t event = LIBMTP_EVENT_OBJECT_ADDED;
        uint32_t param = 0;
    };
    static inline std::vector<ScriptedEvent> phoneEvents;
    static inline bool armFails = false;

    // LIBMTP_Get_Filemetadata answers from objects (id -> object); null for other ids, with
    // nothing on the error stack, as libmtp.
    static inline std::map<uint32_t, ScriptedObject> objects;
    static inline uint32_t objectsStorage = 0x00010001;

    // LIBMTP_Create_Folder: returns folderCreatesId and records the call, or 0 when
    // createFolderOutcome.result is not 0.
    static inline uint32_t folderCreatesId = 700;
    static inline ScriptedOutcome createFolderOutcome;
    // The made folder joins objects; LIBMTP_Get_Filemetadata answers null for it this many
    // times first, as libmtp does for a phone that indexes new objects in the background.
    static inline int newFolderUnknownFor = 0;

    // LIBMTP_new_file_t returns null when false.
    static inline bool canAllocateFiles = true;

    // Prints each call's name to stderr as it happens (for tests in a child process).
    static inline bool traceCalls = false;

    // ---- What libmtp was asked ----

    // Every libmtp function called, in order, and the bridge's "fsync file", "fsync folder" and
    // "rename" of a download (the test executables link them through this stand-in).
    static inline std::vector<std::string> calls;
    static inline int inits = 0;
    static inline int detections = 0;
    static inline std::vector<uint8_t> opens; // device number of every open attempt
    static inline int releases = 0;
    static inline int storageRefreshes = 0;
    static inline int errorstackClears = 0;
    static inline std::vector<ListingCall> listings;
    static inline std::vector<DownloadCall> downloads;
    static inline std::vector<UploadCall> uploads;
    static inline std::vector<uint32_t> deletedObjects;
    static inline std::vector<std::pair<uint32_t, std::string>> renames;
    static inline std::vector<std::pair<uint64_t, uint32_t>> partReads; // offset and length asked
    static inline std::vector<ScriptedObject> createdFolders; // name and parent as asked
    static inline std::vector<uint64_t> progressTotals;       // the total of every progress call
    static inline int fileNodesCreated = 0; // listing nodes and LIBMTP_new_file_t
    static inline int fileNodesDestroyed = 0;

    // Device handles handed out and not yet released.
    static int openHandles();

    // Ends the session of every handle open now, as a phone does after some refused
    // requests: from then on LIBMTP_Get_Storage on those handles fails with an I/O
    // error. Handles opened later work.
    static void breakOpenSessions();
};

} // namespace tarvel::test
