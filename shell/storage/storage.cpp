// The player's files on the disk: saved whole through a temporary file
// renamed over the old one, under a lock two games share, following
// symbolic links; the player's own folder is found in user_folder.cpp.
#include "storage.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace {

using Stat = struct stat;

// Symbolic links followed before a chain counts as a loop.
constexpr int kMaxLinks = 40;

class Descriptor
{
  public:
    Descriptor() = default;
    ~Descriptor() { Reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    void Reset(int fd = -1)
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

  private:
    int fd_ = -1;
};

// The file that `path` finally names, following symbolic links (the file
// itself need not exist). Empty when the links form a loop.
std::string FollowLinks(std::string path)
{
    for (int hops = 0; hops < kMaxLinks; ++hops) {
        Stat st{};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
        if (n <= 0 || static_cast<size_t>(n) >= sizeof buf) {
            return "";
        }
        std::string link(buf, static_cast<size_t>(n));
        if (link[0] != '/') {
            const size_t slash = path.rfind('/');
            link = (slash == std::string::npos ? "" : path.substr(0, slash + 1)) + link;
        }
        path = std::move(link);
    }
    return "";
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n =
            ::pwrite(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A name beside `target` that no other save uses.
std::string TemporaryName(const std::string& target)
{
    static unsigned counter = 0;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    char tail[64];
    std::snprintf(tail, sizeof tail, ".%ld-%u-%lx.tmp", static_cast<long>(::getpid()), ++counter,
                  static_cast<unsigned long>(now.tv_nsec));
    return target + tail;
}

// Makes a new temporary file beside `target` (its name in `temp`), open for
// writing; -1 when none can be made.
int OpenTemporary(const std::string& target, std::string& temp)
{
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        temp = TemporaryName(target);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return -1;
        }
    }
    return fd;
}

enum class Put { done, failed, exists };

// Writes the text to a temporary file beside `target` and flushes it; then
// renames it over `target`, or, when `old` is null (there was no file),
// links it as `target` so that a file made meanwhile by another save is
// not overwritten (`exists`). A replacing file keeps the old one's
// permissions (and, where allowed, its owner).
Put PutThroughTemporary(const std::string& target, const std::string& text, const Stat* old)
{
    std::string temp;
    const int fd = OpenTemporary(target, temp);
    if (fd < 0) {
        return Put::failed;
    }
    bool ok = WriteAll(fd, text);
    if (ok && old != nullptr) {
        if (old->st_uid != ::geteuid() || old->st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(fd, old->st_uid, old->st_gid);
        }
        ok = ::fchmod(fd, old->st_mode & 07777) == 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    Put result = Put::failed;
    if (ok && old == nullptr && ::link(temp.c_str(), target.c_str()) == 0) {
        result = Put::done;
    } else if (ok && old == nullptr && errno == EEXIST) {
        result = Put::exists; // another save made the file first
    } else if (ok && ::rename(temp.c_str(), target.c_str()) == 0) {
        // Replacing, or making on a file system without hard links.
        SyncFolder(FolderOf(target));
        return Put::done;
    }
    ::unlink(temp.c_str());
    if (result == Put::done) {
        SyncFolder(FolderOf(target));
    }
    return result;
}

// Rewrites an open file from its first byte. The space is reserved first,
// so a full disk fails before any old byte is touched.
bool RewriteInPlace(int fd, const std::string& text)
{
    const off_t size = static_cast<off_t>(text.size());
    if (size > 0) {
        const int e = ::posix_fallocate(fd, 0, size);
        if (e != 0 && e != EOPNOTSUPP && e != ENOSYS && e != EINVAL) {
            return false;
        }
    }
    return WriteAll(fd, text) && ::ftruncate(fd, size) == 0 && ::fsync(fd) == 0;
}

// A stream over a descriptor that stays open after the stream ends.
class DescriptorStream : public std::istream
{
  public:
    explicit DescriptorStream(int fd) : std::istream(nullptr), buffer_(fd) { rdbuf(&buffer_); }

  private:
    FileBuffer buffer_;
};

bool Save(const std::string& path, const std::function<std::string(std::istream*)>& make)
{
    const std::string target = FollowLinks(path);
    if (target.empty()) {
        return false;
    }
    for (int attempt = 0; attempt < 20; ++attempt) {
        // The present file, opened (for writing too when allowed) and locked.
        Descriptor file;
        int fd = OpenRegularFile(target, O_RDWR);
        bool readable = fd >= 0;
        bool writable = fd >= 0;
        if (fd < 0 && errno == ENOENT) {
            // No file yet: it appears whole, unless another save makes it
            // first, whose table is then taken in.
            const Put put = PutThroughTemporary(target, make(nullptr), nullptr);
            if (put == Put::exists) {
                continue;
            }
            return put == Put::done;
        }
        if (fd < 0 && errno != EISDIR) {
            fd = OpenRegularFile(target, O_RDONLY);
            readable = fd >= 0;
            if (fd < 0 && errno != EISDIR) {
                fd = OpenRegularFile(target, O_WRONLY);
                writable = fd >= 0;
            }
        }
        Stat old{};
        if (fd < 0) {
            // Never replace what is not a regular file; one that cannot be
            // opened at all is replaced without a lock.
            if (errno == EISDIR || ::stat(target.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) {
                return false;
            }
            const std::string text = make(nullptr);
            return PutThroughTemporary(target, text, &old) == Put::done;
        }
        file.Reset(fd);
        LockFile(fd, LOCK_EX);
        // Another save may have renamed a new file over the one locked.
        Stat now{};
        if (::fstat(fd, &old) != 0 || ::stat(target.c_str(), &now) != 0 ||
            old.st_ino != now.st_ino || old.st_dev != now.st_dev) {
            continue;
        }
        std::string text;
        if (readable && old.st_size > 0) {
            DescriptorStream current(fd);
            text = make(&current);
        } else {
            text = make(nullptr);
        }
        bool saved = PutThroughTemporary(target, text, &old) == Put::done;
        if (!saved && writable) {
            saved = RewriteInPlace(fd, text);
        }
        return saved;
    }
    return false;
}

} // namespace

bool SaveFile(const std::string& path, const std::function<std::string(std::istream*)>& make)
{
    if (!Save(path, make))
        return false;
    FileSaved(path);
    return true;
}

bool TemporaryFolder(std::string& folder)
{
    const char* tmpdir = std::getenv("TMPDIR");
    if (!tmpdir || !*tmpdir) {
        folder = "/tmp";
        return true;
    }
    std::error_code ec;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    folder = ec ? std::string(tmpdir) : temp.string();
    return !ec;
}

bool SaveFile(const std::string& path, const std::string& contents)
{
    return SaveFile(path, [&contents](std::istream*) { return contents; });
}

NewFile SaveNewFile(const std::string& path, const std::string& contents)
{
    std::string temp;
    const int fd = OpenTemporary(path, temp);
    if (fd < 0) {
        return NewFile::failed;
    }
    bool ok = WriteAll(fd, contents) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    // Linked under its name, which fails when anything has that name; where
    // the file system has no hard links, renamed without replacing.
    NewFile result = NewFile::failed;
    if (ok && (::link(temp.c_str(), path.c_str()) == 0 ||
               (errno != EEXIST && RenameWithoutReplacing(temp, path)))) {
        result = NewFile::made;
        SyncFolder(FolderOf(path));
    } else if (ok && errno == EEXIST) {
        result = NewFile::exists;
    }
    ::unlink(temp.c_str());
    if (result == NewFile::made)
        FileSaved(path);
    return result;
}
