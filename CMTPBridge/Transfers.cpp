// Transfers: a download into a folder on the computer, an upload into a folder of the phone,
// and folder creation on the phone.

#include "CMTPBridge/BridgeInternal.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace cmtp;

// Hands libmtp's progress to the caller's callback and remembers whether it asked to stop.
struct progress_relay {
    cmtp_progress_callback callback;
    void *context;
    const local_file *file;
    bool stopped;
};

// libmtp counts a container header in with the file; the caller is told the file's own bytes
// read or written, and its size less that header.
int relay_progress(uint64_t const, uint64_t const total, void const *const data)
{
    auto *relay = static_cast<progress_relay *>(const_cast<void *>(data));
    const uint64_t moved = relay->file->moved;
    const uint64_t size = total >= 12 ? total - 12 : total;
    if (relay->callback && relay->callback(moved, size > moved ? size : moved, relay->context) != 0)
        relay->stopped = true;
    return relay->stopped ? 1 : 0;
}

// How a transfer that libmtp gave up on ended, in the order that decides it: the caller's stop,
// the computer's file, else the phone, which is gone when no session can be had with it.
// Returns what is left of the session.
session fail_transfer(CMTPTransferResult &result, LIBMTP_mtpdevice_t *device, const char *device_id,
                      const progress_relay &relay, const local_file &file, bool download)
{
    const session after = recover(device, device_id, result.error, download ? "MTP download failed" : "MTP upload failed");
    if (relay.stopped)
        fail(result, CMTP_RESULT_CANCELLED, download ? "Download cancelled" : "Upload cancelled");
    else if (file.error == -1)
        fail(result, CMTP_RESULT_LOCAL_FILE, "The local file ended before its size");
    else if (file.error != 0)
        fail_local(result, download ? "Could not write the download" : "Could not read the local file", file.error);
    else
        result.code = after.failure();
    return after;
}

// A phone may describe an object it has just made only a moment later (one that indexes new
// objects in the background answers "invalid handle" until then), so the question is asked
// again, less and less often, for about four seconds.
template <typename Question>
bool eventually(Question answered)
{
    useconds_t pause = 25 * 1000;
    for (useconds_t waited = 0; !answered(); waited += pause, pause = std::min<useconds_t>(pause * 2, 1000 * 1000)) {
        if (waited >= 4 * 1000 * 1000)
            return false;
        usleep(pause);
    }
    return true;
}

// Where an upload goes, as the caller asked: libmtp rewrites the description it is handed
// with the phone's own numbers (the root's parent as 0, on some phones).
struct upload_target {
    const char *name;
    uint32_t storage;
    uint32_t parent;
    uint64_t size;
};

// Whether the target folder holds a file of the target's name, of its size when asked.
bool holds_file(LIBMTP_mtpdevice_t *device, const upload_target &target, bool whole)
{
    LIBMTP_file_t *files = LIBMTP_Get_Files_And_Folders(device, target.storage, target.parent);
    bool found = false;
    while (files) {
        LIBMTP_file_t *next = files->next;
        found = found
            || (files->filetype != LIBMTP_FILETYPE_FOLDER && files->filename && strcmp(files->filename, target.name) == 0
                && (!whole || files->filesize == target.size));
        LIBMTP_destroy_file_t(files);
        files = next;
    }
    clear_errors(device);
    return found;
}

// Deletes the object `id` an interrupted upload created, only when it is still there and is
// what this upload made: some phones hand back the id of another object of a similar name.
void delete_partial_upload(LIBMTP_mtpdevice_t *device, uint32_t id, const upload_target &target)
{
    if (!device || id == 0)
        return;
    if (LIBMTP_file_t *object = LIBMTP_Get_Filemetadata(device, id)) {
        const uint32_t parent = object->parent_id == 0 ? kRootFolder : object->parent_id;
        if (object->filename && strcmp(object->filename, target.name) == 0 && parent == target.parent
            && object->storage_id == target.storage)
            LIBMTP_Delete_Object(device, id);
        LIBMTP_destroy_file_t(object);
    }
    clear_errors(device);
}

// After libmtp's send of object `id` failed: whether the file arrived after all, and if not,
// nothing of it stays on the phone.
bool finish_failed_upload(CMTPTransferResult &result, LIBMTP_mtpdevice_t *device, const char *device_id,
                          const progress_relay &relay, const local_file &file, uint32_t id, const upload_target &target)
{
    const session after = fail_transfer(result, device, device_id, relay, file, false);
    // Every byte went out and only a question afterwards failed: when the phone holds the whole
    // file, the upload did arrive. libmtp says when the phone had already confirmed the copy and
    // only its description could not be read again; a phone may then still list the file at
    // the size it first saw.
    const bool confirmed = strstr(result.error, "Could not retrieve updated metadata") != nullptr;
    const bool arrived = after.device && !relay.stopped && file.error == 0 && file.remaining == 0
        && (confirmed ? eventually([&] { return holds_file(after.device, target, false); })
                      : holds_file(after.device, target, true));
    if (arrived) {
        memset(&result, 0, sizeof result);
        return true;
    }
    delete_partial_upload(after.device, id, target);
    return false;
}

