#include "tests/support/ScriptedLibmtp.h"

#include "CMTPBridge/CMTPBridge.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <algorithm>
#include <set>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using tarvel::test::ScriptedLibmtp;
using tarvel::test::ScriptedOutcome;

namespace {

std::set<LIBMTP_mtpdevice_t *> liveHandles;
std::set<LIBMTP_mtpdevice_t *> deadSessions;

// The one event read armed, as libmtp hands it to libusb.
struct ArmedRead {
    LIBMTP_mtpdevice_t *device = nullptr;
    LIBMTP_event_cb_fn callback = nullptr;
    void *data = nullptr;
};
ArmedRead armed;

void record(const char *call)
{
    ScriptedLibmtp::calls.emplace_back(call);
    if (ScriptedLibmtp::traceCalls)
        fprintf(stderr, "libmtp: %s\n", call);
}

LIBMTP_mtpdevice_t *checked(LIBMTP_mtpdevice_t *device, const char *call)
{
    record(call);
    if (!liveHandles.contains(device)) {
        fprintf(stderr, "ScriptedLibmtp: %s on a device handle that is not open\n", call);
        abort();
    }
    return device;
}

char *copyText(const std::optional<std::string> &text)
{
    return text ? strdup(text->c_str()) : nullptr;
}

// New errors go to the end of the stack, as libmtp appends them.
int answer(LIBMTP_mtpdevice_t *device, const ScriptedOutcome &outcome)
{
    LIBMTP_error_t **tail = &device->errorstack;
    while (*tail)
        tail = &(*tail)->next;
    for (const auto &text : outcome.errors) {
        auto *entry = static_cast<LIBMTP_error_t *>(calloc(1, sizeof(LIBMTP_error_t)));
        entry->errornumber = outcome.kind;
        entry->error_text = copyText(text);
        *tail = entry;
        tail = &entry->next;
    }
    return outcome.result;
}

void freeErrors(LIBMTP_mtpdevice_t *device)
{
    while (LIBMTP_error_t *entry = device->errorstack) {
        device->errorstack = entry->next;
        free(entry->error_text);
        free(entry);
    }
}

void freeStorages(LIBMTP_mtpdevice_t *device)
{
    while (LIBMTP_devicestorage_t *storage = device->storage) {
        device->storage = storage->next;
        free(storage->StorageDescription);
        free(storage);
    }
}

LIBMTP_file_t *newFileNode()
{
    auto *file = static_cast<LIBMTP_file_t *>(calloc(1, sizeof(LIBMTP_file_t)));
    file->filetype = LIBMTP_FILETYPE_UNKNOWN;
    ++ScriptedLibmtp::fileNodesCreated;
    return file;
}

// Moves `size` bytes in chunks through `step`, reporting progress after each; stops early
// (as libmtp does) on a failing step or a progress function that asks to stop.
template <typename Step>
int moveInChunks(LIBMTP_mtpdevice_t *device, uint64_t size, uint64_t stopAt, Step step,
                 LIBMTP_progressfunc_t const progress, void const *const data)
{
    const uint64_t total = size + 12;
    for (uint64_t done = 0; done < stopAt;) {
        const uint32_t length = static_cast<uint32_t>(std::min<uint64_t>(ScriptedLibmtp::chunkSize, stopAt - done));
        if (!step(done, length))
            return answer(device, {-1, {"PTP Layer error 02fe: Data expected", "Error 02fe: PTP Cancelled transfer"}});
        done += length;
        ScriptedLibmtp::progressTotals.push_back(total);
        if (progress && progress(done + 12, total, data) != 0)
            return answer(device, {-1, {"Cancelled transfer"}, LIBMTP_ERROR_CANCELLED});
    }
    return 0;
}

} // namespace

