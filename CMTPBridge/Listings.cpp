// Folder listings: one listing of a folder, handed out object by object.

#include "CMTPBridge/BridgeInternal.h"

namespace {

using namespace cmtp;

constexpr int kMaxEntries = 512;

// An id in decimal. A folder of thousands of photos makes formatting by hand worth it.
template <size_t N>
void set_number(char (&field)[N], uint32_t value)
{
    static_assert(N > 10);
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = 0; i < count; ++i)
        field[i] = digits[count - 1 - i];
    field[count] = '\0';
}

void fill_entry(CMTPDirectoryEntry &entry, const LIBMTP_file_t &file)
{
    memset(&entry, 0, sizeof entry);
    set_number(entry.id, file.item_id);
    set_text(entry.name, name_or(file.filename, "Untitled"));
    // MTP gives objects in the storage root the parent 0, which names no folder.
    if (file.parent_id != 0)
        set_number(entry.parent_id, file.parent_id);
    entry.is_folder = file.filetype == LIBMTP_FILETYPE_FOLDER ? 1 : 0;
    entry.size_bytes = signed_size(file.filesize);
    entry.modified_at = file.modificationdate > 0 ? static_cast<int64_t>(file.modificationdate) : 0;
}

void destroy_files(LIBMTP_file_t *files)
{
    while (files) {
        LIBMTP_file_t *next = files->next;
        LIBMTP_destroy_file_t(files);
        files = next;
    }
}

void keep_first_entries(const CMTPDirectoryEntry *entry, void *context)
{
    auto *result = static_cast<CMTPDirectoryResult *>(context);
    if (result->count < kMaxEntries)
        result->entries[result->count++] = *entry;
}

} // namespace

extern "C" {

CMTPListingResult cmtp_list_directory_each(const char *device_id, const char *storage_id, const char *parent_id,
                                           cmtp_directory_entry_callback callback, void *context)
{
    CMTPListingResult result;
    memset(&result, 0, sizeof result);
    // The device comes first, so a disconnected phone is reported even when the ids are bad too.
    LIBMTP_mtpdevice_t *device = open_device(result, device_id);
    uint32_t storage = 0;
    uint32_t parent = 0;
    if (!device || !check_storage(result, storage_id, &storage) || !check_parent(result, parent_id, &parent))
        return result;
    clear_errors(device);
    LIBMTP_file_t *files = LIBMTP_Get_Files_And_Folders(device, storage, parent);
    // Null without errors is an empty folder. Errors beside objects are either a phone that
    // skipped objects it could not describe (it still answers) or a connection that broke
    // part-way: a part must never pass for the whole folder.
    result.complete = 1;
    if (LIBMTP_Get_Errorstack(device)) {
        const session after = recover(device, device_id, result.error, "Could not list MTP directory");
        if (!files || !after.answered) {
            destroy_files(files);
            result.code = after.failure();
            return result;
        }
        result.error[0] = '\0';
        result.complete = 0;
    }
    result.ok = 1;
    for (LIBMTP_file_t *file = files; file; file = file->next) {
        CMTPDirectoryEntry entry;
        fill_entry(entry, *file);
        ++result.count;
        if (callback)
            callback(&entry, context);
    }
    destroy_files(files);
    return result;
}

void cmtp_list_directory_into(CMTPDirectoryResult *result, const char *device_id, const char *storage_id,
                              const char *parent_id)
{
    if (!result)
        return;
    memset(result, 0, sizeof *result);
    const CMTPListingResult listed = cmtp_list_directory_each(device_id, storage_id, parent_id, &keep_first_entries, result);
    result->ok = listed.ok;
    result->code = listed.code;
    result->complete = listed.complete;
    memcpy(result->error, listed.error, sizeof result->error);
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

} // extern "C"