// Closes the file it holds however the call returns.
struct descriptor {
    explicit descriptor(int opened) : fd(opened) {}
    descriptor(const descriptor &) = delete;
    ~descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
    const int fd;
};

// A download that may be resumed gathers its bytes under a name made from a tag its caller
// knows again later, and it stays when the copy is cut.
int open_part_file(int folder, const char *name, const char *tag, char (&hidden)[256])
{
    snprintf(hidden, sizeof hidden, ".%.200s.part-%.40s", name, tag);
    const int fd = openat(folder, hidden, O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    struct stat opened;
    if (fd >= 0 && (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode))) {
        close(fd);
        errno = EISDIR;
        return -1;
    }
    return fd;
}

// Letters, digits and '-': a tag goes into a file name.
bool valid_tag(const char *tag)
{
    for (const char *c = tag; *c; ++c) {
        if (!isalnum(static_cast<unsigned char>(*c)) && *c != '-')
            return false;
    }
    return strlen(tag) <= 40;
}

// How a kept part went on.
enum class part_outcome { whole, done, failed };

// A few MiB a request: few enough round trips to keep the speed of a whole-file copy, small
// enough that a cut loses little.
constexpr uint32_t kPartChunk = 4 * 1024 * 1024;

// Empties a part to start the file over.
part_outcome start_over(CMTPTransferResult &result, local_file &local)
{
    local.moved = 0;
    if (ftruncate(local.fd, 0) == 0 && lseek(local.fd, 0, SEEK_SET) == 0)
        return part_outcome::whole;
    fail_local(result, "Could not write the download", errno);
    return part_outcome::failed;
}

// Goes on from the bytes the part already holds, reading only the rest of the phone's file
// with partial reads. The part starts over where there is nothing to go on from: no bytes,
// more bytes than the phone's file holds, or a phone that answers but refuses partial reads;
// a part as long as the file is done. On a failure the part keeps what arrived, `device` is
// what is left of the session and `result` says why.
part_outcome continue_part(CMTPTransferResult &result, LIBMTP_mtpdevice_t *&device, const char *device_id, uint32_t id,
                           local_file &local, progress_relay &relay)
{
    struct stat held;
    const uint64_t offset = fstat(local.fd, &held) == 0 ? static_cast<uint64_t>(held.st_size) : 0;
    if (offset == 0)
        return start_over(result, local);
    LIBMTP_file_t *object = LIBMTP_Get_Filemetadata(device, id);
    if (!object) {
        device = fail_transfer(result, device, device_id, relay, local, true).device;
        return part_outcome::failed;
    }
    const uint64_t size = object->filesize;
    LIBMTP_destroy_file_t(object);
    clear_errors(device);
    if (offset > size || lseek(local.fd, static_cast<off_t>(offset), SEEK_SET) < 0)
        return start_over(result, local);
    local.moved = offset;
    for (bool first = true; local.moved < size; first = false) {
        if (relay.callback && relay.callback(local.moved, size, relay.context) != 0) {
            relay.stopped = true;
            break;
        }
        unsigned char *data = nullptr;
        unsigned int got = 0;
        const uint32_t wanted = static_cast<uint32_t>(std::min<uint64_t>(kPartChunk, size - local.moved));
        const bool read = LIBMTP_GetPartialObject(device, id, local.moved, wanted, &data, &got) == 0 && got > 0;
        uint32_t written = 0;
        const bool kept = read && write_chunk(nullptr, &local, std::min(got, wanted), data, &written) == LIBMTP_HANDLER_RETURN_OK;
        free(data);
        if (kept)
            continue;
        if (read || !first)
            break;
        // The first read tells whether the phone reads parts at all: one that answers but
        // refuses starts the file over; one that is gone keeps the part for the next time.
        const session after = recover(device, device_id, result.error, "MTP download failed");
        device = after.device;
        if (!after.answered) {
            result.code = after.failure();
            return part_outcome::failed;
        }
        memset(&result, 0, sizeof result);
        return start_over(result, local);
    }
    if (local.moved == size && !relay.stopped)
        return part_outcome::done;
    device = fail_transfer(result, device, device_id, relay, local, true).device;
    return part_outcome::failed;
}

const char *base_name(const char *path)
{
    const char *slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

} // namespace