namespace tarvel::test {

void ScriptedLibmtp::reset()
{
    cmtp_set_close_listener(nullptr, nullptr);
    devices.clear();
    detectResult = LIBMTP_ERROR_NONE;
    auto flush = std::make_unique<CMTPStorageResult>();
    cmtp_list_storage_into(flush.get(), "mtp-no-such-device");

    storages = {ScriptedStorage{}};
    storageOutcome = {};
    folders.clear();
    listingOutcome = {};
    downloadContent = "downloaded bytes";
    downloadOutcome = {};
    uploadCreatesId = 900;
    uploadOutcome = {};
    deleteOutcome = {};
    renameOutcome = {};
    thumbnails.clear();
    contents.clear();
    partOutcome = {};
    phoneEvents.clear();
    armFails = false;
    chunkSize = 4;
    uploadLeavesNoObject = false;
    uploadFailsAfterLastByte = false;
    folderFlushFails = false;
    objects.clear();
    objectsStorage = 0x00010001;
    folderCreatesId = 700;
    createFolderOutcome = {};
    newFolderUnknownFor = 0;
    canAllocateFiles = true;
    traceCalls = false;

    calls.clear();
    inits = 0;
    detections = 0;
    opens.clear();
    releases = 0;
    storageRefreshes = 0;
    errorstackClears = 0;
    listings.clear();
    downloads.clear();
    uploads.clear();
    deletedObjects.clear();
    renames.clear();
    partReads.clear();
    createdFolders.clear();
    progressTotals.clear();
    fileNodesCreated = 0;
    fileNodesDestroyed = 0;
}

void ScriptedLibmtp::breakOpenSessions()
{
    deadSessions = liveHandles;
}

int ScriptedLibmtp::openHandles()
{
    return static_cast<int>(liveHandles.size());
}

} // namespace tarvel::test

