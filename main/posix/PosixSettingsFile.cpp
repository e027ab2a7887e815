#include "main/posix/PosixSettingsFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace quillop {

namespace {

constexpr std::size_t kMaxFileSize = 1 << 20;

std::string SystemReason(int error) {
    return std::strerror(error);
}

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return Lower(x) == Lower(y); });
}

bool NameBefore(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

// One line of the text: a section header, a key with its value, or neither (blank, comment, or a
// line that is none of these, which is kept as it is and never read).
struct IniLine {
    enum class Kind { Other, Section, Key } What = Kind::Other;
    std::string_view Name;     // the section's or the key's
    std::string_view Value;    // up to a comment that is not in quotes, trimmed
    std::string_view Comment;  // that comment with the blanks before it; empty when none
};

IniLine Classify(std::string_view line) {
    const std::string_view text = Trimmed(line);
    if (text.empty() || text.front() == ';' || text.front() == '#') {
        return {};
    }
    if (text.front() == '[') {
        // As Qt's settings read a header: up to the "]", or to the end when it is missing.
        return {IniLine::Kind::Section, Trimmed(text.substr(1, text.find(']', 1) - 1)), {}, {}};
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || Trimmed(text.substr(0, equals)).empty()) {
        return {};
    }
    std::size_t end = equals + 1;
    for (bool quoted = false; end < text.size(); ++end) {
        if (text[end] == '"') {
            quoted = !quoted;
        } else if (!quoted && (text[end] == ';' || text[end] == '#')) {
            break;
        }
    }
    std::size_t comment = end;
    while (comment > equals + 1 && (text[comment - 1] == ' ' || text[comment - 1] == '\t')) {
        --comment;
    }
    return {IniLine::Kind::Key, Trimmed(text.substr(0, equals)),
            Trimmed(text.substr(equals + 1, end - equals - 1)),
            end < text.size() ? text.substr(comment) : std::string_view()};
}

bool IsGeneral(const IniLine& line) {
    return line.What == IniLine::Kind::Section && SameName(line.Name, "General");
}

// The lines of the general section's keys, each with its classification, in order.
template <class Visit>
void ForEachGeneralKey(const std::vector<std::string>& lines, Visit&& visit) {
    bool general = true;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const IniLine line = Classify(lines[i]);
        if (line.What == IniLine::Kind::Section) {
            general = IsGeneral(line);
        } else if (general && line.What == IniLine::Kind::Key) {
            visit(i, line);
        }
    }
}

// Writes all the bytes; false with errno set on failure.
bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

std::string Folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the folder and those above it, for the user alone as the XDG base-directory rules ask;
// folders already there keep their mode. Errors show at the first use of the folder.
void MakeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        mkdir(folder.substr(0, slash).c_str(), 0700);
    }
    mkdir(folder.c_str(), 0700);
}

// The file a save replaces: a symlink's target when it is a regular file, else the path itself.
std::string SaveTarget(const std::string& path) {
    struct stat link {};
    struct stat target {};
    if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) &&
        stat(path.c_str(), &target) == 0 && S_ISREG(target.st_mode)) {
        char resolved[PATH_MAX];
        if (realpath(path.c_str(), resolved) != nullptr) {
            return resolved;
        }
    }
    return path;
}

// Renames without replacing what is at `to`; errno EEXIST when something is.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    // NOTE: some file systems cannot rename without replacing; there the name is checked first.
    if (errno != EINVAL && errno != ENOSYS) {
        return -1;
    }
    struct stat there {};
    if (lstat(to.c_str(), &there) == 0) {
        errno = EEXIST;
        return -1;
    }
    return rename(from.c_str(), to.c_str());
}

}  // namespace

bool IsUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        unsigned minimum = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (i + length > bytes.size()) {
            return false;
        }
        unsigned code = lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::optional<IniText> IniText::Parse(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    // A NUL byte marks binary data, as grep and git take it; a line that is merely odd is kept.
    if (bytes.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    IniText text;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find_first_of("\r\n");
        text.lines_.emplace_back(bytes.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        bytes.remove_prefix(bytes.substr(end, 2) == "\r\n" ? end + 2 : end + 1);
    }
    return text;
}

std::optional<std::string> IniText::Value(std::string_view name) const {
    std::optional<std::string> found;
    ForEachGeneralKey(lines_, [&](std::size_t, const IniLine& line) {
        if (!found && SameName(line.Name, name)) {
            std::string_view value = line.Value;
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
                value = value.substr(1, value.size() - 2);
            }
            found = std::string(value);
        }
    });
    return found;
}