extern "C" {

CMTPTransferResult cmtp_download_file_at(const char *device_id, const char *file_id, int folder_fd, const char *name,
                                         const char *part_tag, int replace, int64_t modified_at,
                                         cmtp_progress_callback progress, void *context)
{
    CMTPTransferResult result;
    memset(&result, 0, sizeof result);
    uint32_t file = 0;
    if (!check_file(result, file_id, &file))
        return result;
    const bool keeps_part = part_tag && *part_tag;
    if (!valid_name(name) || (keeps_part && !valid_tag(part_tag))) {
        fail(result, CMTP_RESULT_OTHER, "Invalid local download path");
        return result;
    }
    LIBMTP_mtpdevice_t *device = open_device(result, device_id);
    if (!device)
        return result;
    // A replaced file keeps its permissions (never its set-id bits: the content is new); a new
    // one gets 0666 less the umask as the hidden file is made. A download that may not replace
    // anything has nothing to look at first: every call saved counts in a batch of small files.
    int kept_mode = -1;
    struct stat existing;
    if (replace && fstatat(folder_fd, name, &existing, 0) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            fail_local(result, "Could not save the download", EISDIR);
            return result;
        }
        kept_mode = static_cast<int>(existing.st_mode & 0777);
    }
    // libmtp never gets the destination itself: what it writes becomes the destination only
    // once it is whole.
    char hidden[256];
    const int fd = keeps_part ? open_part_file(folder_fd, name, part_tag, hidden) : create_hidden_file(folder_fd, name, hidden);
    if (fd < 0) {
        fail_local(result, "Could not create a temporary file for the download", errno);
        return result;
    }
    local_file local{fd, 0, 0, 0};
    progress_relay relay{progress, context, &local, false};
    clear_errors(device);
    part_outcome outcome = keeps_part ? continue_part(result, device, device_id, file, local, relay) : part_outcome::whole;
    if (outcome == part_outcome::whole && LIBMTP_Get_File_To_Handler(device, file, write_chunk, &local, relay_progress, &relay) != 0) {
        fail_transfer(result, device, device_id, relay, local, true);
        outcome = part_outcome::failed;
    }
    if (outcome == part_outcome::failed) {
        // A part cut by the phone or the user keeps its bytes on the disk for the next call;
        // one the computer could not write is of no use and holds space a full disk needs.
        const bool kept = keeps_part && local.error == 0 && fdatasync(fd) == 0;
        close(fd);
        if (!kept)
            unlinkat(folder_fd, hidden, 0);
        return result;
    }
    // libmtp's header count is not the same on every path; the last word is the exact size.
    if (progress)
        progress(local.moved, local.moved, context);
    if (kept_mode >= 0)
        fchmod(fd, static_cast<mode_t>(kept_mode));
    // The phone's date is a courtesy: a file system that keeps none still gets the whole file.
    if (modified_at > 0) {
        const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(modified_at), 0}};
        futimens(fd, times);
    }
    // The file reaches the disk before it takes its name, and the name before the call succeeds:
    // a crash never leaves a short file under the name, nor loses a download that counted.
    int error = fsync(fd) == 0 ? 0 : errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0 || !move_into_place(folder_fd, hidden, name, replace != 0)) {
        error = error != 0 ? error : errno;
        unlinkat(folder_fd, hidden, 0);
        fail_local(result, "Could not save the download", error);
        return result;
    }
    result.ok = 1;
    return result;
}

CMTPTransferResult cmtp_flush_folder(int folder_fd)
{
    CMTPTransferResult result;
    memset(&result, 0, sizeof result);
    if (flush_folder(folder_fd))
        result.ok = 1;
    else
        fail_local(result, "Could not save the download", errno);
    return result;
}

CMTPTransferResult cmtp_download_file(const char *device_id, const char *file_id, const char *local_path)
{
    CMTPTransferResult result;
    memset(&result, 0, sizeof result);
    uint32_t file = 0;
    if (!check_file(result, file_id, &file))
        return result;
    // A path ending in '/' names a folder, never a file to write.
    if (!local_path || !*local_path || local_path[strlen(local_path) - 1] == '/') {
        fail(result, CMTP_RESULT_OTHER, "Invalid local download path");
        return result;
    }
    const char *name = base_name(local_path);
    const std::string folder = name == local_path ? "." : name == local_path + 1 ? "/" : std::string(local_path, static_cast<size_t>(name - 1 - local_path));
    const descriptor opened{open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)};
    if (opened.fd < 0) {
        fail_local(result, "Could not create a temporary file for the download", errno);
        return result;
    }
    const CMTPTransferResult copied = cmtp_download_file_at(device_id, file_id, opened.fd, name, nullptr, 1, 0, nullptr, nullptr);
    return copied.ok ? cmtp_flush_folder(opened.fd) : copied;
}

