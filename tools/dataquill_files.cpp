#include "dataquill_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "dataquill_rules.h"

namespace quill {

namespace fs = std::filesystem;

bool LessNoCase(const std::string& a, const std::string& b)
{
    const std::string la = Lower(a), lb = Lower(b);
    return la != lb ? la < lb : a < b;
}

namespace {

// The name in folder `dir` that equals `part` without regard to case; the
// first in listing order when several do.
bool FindNoCase(const fs::path& dir, const std::string& part, std::string& found)
{
    const std::string want = Lower(part);
    bool any = false;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (Lower(name) == want && (!any || LessNoCase(name, found))) {
            found = std::move(name);
            any = true;
        }
    }
    return any;
}

// The last target of a chain of symbolic links; the path itself when it is
// no link. False (with errno set) for a chain that does not end.
bool FollowLinks(std::string& path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st = {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return true;
        }
        std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        ssize_t n = readlink(path.c_str(), buf.data(), buf.size());
        if (n < 0) {
            return false;
        }
        fs::path target(std::string(buf.data(), static_cast<size_t>(n)));
        if (target.is_relative()) {
            target = fs::path(path).parent_path() / target;
        }
        path = target.string();
    }
    errno = ELOOP;
    return false;
}

bool WriteAll(int fd, const std::string& text, off_t offset)
{
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t n = pwrite(fd, p, left, offset);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
        offset += n;
    }
    return true;
}

bool ReadAll(int fd, std::string& text)
{
    struct stat st = {};
    if (fstat(fd, &st) != 0) {
        return false;
    }
    text.assign(static_cast<size_t>(st.st_size), '\0');
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = pread(fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            text.resize(done); // the file was shorter than it said
            break;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

std::string ResolveName(const std::string& typed)
{
    std::string p = typed;
    std::replace(p.begin(), p.end(), '\\', '/');
    std::string out;
    size_t i = 0;
    if (!p.empty() && p[0] == '/') {
        out.push_back('/');
        i = 1;
    }
    bool exists = true; // whether `out` names an existing folder so far
    while (i < p.size()) {
        size_t j = std::min(p.find('/', i), p.size());
        std::string part = p.substr(i, j - i);
        i = j + 1;
        if (part.empty()) {
            continue;
        }
        if (exists && part != "." && part != "..") {
            std::error_code ec;
            const fs::path dir = out.empty() ? fs::path(".") : fs::path(out);
            if (!fs::exists(dir / part, ec)) {
                std::string found;
                if (FindNoCase(dir, part, found)) {
                    part = std::move(found);
                } else {
                    exists = false;
                }
            }
        }
        if (!out.empty() && out.back() != '/') {
            out += '/';
        }
        out += part;
    }
    if (!p.empty() && p.back() == '/' && (out.empty() || out.back() != '/')) {
        out += '/';
    }
    return out;
}

// ---------------------------------------------------------------------------

OutputFile::~OutputFile()
{
    Discard();
}

bool OutputFile::Open(const std::string& typed)
{
    if (typed.empty()) {
        error_ = "no file name given";
        return false;
    }
    name_ = ResolveName(typed);
    target_ = name_;
    if (!FollowLinks(target_)) {
        return Fail(errno);
    }
    struct stat st = {};
    const bool exists = stat(target_.c_str(), &st) == 0;
    mode_t mode = 0;
    if (exists) {
        if (S_ISDIR(st.st_mode)) {
            return Fail(EISDIR);
        }
        if (access(target_.c_str(), W_OK) != 0) {
            return Fail(errno);
        }
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    const fs::path dir = fs::path(target_).parent_path();
    std::string pattern = (dir.empty() ? fs::path(".") : dir).string() + "/.dataquill-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    fd_ = mkstemp(buf.data());
    if (fd_ >= 0) {
        temp_ = buf.data();
        fchmod(fd_, mode);
        return true;
    }
    // A folder that takes no new file: a file of its own that can be written
    // is rewritten where it is.
    const int tempError = errno;
    if (!exists || !S_ISREG(st.st_mode)) {
        return Fail(tempError);
    }
    fd_ = open(target_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
        return Fail(errno);
    }
    inPlace_ = true;
    return true;
}

void OutputFile::Line(std::string_view text)
{
    contents_.append(text);
    contents_.append("\r\n");
}

bool OutputFile::Commit()
{
    return inPlace_ ? CommitInPlace() : CommitReplacing();
}

bool OutputFile::CommitReplacing()
{
    if (!WriteAll(fd_, contents_, 0) || fsync(fd_) != 0) {
        return Fail(errno);
    }
    int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) {
        return Fail(errno);
    }
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        return Fail(errno);
    }
    temp_.clear();
    return true;
}

bool OutputFile::CommitInPlace()
{
    std::string old;
    if (!ReadAll(fd_, old)) {
        return Fail(errno);
    }
    const auto oldSize = static_cast<off_t>(old.size());
    const auto newSize = static_cast<off_t>(contents_.size());
    // Room for a longer text is taken before the first byte changes.
    if (newSize > oldSize) {
        int err = posix_fallocate(fd_, oldSize, newSize - oldSize);
        if (err != 0 && err != EOPNOTSUPP && err != EINVAL) {
            return Restore(old, err);
        }
    }
    if (WriteAll(fd_, contents_, 0) && ftruncate(fd_, newSize) == 0 && fsync(fd_) == 0) {
        int fd = fd_;
        fd_ = -1;
        if (close(fd) == 0) {
            return true;
        }
        return Fail(errno);
    }
    return Restore(old, errno);
}

bool OutputFile::Restore(const std::string& old, int err)
{
    const bool restored = WriteAll(fd_, old, 0) &&
                          ftruncate(fd_, static_cast<off_t>(old.size())) == 0 && fsync(fd_) == 0;
    const int restoreErr = errno;
    Fail(err);
    if (!restored) {
        error_ += "; the file could not be put back as it was: ";
        error_ += std::strerror(restoreErr);
    }
    return false;
}

bool OutputFile::Fail(int err)
{
    error_ = std::strerror(err);
    Discard();
    return false;
}

void OutputFile::Discard()
{
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        unlink(temp_.c_str());
        temp_.clear();
    }
}

} // namespace quill
