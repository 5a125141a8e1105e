#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace quillwave::platform {
namespace {

constexpr std::int64_t kLengthLimit = std::int64_t{1} << 31;

std::string parentOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string baseOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isDirectory(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Follows symbolic links so the new file replaces the link's target, not the link.
std::string resolveLinks(std::string path)
{
    for (int depth = 0; depth < 40; ++depth) {
        char target[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
        if (n < 0)
            return path;
        target[n] = '\0';
        std::string next(target);
        path = (next.front() == '/') ? next : parentOf(path) + "/" + next;
    }
    return path;
}

bool writeAll(int fd, const void* data, std::size_t length)
{
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t n = ::write(fd, p, length);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

mode_t defaultFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

InputFile::InputFile(const std::string& path)
{
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        status_ = (errno == ENOENT && isDirectory(parentOf(path))) ? OpenStatus::NotFound
                                                                  : OpenStatus::CannotOpen;
        return;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        status_ = OpenStatus::CannotOpen;
        return;
    }
    length_ = st.st_size;
    status_ = length_ >= kLengthLimit ? OpenStatus::TooLarge : OpenStatus::Opened;
}

InputFile::~InputFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::size_t InputFile::readUpTo(void* buffer, std::size_t bytes)
{
    char* p = static_cast<char*>(buffer);
    std::size_t got = 0;
    while (got < bytes) {
        const ssize_t n = ::read(fd_, p + got, bytes - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

ReplaceStatus replaceFile(const std::string& path, const void* data, std::size_t length)
{
    const std::string target = resolveLinks(path);
    mode_t mode = defaultFileMode();
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists) {
        if (!S_ISREG(existing.st_mode))
            return ReplaceStatus::CannotCreate;
        mode = existing.st_mode & 07777;
    }

    // The hidden name adds 8 bytes to the target's; a target at the longest name the folder
    // allows must still get one, so only the start of a long name goes into it.
    constexpr std::size_t kTemporaryBaseBytes = 200;
    std::string temporary = parentOf(target) + "/." + baseOf(target).substr(0, kTemporaryBaseBytes) + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return ReplaceStatus::CannotCreate;
    ::fchmod(fd, mode);
    if (exists) {
        // Keeps the owner where we may (as root); an ordinary user owns what it writes.
        [[maybe_unused]] const int ignored = ::fchown(fd, existing.st_uid, existing.st_gid);
    }

    bool ok = writeAll(fd, data, length) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return ReplaceStatus::WriteFailed;
    }
    return ReplaceStatus::Written;
}

} // namespace quillwave::platform