CMTPTransferResult cmtp_upload_file_as(const char *device_id, const char *storage_id, const char *local_path,
                                       const char *parent_id, const char *remote_name,
                                       cmtp_progress_callback progress, void *context)
{
    CMTPTransferResult result;
    memset(&result, 0, sizeof result);
    if (!local_path || !*local_path) {
        fail(result, CMTP_RESULT_OTHER, "Invalid local upload path");
        return result;
    }
    uint32_t storage = 0;
    uint32_t parent = 0;
    if (!check_storage(result, storage_id, &storage) || !check_parent(result, parent_id, &parent))
        return result;
    // One descriptor for the check and the copy, so what is checked is what is sent. Opening
    // does not wait for a writer when the path is a pipe: it is refused below.
    const descriptor file{open(local_path, O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    struct stat info;
    if (file.fd < 0 || fstat(file.fd, &info) != 0) {
        fail_local(result, "Could not read local file metadata", errno);
        return result;
    }
    const char *name = remote_name && *remote_name ? remote_name : base_name(local_path);
    if (!S_ISREG(info.st_mode) || info.st_size < 0) {
        fail(result, CMTP_RESULT_LOCAL_FILE,
             S_ISREG(info.st_mode) ? "Local upload file size is invalid" : "Local upload path is not a regular file");
        return result;
    }
    if (!valid_name(name)) {
        fail(result, CMTP_RESULT_OTHER, "Invalid local upload filename");
        return result;
    }
    fcntl(file.fd, F_SETFL, fcntl(file.fd, F_GETFL) & ~O_NONBLOCK); // a file's reads wait as usual
    LIBMTP_mtpdevice_t *device = open_device(result, device_id);
    if (!device)
        return result;
    LIBMTP_file_t *description = LIBMTP_new_file_t();
    if (!description) {
        fail(result, CMTP_RESULT_OTHER, "Could not allocate MTP file metadata");
        return result;
    }
    description->filename = strdup(name);
    if (!description->filename) {
        LIBMTP_destroy_file_t(description);
        fail(result, CMTP_RESULT_OTHER, "Could not allocate MTP upload filename");
        return result;
    }
    description->filesize = static_cast<uint64_t>(info.st_size);
    // The phone decides what the file is; claiming a type from the extension gets refused.
    description->filetype = LIBMTP_FILETYPE_UNKNOWN;
    description->parent_id = parent;
    description->storage_id = storage;

    const upload_target target{name, storage, parent, static_cast<uint64_t>(info.st_size)};
    local_file local{file.fd, 0, target.size, 0};
    progress_relay relay{progress, context, &local, false};
    clear_errors(device);
    // libmtp fills in item_id once the phone has created the object, also when the copy fails.
    const bool sent = LIBMTP_Send_File_From_Handler(device, read_chunk, &local, description, relay_progress, &relay) == 0
        || finish_failed_upload(result, device, device_id, relay, local, description->item_id, target);
    if (sent) {
        result.ok = 1;
        if (progress)
            progress(local.moved, local.moved, context);
    }
    LIBMTP_destroy_file_t(description);
    return result;
}

CMTPTransferResult cmtp_upload_file(const char *device_id, const char *storage_id, const char *local_path,
                                    const char *parent_id)
{
    return cmtp_upload_file_as(device_id, storage_id, local_path, parent_id, nullptr, nullptr, nullptr);
}

CMTPFolderResult cmtp_create_folder(const char *device_id, const char *storage_id, const char *parent_id,
                                    const char *name)
{
    CMTPFolderResult result;
    memset(&result, 0, sizeof result);
    uint32_t storage = 0;
    uint32_t parent = 0;
    if (!check_storage(result, storage_id, &storage) || !check_parent(result, parent_id, &parent))
        return result;
    if (!valid_name(name)) {
        fail(result, CMTP_RESULT_OTHER, "Invalid folder name");
        return result;
    }
    LIBMTP_mtpdevice_t *device = open_device(result, device_id);
    if (!device)
        return result;
    // libmtp may rewrite the name it is given for phones that only take 7-bit names.
    char *copy = strdup(name);
    if (!copy) {
        fail(result, CMTP_RESULT_OTHER, "Could not allocate MTP upload filename");
        return result;
    }
    clear_errors(device);
    const uint32_t created = LIBMTP_Create_Folder(device, copy, parent, storage);
    free(copy);
    if (created == 0) {
        result.code = recover(device, device_id, result.error, "Could not create the folder").failure();
        return result;
    }
    // Files sent into the folder before the phone knows it would be refused.
    eventually([&] {
        LIBMTP_file_t *folder = LIBMTP_Get_Filemetadata(device, created);
        const bool known = folder != nullptr;
        if (known)
            LIBMTP_destroy_file_t(folder);
        clear_errors(device);
        return known;
    });
    result.ok = 1;
    snprintf(result.id, sizeof result.id, "%u", static_cast<unsigned>(created));
    return result;
}

} // extern "C"
