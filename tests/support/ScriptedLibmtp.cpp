#include "tests/support/ScriptedLibmtp.h"

#include "CMTPBridge/CMTPBridge.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>

using tarvel::test::ScriptedLibmtp;
using tarvel::test::ScriptedOutcome;

namespace {

std::set<LIBMTP_mtpdevice_t *> liveHandles;
std::set<LIBMTP_mtpdevice_t *> deadSessions;

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
        entry->errornumber = LIBMTP_ERROR_GENERAL;
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

bool writeFile(const char *path, const std::string &bytes)
{
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0740);
    if (fd < 0)
        return false;
    const bool written = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    close(fd);
    return written;
}

} // namespace

namespace tarvel::test {

void ScriptedLibmtp::reset()
{
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

int LIBMTP_Get_File_To_File(LIBMTP_mtpdevice_t *device, uint32_t id, char const *const path,
                            LIBMTP_progressfunc_t const, void const *const)
{
    checked(device, "LIBMTP_Get_File_To_File");
    ScriptedLibmtp::downloads.push_back({id, path});
    const std::string &content = ScriptedLibmtp::downloadContent;
    const int result = answer(device, ScriptedLibmtp::downloadOutcome);
    if (result == 0) {
        if (writeFile(path, content))
            return 0;
        answer(device, {-1, {"LIBMTP_Get_File_To_File(): Could not create file."}});
        return -1;
    }
    writeFile(path, content.substr(0, content.size() / 2));
    unlink(path);
    return result;
}

int LIBMTP_Send_File_From_File(LIBMTP_mtpdevice_t *device, char const *const path, LIBMTP_file_t *const file,
                               LIBMTP_progressfunc_t const, void const *const)
{
    checked(device, "LIBMTP_Send_File_From_File");
    std::ifstream in(path, std::ios::binary);
    ScriptedLibmtp::uploads.push_back({path, file->filename ? file->filename : "", file->filesize, file->filetype,
                                       file->parent_id, file->storage_id,
                                       std::string(std::istreambuf_iterator<char>(in), {})});
    file->item_id = ScriptedLibmtp::uploadCreatesId;
    return answer(device, ScriptedLibmtp::uploadOutcome);
}

int LIBMTP_Delete_Object(LIBMTP_mtpdevice_t *device, uint32_t id)
{
    checked(device, "LIBMTP_Delete_Object");
    ScriptedLibmtp::deletedObjects.push_back(id);
    return answer(device, ScriptedLibmtp::deleteOutcome);
}

} // extern "C"
