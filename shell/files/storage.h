// Opening and saving the files of the game and its window as a player's
// machine really has them: only regular files are read (a pipe, device or
// folder named like a file never stalls the game), and saves follow symbolic
// links, never leave a half-written file, and let two games share one file.
#pragma once

#include <functional>
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
    // Waits (a few seconds at most) for a save by another program to end;
    // see SaveFile.
    void WaitForSaves();

  private:
    int fd_ = -1;
    FileBuffer buffer_;
};

// True when `path` names a regular file that can be opened for reading.
bool IsReadableFile(const std::string& path);

// Saves one of the program's own files at `path` (a path of this file system).
// A symbolic link is followed to the file it names, which is replaced and
// the link kept. The new text goes to a uniquely named temporary file
// beside that file, is flushed to the disk and renamed over it; when the
// folder takes no temporary file but the file itself may be written, the
// file is rewritten in place and flushed. While saving, the file is locked
// against other saves (an advisory lock), and `make` is called under that
// lock with the file's present text (nullptr when there is none: missing,
// empty or unreadable) and returns the text to save; it may be called again
// when another save got in first. A file that did not exist appears whole.
// Returns false when nothing could be saved; the old file is then left
// whole. Something that is not a regular file is never replaced.
bool SaveFile(const std::string& path, const std::function<std::string(std::istream*)>& make);
bool SaveFile(const std::string& path, const std::string& contents);
