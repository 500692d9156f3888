// Dataquill's files: typed names resolved as the game resolves them, and
// saves that replace a file whole.
#pragma once

#include <string>
#include <string_view>

namespace quill {

// Names in the game's listing order: without regard to case, and names that
// differ only in case in a fixed order among themselves.
bool LessNoCase(const std::string& a, const std::string& b);

// The file the game would read under a typed name: "\" separates folders as
// "/" does, and each part of the name that exists in another letter case is
// taken as it exists (the first in listing order when several do). A part
// that exists nowhere is kept as typed, and so is everything after it.
std::string ResolveName(const std::string& typed);

// An output file whose lines are collected and written on Commit. A file
// that is a symbolic link is written through the link. The new text goes
// into a temporary file beside the file and is renamed over it; when the
// folder refuses a temporary file but the file itself can be written, the
// file is rewritten in place and flushed. Any failure leaves the old file
// whole and no temporary file behind.
class OutputFile
{
  public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Checks that the typed name can be written; false with Error() when not.
    bool Open(const std::string& typed);
    void Line(std::string_view text);
    bool Commit();
    const std::string& Error() const { return error_; }
    // The name the game reads under the typed one (links not followed).
    const std::string& Name() const { return name_; }

  private:
    bool CommitReplacing();
    bool CommitInPlace();
    bool Fail(int err);
    // Puts the old text back after a failed rewrite in place; always false.
    bool Restore(const std::string& old, int err);
    void Discard();

    std::string name_;
    std::string target_; // the file written: the last target of any links
    std::string temp_;   // the temporary file beside it, while it exists
    std::string contents_;
    std::string error_;
    int fd_ = -1; // the temporary file, or the target itself when in place
    bool inPlace_ = false;
};

} // namespace quill