extern "C" {

void LIBMTP_Init(void)
{
    record("LIBMTP_Init");
    ++ScriptedLibmtp::inits;
}

LIBMTP_error_number_t LIBMTP_Detect_Raw_Devices(LIBMTP_raw_device_t **list, int *count)
{
    record("LIBMTP_Detect_Raw_Devices");
    ++ScriptedLibmtp::detections;
    *list = nullptr;
    *count = 0;
    if (ScriptedLibmtp::detectResult != LIBMTP_ERROR_NONE)
        return ScriptedLibmtp::detectResult;
    const auto &devices = ScriptedLibmtp::devices;
    if (devices.empty())
        return LIBMTP_ERROR_NO_DEVICE_ATTACHED;
    auto *raw = static_cast<LIBMTP_raw_device_t *>(calloc(devices.size(), sizeof(LIBMTP_raw_device_t)));
    for (size_t i = 0; i < devices.size(); ++i) {
        // Like libmtp's device table, the product text is not the caller's to free.
        raw[i].device_entry.product = devices[i].product ? const_cast<char *>(devices[i].product->c_str()) : nullptr;
        raw[i].device_entry.vendor_id = devices[i].vendorId;
        raw[i].device_entry.product_id = devices[i].productId;
        raw[i].bus_location = devices[i].busLocation;
        raw[i].devnum = devices[i].deviceNumber;
    }
    *list = raw;
    *count = static_cast<int>(devices.size());
    return LIBMTP_ERROR_NONE;
}

LIBMTP_mtpdevice_t *LIBMTP_Open_Raw_Device_Uncached(LIBMTP_raw_device_t *raw)
{
    record("LIBMTP_Open_Raw_Device_Uncached");
    ScriptedLibmtp::opens.push_back(raw->devnum);
    for (const auto &device : ScriptedLibmtp::devices) {
        if (device.busLocation == raw->bus_location && device.deviceNumber == raw->devnum) {
            if (!device.opens)
                return nullptr;
            auto *handle = static_cast<LIBMTP_mtpdevice_t *>(calloc(1, sizeof(LIBMTP_mtpdevice_t)));
            handle->object_bitsize = 64;
            liveHandles.insert(handle);
            return handle;
        }
    }
    return nullptr;
}

void LIBMTP_Release_Device(LIBMTP_mtpdevice_t *device)
{
    checked(device, "LIBMTP_Release_Device");
    ++ScriptedLibmtp::releases;
    if (armed.device == device)
        armed = {};
    liveHandles.erase(device);
    deadSessions.erase(device);
    freeErrors(device);
    freeStorages(device);
    free(device);
}

LIBMTP_error_t *LIBMTP_Get_Errorstack(LIBMTP_mtpdevice_t *device)
{
    return checked(device, "LIBMTP_Get_Errorstack")->errorstack;
}

void LIBMTP_Clear_Errorstack(LIBMTP_mtpdevice_t *device)
{
    freeErrors(checked(device, "LIBMTP_Clear_Errorstack"));
    ++ScriptedLibmtp::errorstackClears;
}

int LIBMTP_Get_Storage(LIBMTP_mtpdevice_t *device, int const)
{
    checked(device, "LIBMTP_Get_Storage");
    ++ScriptedLibmtp::storageRefreshes;
    freeStorages(device);
    if (deadSessions.contains(device))
        return answer(device, ScriptedOutcome{.result = -1, .errors = {"Error 02ff: PTP I/O Error"}});
    LIBMTP_devicestorage_t **tail = &device->storage;
    LIBMTP_devicestorage_t *previous = nullptr;
    for (const auto &scripted : ScriptedLibmtp::storages) {
        auto *storage = static_cast<LIBMTP_devicestorage_t *>(calloc(1, sizeof(LIBMTP_devicestorage_t)));
        storage->id = scripted.id;
        storage->StorageDescription = copyText(scripted.description);
        storage->MaxCapacity = scripted.maxCapacity;
        storage->FreeSpaceInBytes = scripted.freeSpace;
        storage->StorageType = scripted.storageType;
        storage->prev = previous;
        *tail = previous = storage;
        tail = &storage->next;
    }
    return answer(device, ScriptedLibmtp::storageOutcome);
}

LIBMTP_file_t *LIBMTP_Get_Files_And_Folders(LIBMTP_mtpdevice_t *device, uint32_t const storage, uint32_t const parent)
{
    checked(device, "LIBMTP_Get_Files_And_Folders");
    ScriptedLibmtp::listings.push_back({storage, parent});
    if (answer(device, ScriptedLibmtp::listingOutcome) != 0)
        return nullptr;
    const auto folder = ScriptedLibmtp::folders.find(parent);
    if (folder == ScriptedLibmtp::folders.end())
        return nullptr;
    LIBMTP_file_t *head = nullptr;
    LIBMTP_file_t **tail = &head;
    for (const auto &object : folder->second) {
        LIBMTP_file_t *file = newFileNode();
        file->item_id = object.id;
        file->parent_id = object.parentId;
        file->storage_id = storage;
        file->filename = copyText(object.name);
        file->filesize = object.size;
        file->filetype = object.type;
        file->modificationdate = object.modified;
        *tail = file;
        tail = &file->next;
    }
    return head;
}

LIBMTP_file_t *LIBMTP_new_file_t(void)
{
    record("LIBMTP_new_file_t");
    return ScriptedLibmtp::canAllocateFiles ? newFileNode() : nullptr;
}

void LIBMTP_destroy_file_t(LIBMTP_file_t *file)
{
    record("LIBMTP_destroy_file_t");
    if (!file)
        return;
    ++ScriptedLibmtp::fileNodesDestroyed;
    free(file->filename);
    free(file);
}

int LIBMTP_Delete_Object(LIBMTP_mtpdevice_t *device, uint32_t id)
{
    checked(device, "LIBMTP_Delete_Object");
    ScriptedLibmtp::deletedObjects.push_back(id);
    const int result = answer(device, ScriptedLibmtp::deleteOutcome);
    if (result == 0)
        ScriptedLibmtp::objects.erase(id);
    return result;
}

int LIBMTP_Get_File_To_Handler(LIBMTP_mtpdevice_t *device, uint32_t const id, MTPDataPutFunc put, void *priv,
                               LIBMTP_progressfunc_t const progress, void const *const data)
{
    checked(device, "LIBMTP_Get_File_To_Handler");
    ScriptedLibmtp::downloads.push_back({id});
    std::string content = ScriptedLibmtp::downloadContent;
    const bool fails = ScriptedLibmtp::downloadOutcome.result != 0;
    const int moved = moveInChunks(
        device, content.size(), fails ? content.size() / 2 : content.size(),
        [&](uint64_t offset, uint32_t length) {
            uint32_t written = 0;
            return put(nullptr, priv, length, reinterpret_cast<unsigned char *>(content.data() + offset), &written)
                       == LIBMTP_HANDLER_RETURN_OK
                && written == length;
        },
        progress, data);
    return moved != 0 ? moved : answer(device, ScriptedLibmtp::downloadOutcome);
}

int LIBMTP_Send_File_From_Handler(LIBMTP_mtpdevice_t *device, MTPDataGetFunc get, void *priv,
                                  LIBMTP_file_t *const file, LIBMTP_progressfunc_t const progress,
                                  void const *const data)
{
    checked(device, "LIBMTP_Send_File_From_Handler");
    ScriptedLibmtp::uploads.push_back({file->filename ? file->filename : "", file->filesize, file->filetype,
                                       file->parent_id, file->storage_id, std::string()});
    // Like libmtp, the description takes the phone's own numbers once the object is made: a
    // phone reports the root as parent 0.
    file->item_id = ScriptedLibmtp::uploadCreatesId;
    file->parent_id = file->parent_id == LIBMTP_FILES_AND_FOLDERS_ROOT ? 0 : file->parent_id;
    if (file->item_id != 0)
        ScriptedLibmtp::objects[file->item_id] = {file->item_id, file->filename ? std::optional<std::string>(file->filename)
                                                                                : std::nullopt,
                                                  0, LIBMTP_FILETYPE_UNKNOWN, file->parent_id};
    std::string &content = ScriptedLibmtp::uploads.back().content;
    const bool fails = ScriptedLibmtp::uploadOutcome.result != 0;
    int result = moveInChunks(
        device, file->filesize, fails && !ScriptedLibmtp::uploadFailsAfterLastByte ? file->filesize / 2 : file->filesize,
        [&](uint64_t, uint32_t length) {
            std::string chunk(length, '\0');
            uint32_t got = 0;
            if (get(nullptr, priv, length, reinterpret_cast<unsigned char *>(chunk.data()), &got) != LIBMTP_HANDLER_RETURN_OK)
                return false;
            content += chunk.substr(0, got);
            return got == length;
        },
        progress, data);
    if (result == 0)
        result = answer(device, ScriptedLibmtp::uploadOutcome);
    if (result != 0 && ScriptedLibmtp::uploadLeavesNoObject)
        ScriptedLibmtp::objects.erase(file->item_id);
    return result;
}

LIBMTP_file_t *LIBMTP_Get_Filemetadata(LIBMTP_mtpdevice_t *device, uint32_t const id)
{
    checked(device, "LIBMTP_Get_Filemetadata");
    const auto found = ScriptedLibmtp::objects.find(id);
    const bool unknownYet = id == ScriptedLibmtp::folderCreatesId && ScriptedLibmtp::newFolderUnknownFor-- > 0;
    if (found == ScriptedLibmtp::objects.end() || deadSessions.contains(device) || unknownYet)
        return nullptr; // libmtp says nothing of why
    LIBMTP_file_t *file = newFileNode();
    file->item_id = id;
    file->parent_id = found->second.parentId;
    file->storage_id = ScriptedLibmtp::objectsStorage;
    file->filename = copyText(found->second.name);
    file->filesize = found->second.size;
    file->filetype = found->second.type;
    return file;
}

int LIBMTP_Set_Object_Filename(LIBMTP_mtpdevice_t *device, uint32_t id, char *name)
{
    checked(device, "LIBMTP_Set_Object_Filename");
    ScriptedLibmtp::renames.emplace_back(id, name);
    const int result = answer(device, ScriptedLibmtp::renameOutcome);
    if (result == 0)
        ScriptedLibmtp::objects[id].name = name;
    return result;
}

// What libmtp allocates and the caller frees, in both outcomes.
unsigned char *copyBytes(const std::string &bytes)
{
    auto *data = static_cast<unsigned char *>(malloc(bytes.size() + 1));
    memcpy(data, bytes.data(), bytes.size());
    return data;
}

int LIBMTP_Get_Thumbnail(LIBMTP_mtpdevice_t *device, uint32_t const id, unsigned char **data, unsigned int *size)
{
    checked(device, "LIBMTP_Get_Thumbnail");
    const auto found = ScriptedLibmtp::thumbnails.find(id);
    if (found == ScriptedLibmtp::thumbnails.end())
        return -1;
    *data = copyBytes(found->second);
    *size = static_cast<unsigned int>(found->second.size());
    return 0;
}

int LIBMTP_GetPartialObject(LIBMTP_mtpdevice_t *device, uint32_t const id, uint64_t offset, uint32_t maxbytes,
                            unsigned char **data, unsigned int *size)
{
    checked(device, "LIBMTP_GetPartialObject");
    ScriptedLibmtp::partReads.emplace_back(offset, maxbytes);
    const std::string &content = ScriptedLibmtp::contents[id];
    const std::string part = offset < content.size() ? content.substr(offset, maxbytes) : std::string();
    *data = copyBytes(part);
    *size = static_cast<unsigned int>(part.size());
    return answer(device, ScriptedLibmtp::partOutcome);
}

int LIBMTP_Read_Event_Async(LIBMTP_mtpdevice_t *device, LIBMTP_event_cb_fn callback, void *data)
{
    checked(device, "LIBMTP_Read_Event_Async");
    if (ScriptedLibmtp::armFails || armed.callback)
        return -1;
    armed = {device, callback, data};
    return 0;
}

int LIBMTP_Handle_Events_Timeout_Completed(struct timeval *timeout, int *completed)
{
    record("LIBMTP_Handle_Events_Timeout_Completed");
    auto &events = ScriptedLibmtp::phoneEvents;
    if (!armed.callback || events.empty()) {
        usleep(static_cast<useconds_t>(timeout->tv_sec * 1000000 + timeout->tv_usec));
        return 0;
    }
    while (armed.callback && !events.empty()) {
        const ArmedRead read = std::exchange(armed, {});
        const ScriptedLibmtp::ScriptedEvent event = events.front();
        events.erase(events.begin());
        read.callback(event.handlerResult, event.event, event.param, read.data);
    }
    *completed = 1;
    return 0;
}

uint32_t LIBMTP_Create_Folder(LIBMTP_mtpdevice_t *device, char *name, uint32_t parent, uint32_t storage)
{
    checked(device, "LIBMTP_Create_Folder");
    (void)storage;
    ScriptedLibmtp::createdFolders.push_back({0, std::string(name), 0, LIBMTP_FILETYPE_FOLDER, parent});
    if (answer(device, ScriptedLibmtp::createFolderOutcome) != 0)
        return 0;
    const uint32_t id = ScriptedLibmtp::folderCreatesId;
    ScriptedLibmtp::objects[id] = {id, std::string(name), 0, LIBMTP_FILETYPE_FOLDER, parent};
    return id;
}

} // extern "C"

