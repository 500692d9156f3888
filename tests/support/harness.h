// Helpers for whole-program tests: a scratch game folder, running the game
// headless with a script, and reading what it wrote.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace harness {

namespace fs = std::filesystem;

struct RunResult
{
    int exitCode = -1;
    std::string out; // standard output
    std::string err; // standard error
};

// Runs `binary` with `args` in `workDir` (or the current folder when empty),
// feeding `input` on standard input; kills it after timeoutSec.
RunResult Run(const std::string& binary, const std::vector<std::string>& args,
              const std::string& workDir = "", const std::string& input = "", int timeoutSec = 120);

// A fresh folder under the system's temporary folder, removed on destruction.
class TempDir
{
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    fs::path operator/(const std::string& rel) const { return path_ / rel; }

  private:
    fs::path path_;
};

// A game folder with the default content (game/), which tests may change:
// a copy of data/, and res/ linked file by file to the shared, read-only
// pictures and sounds. A file of res/ is replaced, never written in place
// (WriteFile and Unshare see to it); the folder checks at its end that no
// shared file was changed.
class GameDir : public TempDir
{
  public:
    explicit GameDir(bool withDefaultContent = true);
    ~GameDir();
    // Writes a file relative to the folder (creating folders); text as given.
    void Write(const std::string& rel, const std::string& contents) const;
    std::string Read(const std::string& rel) const;
    bool Exists(const std::string& rel) const;
    // Runs the game headless in this folder with the script text; extra
    // arguments follow. The script is written to "test.script".
    RunResult Play(const std::string& script, const std::vector<std::string>& extra = {},
                   int timeoutSec = 120) const;
    // Reads a dump written by the script (path relative to the folder).
    nlohmann::json Dump(const std::string& rel) const;

  private:
    struct Shared
    {
        fs::path source;
        int64_t modified;
        uint32_t mode;
    };
    std::vector<Shared> shared_;
};

// Makes a file that is linked to the shared content this folder's own to
// write: the link goes (nothing happens to any other file).
void Unshare(const fs::path& file);

// Sets an environment variable (or unsets it, for no value) for the life of the object.
class ScopedEnv
{
  public:
    ScopedEnv(const char* name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// Makes a folder the working folder for the life of the object.
class ScopedCwd
{
  public:
    explicit ScopedCwd(const fs::path& dir);
    ~ScopedCwd();
    ScopedCwd(const ScopedCwd&) = delete;
    ScopedCwd& operator=(const ScopedCwd&) = delete;

  private:
    fs::path old_;
};

// The lines of a text, split at LF; a CR before the LF goes with it.
std::vector<std::string> Lines(const std::string& text);

// Joins lines with CR LF (the line end of the game's text files).
std::string CrLf(const std::vector<std::string>& lines, bool finalLineEnd = true);

std::string ReadFile(const fs::path& path);
// Writes a file whole, replacing a file linked to the shared content.
void WriteFile(const fs::path& path, const std::string& contents);

} // namespace harness
