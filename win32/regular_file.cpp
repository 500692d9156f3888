// Reading only regular files: opened without blocking and kept only when
// they are plain files; and a shared lock to wait for a save to end.
#include "regular_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// How long a lock waits for another program's save of the same file.
constexpr int kLockWaitMs = 3000;
constexpr int kLockPollMs = 2;

} // namespace

int OpenRegularFile(const std::string& path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return -1;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EISDIR; // anything that is not a regular file is refused alike
        return -1;
    }
    return fd;
}

void LockFile(int fd, int operation)
{
    for (int waited = 0;; waited += kLockPollMs) {
        if (::flock(fd, operation | LOCK_NB) == 0) {
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return;
        }
        if (waited >= kLockWaitMs) {
            return;
        }
        ::usleep(kLockPollMs * 1000);
    }
}

FileBuffer::int_type FileBuffer::underflow()
{
    if (fd_ < 0) {
        return traits_type::eof();
    }
    ssize_t n = 0;
    do {
        n = ::read(fd_, data_, sizeof data_);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        return traits_type::eof();
    }
    setg(data_, data_, data_ + n);
    return traits_type::to_int_type(data_[0]);
}

InFile::InFile(const std::string& path) : std::istream(nullptr)
{
    fd_ = OpenRegularFile(path, O_RDONLY);
    buffer_.Attach(fd_);
    rdbuf(&buffer_);
}

InFile::~InFile()
{
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void InFile::WaitForSaves()
{
    if (fd_ >= 0) {
        LockFile(fd_, LOCK_SH);
    }
}

bool IsReadableFile(const std::string& path)
{
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}