void IniText::Set(const std::string& name, const std::string& value) {
    std::optional<std::size_t> same;
    std::string comment;
    std::optional<std::size_t> before;
    std::optional<std::size_t> lastKey;
    std::vector<std::size_t> others;
    ForEachGeneralKey(lines_, [&](std::size_t i, const IniLine& line) {
        if (SameName(line.Name, name) && same) {
            others.push_back(i);
        } else if (SameName(line.Name, name)) {
            same = i;
            comment = line.Comment;
        } else {
            if (!before && NameBefore(name, line.Name)) {
                before = i;
            }
            lastKey = i;
        }
    });
    const std::string entry = name + "=" + value;
    if (same) {
        lines_[*same] = entry + comment;
        for (auto i = others.rbegin(); i != others.rend(); ++i) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*i));
        }
        return;
    }
    if (before || lastKey) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(before ? *before : *lastKey + 1),
                      entry);
        return;
    }
    const auto header = std::find_if(lines_.begin(), lines_.end(), [](const std::string& line) {
        return IsGeneral(Classify(line));
    });
    if (header != lines_.end()) {
        lines_.insert(header + 1, entry);
        return;
    }
    // Qt's settings write the general section first, and a blank line between sections.
    std::vector<std::string> section{"[General]", entry};
    if (!lines_.empty()) {
        section.emplace_back();
    }
    lines_.insert(lines_.begin(), section.begin(), section.end());
}

std::string IniText::Text() const {
    std::string text;
    for (const std::string& line : lines_) {
        text += line;
        text += '\n';
    }
    return text;
}

FileContent ReadRegularFile(const std::string& path) {
    FileContent content;
    struct stat status {};
    // The type is checked before the open, and again on what was opened: a FIFO would block the
    // open and a device might act on it.
    if (stat(path.c_str(), &status) != 0) {
        if (errno != ENOENT) {
            content.Refusal = SystemReason(errno);
        }
        return content;
    }
    if (!S_ISREG(status.st_mode)) {
        content.Refusal = S_ISDIR(status.st_mode)    ? SystemReason(EISDIR)
                          : S_ISFIFO(status.st_mode) ? "a FIFO, not a regular file"
                                                     : "a device or socket, not a regular file";
        return content;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        content.Refusal = SystemReason(errno);
        return content;
    }
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        content.Refusal = "not a regular file";
        close(fd);
        return content;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            content.Refusal = SystemReason(errno);
            break;
        }
        if (got == 0) {
            content.Exists = true;
            break;
        }
        content.Bytes.append(buffer, static_cast<std::size_t>(got));
        if (content.Bytes.size() > kMaxFileSize) {
            content.Refusal = SystemReason(EFBIG);
            break;
        }
    }
    close(fd);
    if (!content.Exists) {
        content.Bytes.clear();
    }
    return content;
}

std::string SaveFile(const std::string& path, const std::string& bytes) {
    const std::string target = SaveTarget(path);
    const std::string folder = Folder(target);
    MakeFolders(folder);
    struct stat old {};
    const bool replacing = stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = target + ".new-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return SystemReason(errno);
        }
    }
    if (fd < 0) {
        return SystemReason(EEXIST);
    }
    // Each step is checked; the first failure removes the new file and leaves the old one.
    bool written = WriteAll(fd, bytes) && (!replacing || fchmod(fd, old.st_mode & 07777) == 0) &&
                   fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && rename(temporary.c_str(), target.c_str()) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        unlink(temporary.c_str());
        return SystemReason(error);
    }
    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        return SystemReason(errno);
    }
    // NOTE: some file systems cannot sync a folder (EINVAL); the rename stands there as it is.
    const bool synced = fsync(folderFd) == 0 || errno == EINVAL;
    error = errno;
    close(folderFd);
    return synced ? std::string() : SystemReason(error);
}

std::string AsideName(const std::string& path) {
    return path + ".damaged";
}

std::string OlderAsideName(const std::string& path) {
    for (int number = 1;; ++number) {
        const std::string name = AsideName(path) + "." + std::to_string(number);
        // Only a name that is taken leads to the next; a name that cannot be looked at (too long,
        // in a folder that cannot be searched) is the answer, and renaming to it tells why.
        struct stat there {};
        if (lstat(name.c_str(), &there) != 0) {
            return name;
        }
    }
}

std::string SetAside(const std::string& path) {
    const std::string aside = AsideName(path);
    struct stat there {};
    if (lstat(aside.c_str(), &there) == 0) {
        int tries = 0;
        while (RenameNoReplace(aside, OlderAsideName(path)) != 0) {
            if (errno != EEXIST || ++tries == 100) {
                return SystemReason(errno);
            }
        }
    }
    if (RenameNoReplace(path, aside) != 0) {
        return SystemReason(errno);
    }
    return {};
}

}  // namespace quillop