// The bridge's own flushes and renames of a download, logged among libmtp's calls so a test
// sees their order; the linker sends the bridge's calls here (--wrap). A flush reaches no disk:
// it proves nothing in a test and costs a millisecond each. A descriptor that could not be
// flushed fails as it would (EBADF).
extern "C" {

int __real_renameat(int from, const char *old_name, int to, const char *new_name);
int __real_renameat2(int from, const char *old_name, int to, const char *new_name, unsigned int flags);

int __wrap_fsync(int fd)
{
    struct stat info {};
    const int flags = fcntl(fd, F_GETFL);
    if (flags == -1 || (flags & O_PATH) || fstat(fd, &info) != 0) {
        errno = EBADF;
        return -1;
    }
    record(S_ISDIR(info.st_mode) ? "fsync folder" : "fsync file");
    if (S_ISDIR(info.st_mode) && ScriptedLibmtp::folderFlushFails) {
        errno = EIO;
        return -1;
    }
    return 0;
}

int __wrap_renameat(int from, const char *old_name, int to, const char *new_name)
{
    record("rename");
    return __real_renameat(from, old_name, to, new_name);
}

int __wrap_renameat2(int from, const char *old_name, int to, const char *new_name, unsigned int flags)
{
    record("rename");
    return __real_renameat2(from, old_name, to, new_name, flags);
}

} // extern "C"
