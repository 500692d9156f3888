// Opening and saving the files of the game and its window as a player's
// machine really has them: only regular files are read (regular_file.h),
// and saves follow symbolic links, never leave a half-written file, and let
// two games share one file.
#pragma once

#include <functional>
#include <istream>
#include <string>
#include <string_view>

#include "regular_file.h"

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

// Makes a new file at `path` holding `contents`, whole or not at all, and
// never in place of anything already there (a file, a link, a folder): for
// files that two games may make at once under one name.
enum class NewFile { made, exists, failed };
NewFile SaveNewFile(const std::string& path, const std::string& contents);

// What the system offers differently on the desktop (storage_system.cpp)
// and in a browser (web/platform/storage_system_web.cpp, linked in its place):
// Renames `from` to `to` unless something is named `to` (errno EEXIST then).
bool RenameWithoutReplacing(const std::string& from, const std::string& to);
// Called after each save that succeeded (SaveFile, SaveNewFile) with its
// path: where the platform keeps files elsewhere too, they are brought up
// to date.
void FileSaved(const std::string& path);

// The folder of temporary files: TMPDIR, or /tmp when it is unset or empty.
// False, with `folder` the TMPDIR given, when that names no folder.
bool TemporaryFolder(std::string& folder);
// Replays being watched or checked keep the player's files in a private
// folder there, named with this prefix, the pid and six characters, so that
// a later start can tell the folders of runs that were killed.
constexpr std::string_view kReplayFolderPrefix = "zoduzor-replay-";
