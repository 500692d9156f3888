// Reading the files of the game as a player's machine really has them: only
// regular files are read, so a pipe, device or folder named like a file never
// stalls the game; and a reader can wait for another program's save to end.
#pragma once

#include <istream>
#include <streambuf>
#include <string>

// Reads from an open file descriptor, which it does not own.
class FileBuffer : public std::streambuf
{
  public:
    explicit FileBuffer(int fd = -1) : fd_(fd) {}
    void Attach(int fd) { fd_ = fd; }

  protected:
    int_type underflow() override;

  private:
    int fd_;
    char data_[4096];
};

// A file opened for reading only when it is a regular file. The open does
// not block, so a named pipe in its place is not waited for; anything that
// is not a regular file, or cannot be opened, leaves the stream not open and
// reading it finds the end at once.
class InFile : public std::istream
{
  public:
    explicit InFile(const std::string& path); // a path of this file system
    ~InFile() override;
    InFile(const InFile&) = delete;
    InFile& operator=(const InFile&) = delete;

    bool is_open() const { return fd_ >= 0; }
    // Waits (a few seconds at most) for a save by another program to end
    // (a save holds the file's lock while it writes; see LockFile).
    void WaitForSaves();

  private:
    int fd_ = -1;
    FileBuffer buffer_;
};

// True when `path` names a regular file that can be opened for reading.
bool IsReadableFile(const std::string& path);

// For saving such files: opens `path` with the open(2) flags, without
// blocking, and keeps it only when it is a regular file (else -1, errno
// EISDIR for anything that is not one).
int OpenRegularFile(const std::string& path, int flags);
// Takes an advisory lock (flock(2) LOCK_SH or LOCK_EX), waiting a bounded
// time for another holder. A file system without locks counts as locked.
void LockFile(int fd, int operation);
