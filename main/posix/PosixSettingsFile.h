// The settings file on disk: its INI text, read without following a FIFO or a device, and saved
// so that a failure at any step leaves the old file as it was.
//
// Errors: each call answers with the system's reason (empty on success) and never throws.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillop {

// The lines of an INI file, read as Qt's settings read them. Values of the general section (its
// header in any case, and lines before any section) are read and set by name, without regard to
// case; every other line stays as it was, one that cannot be read included.
class IniText {
  public:
    // Nothing when the bytes are binary rather than text (a NUL byte). A UTF-8 byte-order mark is
    // skipped.
    static std::optional<IniText> Parse(std::string_view bytes);

    // The first value of the name, up to a ";" or "#" comment outside quotes, trimmed and
    // unquoted; nothing when there is none.
    std::optional<std::string> Value(std::string_view name) const;
    // Sets the value of the name: the first line with that name in any case takes it and keeps
    // its comment, the others go. A new name joins the section in the order of the names.
    void Set(const std::string& name, const std::string& value);
    // The text, with "\n" at the end of each line.
    std::string Text() const;

  private:
    std::vector<std::string> lines_;
};

// What reading a file found.
struct FileContent {
    bool Exists = false;  // false also when the file could not be read
    std::string Bytes;
    std::string Refusal;  // why it could not be read; empty when it was read or is missing
};

// Reads a regular file, or the regular file a symlink leads to, of at most 1 MiB. A FIFO, a
// device or a folder is refused without being opened for long: it is never waited on.
FileContent ReadRegularFile(const std::string& path);

// Writes the bytes into a new file in the same folder, flushes and syncs it, and renames it over
// the file (over a symlink's target when the symlink leads to a regular file), then syncs the
// folder. On any failure the old file stays as it was and the new one is removed. Makes the
// folder if needed. Returns the system's reason for a failure, or an empty text.
std::string SaveFile(const std::string& path, const std::string& bytes);

// Where SetAside puts the file: "<path>.damaged", and the name an older copy there moves to: the
// first numbered one that is free, or that cannot be looked at (renaming to it then fails).
std::string AsideName(const std::string& path);
std::string OlderAsideName(const std::string& path);

// Renames the file (a symlink itself, never its target) to AsideName; an older copy there is
// kept under OlderAsideName first. Returns the system's reason for a failure, or an empty text.
std::string SetAside(const std::string& path);

// Whether the bytes are UTF-8.
bool IsUtf8(std::string_view bytes);

}  // namespace quillop
