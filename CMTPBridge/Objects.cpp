// Objects the caller listed: the check that an id still names the object as listed, and
// what is done to one: deleting, renaming, its thumbnail and a part of its bytes.

#include "CMTPBridge/BridgeInternal.h"

#include <algorithm>
#include <cstdlib>

namespace {

using namespace cmtp;

// What the caller says the object is.
struct listed_object {
    uint32_t id;
    const char *name;
    int64_t size; // negative: a folder
};

// Thumbnails in the open session: phones without them refuse every request.
constexpr int kRefusalsBeforeNone = 3;
int thumbnails_refused = 0;
bool thumbnail_given = false;

template <typename Result>
bool check_object(Result &result, const char *object_id, const char *name, int64_t size, listed_object *object)
{
    if (!check_id(result, object_id, &object->id, "Invalid MTP object id"))
        return false;
    if (!name || !*name) {
        fail(result, CMTP_RESULT_OTHER, "Invalid object name");
        return false;
    }
    object->name = name;
    object->size = size;
    return true;
}

// The open device when the object is still what the caller listed (`object` then holds it);
// otherwise null, with the refusal (after the session check when the phone did not
// describe it) in the result.
LIBMTP_mtpdevice_t *open_listed(CMTPTransferResult &result, const char *device_id, const char *object_id,
                                const char *name, int64_t size, listed_object &object)
{
    if (!check_object(result, object_id, name, size, &object))
        return nullptr;
    LIBMTP_mtpdevice_t *device = open_device(result, device_id);
    if (!device)
        return nullptr;
    clear_errors(device);
    LIBMTP_file_t *file = LIBMTP_Get_Filemetadata(device, object.id);
    if (!file) {
        result.code = recover(device, device_id, result.error, "The object is gone from the phone").failure();
        return nullptr;
    }
    const bool folder = file->filetype == LIBMTP_FILETYPE_FOLDER;
    const bool same = strcmp(name_or(file->filename, "Untitled"), object.name) == 0
        && (object.size < 0 ? folder : !folder && file->filesize == static_cast<uint64_t>(object.size));
    LIBMTP_destroy_file_t(file);
    if (!same) {
        fail(result, CMTP_RESULT_DEVICE_REFUSED, "The object has changed since it was listed");
        return nullptr;
    }
    return device;
}

// After a libmtp call on the object failed: its text, and the session check's code.
void fail_on_phone(CMTPTransferResult &result, LIBMTP_mtpdevice_t *device, const char *device_id, const char *fallback)
{
    result.code = recover(device, device_id, result.error, fallback).failure();
}

// libmtp hands over what it read in memory of its own, whether the read succeeded or not.
void hand_over(unsigned char *data, unsigned int size, bool read, cmtp_bytes_callback receive, void *context)
{
    if (read && data && size > 0 && receive)
        receive(data, size, context);
    free(data);
}

CMTPTransferResult no_failure()
{
    CMTPTransferResult result;
    memset(&result, 0, sizeof result);
    return result;
}

} // namespace

namespace cmtp {

void forget_thumbnails()
{
    thumbnails_refused = 0;
    thumbnail_given = false;
}

} // namespace cmtp

extern "C" {

CMTPTransferResult cmtp_delete_object(const char *device_id, const char *object_id, const char *name, int64_t size_bytes)
{
    CMTPTransferResult result = no_failure();
    listed_object object;
    LIBMTP_mtpdevice_t *device = open_listed(result, device_id, object_id, name, size_bytes, object);
    if (!device)
        return result;
    clear_errors(device);
    if (LIBMTP_Delete_Object(device, object.id) != 0) {
        fail_on_phone(result, device, device_id, "Could not delete the object");
        return result;
    }
    result.ok = 1;
    return result;
}

CMTPTransferResult cmtp_rename_object(const char *device_id, const char *object_id, const char *name,
                                      int64_t size_bytes, const char *new_name)
{
    CMTPTransferResult result = no_failure();
    listed_object object;
    if (!valid_name(new_name)) {
        fail(result, CMTP_RESULT_OTHER, "Invalid new name");
        return result;
    }
    LIBMTP_mtpdevice_t *device = open_listed(result, device_id, object_id, name, size_bytes, object);
    if (!device)
        return result;
    // libmtp may rewrite the name it is given for phones that only take 7-bit names.
    char *copy = strdup(new_name);
    if (!copy) {
        fail(result, CMTP_RESULT_OTHER, "Could not allocate MTP upload filename");
        return result;
    }
    clear_errors(device);
    const int renamed = LIBMTP_Set_Object_Filename(device, object.id, copy);
    free(copy);
    if (renamed != 0) {
        fail_on_phone(result, device, device_id, "Could not rename the object");
        return result;
    }
    result.ok = 1;
    return result;
}

CMTPTransferResult cmtp_get_thumbnail(const char *device_id, const char *object_id, const char *name,
                                      int64_t size_bytes, cmtp_bytes_callback receive, void *context)
{
    CMTPTransferResult result = no_failure();
    listed_object object;
    LIBMTP_mtpdevice_t *device = open_listed(result, device_id, object_id, name, size_bytes, object);
    if (!device)
        return result;
    result.ok = 1;
    if (!thumbnail_given && thumbnails_refused >= kRefusalsBeforeNone)
        return result;
    unsigned char *data = nullptr;
    unsigned int size = 0;
    clear_errors(device);
    const bool read = LIBMTP_Get_Thumbnail(device, object.id, &data, &size) == 0;
    hand_over(data, size, read, receive, context);
    if (read) {
        thumbnail_given = thumbnail_given || size > 0;
        return result;
    }
    // A refusal is "none for this file" only from a phone that still answers.
    const session after = recover(device, device_id, result.error, "Could not read the thumbnail");
    if (!after.answered) {
        result.ok = 0;
        result.code = after.failure();
        return result;
    }
    ++thumbnails_refused;
    result.error[0] = '\0';
    return result;
}

CMTPTransferResult cmtp_read_part(const char *device_id, const char *object_id, const char *name, int64_t size_bytes,
                                  int64_t offset, uint32_t length, cmtp_bytes_callback receive, void *context)
{
    CMTPTransferResult result = no_failure();
    listed_object object;
    if (offset < 0) {
        fail(result, CMTP_RESULT_OTHER, "Invalid part of the file");
        return result;
    }
    LIBMTP_mtpdevice_t *device = open_listed(result, device_id, object_id, name, size_bytes, object);
    if (!device)
        return result;
    // The size is the phone's own by now, so nothing is asked for past the end: phones
    // differ in what they answer there.
    const int64_t left = object.size < 0 ? length : std::max<int64_t>(object.size - offset, 0);
    const uint32_t wanted = static_cast<uint32_t>(std::min<int64_t>(length, left));
    if (wanted > 0) {
        unsigned char *data = nullptr;
        unsigned int size = 0;
        clear_errors(device);
        const bool read = LIBMTP_GetPartialObject(device, object.id, static_cast<uint64_t>(offset), wanted, &data, &size) == 0;
        hand_over(data, std::min<unsigned int>(size, wanted), read, receive, context);
        if (!read) {
            fail_on_phone(result, device, device_id, "Could not read a part of the file");
            return result;
        }
    }
    result.ok = 1;
    return result;
}

} // extern "C"
