// The computer's side of a transfer: reading and writing chunks for libmtp, the hidden file a
// download is written into, and its move into place.

#include "CMTPBridge/BridgeInternal.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cmtp {

uint16_t write_chunk(void *, void *priv, uint32_t length, unsigned char *data, uint32_t *written)
{
    auto *file = static_cast<local_file *>(priv);
    uint32_t done = 0;
    while (done < length) {
        const ssize_t n = write(file->fd, data + done, length - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            file->error = n < 0 ? errno : EIO;
            return LIBMTP_HANDLER_RETURN_ERROR;
        }
        done += static_cast<uint32_t>(n);
    }
    file->moved += done;
    *written = done;
    return LIBMTP_HANDLER_RETURN_OK;
}

uint16_t read_chunk(void *, void *priv, uint32_t wanted, unsigned char *data, uint32_t *got)
{
    auto *file = static_cast<local_file *>(priv);
    if (wanted > file->remaining)
        wanted = static_cast<uint32_t>(file->remaining);
    uint32_t done = 0;
    while (done < wanted) {
        const ssize_t n = read(file->fd, data + done, wanted - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A file that shrinks while it is sent would leave the phone waiting for bytes.
            file->error = n < 0 ? errno : -1;
            return LIBMTP_HANDLER_RETURN_ERROR;
        }
        done += static_cast<uint32_t>(n);
    }
    file->remaining -= done;
    file->moved += done;
    *got = done;
    return LIBMTP_HANDLER_RETURN_OK;
}

int create_hidden_file(int folder, const char *name, char (&hidden)[256])
{
    // Same folder, so the final rename cannot cross file systems; the name is cut so the
    // whole stays within NAME_MAX. mkstemp would make the file 0600 and cost a chmod: the
    // kernel applies the umask to 0666 as it creates it.
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static unsigned seed = static_cast<unsigned>(getpid()) ^ static_cast<unsigned>(time(nullptr));
    const int length = snprintf(hidden, sizeof hidden, ".%.200s.part-XXXXXX", name);
    char *tail = hidden + length - 6;
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (int i = 0; i < 6; ++i)
            tail[i] = letters[rand_r(&seed) % (sizeof letters - 1)];
        const int fd = openat(folder, hidden, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool move_into_place(int folder, const char *hidden, const char *name, bool replace)
{
    if (replace)
        return renameat(folder, hidden, folder, name) == 0;
    // The kernel refuses atomically where the file system can, else a link does; only where
    // neither works is there a check just before the rename.
    if (renameat2(folder, hidden, folder, name, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (linkat(folder, hidden, folder, name, 0) == 0) {
        unlinkat(folder, hidden, 0);
        return true;
    }
    if (errno == EEXIST)
        return false;
    if (faccessat(folder, name, F_OK, 0) == 0) {
        errno = EEXIST;
        return false;
    }
    return renameat(folder, hidden, folder, name) == 0;
}

bool flush_folder(int folder)
{
    const int fd = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP || errno == ENOSYS;
    const int error = errno;
    close(fd);
    errno = error;
    return flushed;
}

} // namespace cmtp
