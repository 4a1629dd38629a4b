#include "platform/CProfileFile.h"

#include "platform/FileBytes.h"
#include "platform/SjisText.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace yarrow {
namespace {

// Profile values lose their blanks only: spaces and tabs.
std::string_view Trim(std::string_view s) {
    return TrimBlanks(s, " \t");
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Case-insensitive for the single-byte letters only: the trail byte of a
// double-byte character can fall in 'A'..'Z' and must compare exactly, or two
// different kanji could name the same key.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(a[i]);
        if (IsSjisLeadByte(c) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            ++i;
            continue;
        }
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

// The form in which SameName sees a name: single-byte letters lower-cased,
// double-byte characters as they are. Two names are the same exactly when
// their forms are equal, so a set of forms finds repeats in one lookup.
std::string NameForm(std::string_view name) {
    std::string form(name);
    for (std::size_t i = 0; i < form.size(); ++i) {
        if (IsSjisLeadByte(static_cast<unsigned char>(form[i])) && i + 1 < form.size()) {
            ++i;
            continue;
        }
        form[i] = AsciiLower(form[i]);
    }
    return form;
}

// "[name]" (blanks around allowed) gives the trimmed name; anything else,
// including an unterminated "[", is not a section header. The closing "]" is
// looked for by character: the second byte of a double-byte character such as
// "ゾ" (83 5D) is the same byte and must not end the name.
bool SectionHeader(std::string_view line, std::string_view* name) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() != '[')
        return false;
    std::size_t close = SjisFind(t, ']');
    // A stray lead byte right before the closing "]" takes it for its second
    // byte; a "]" that ends the line still ends the header.
    if (close == std::string_view::npos && t.size() > 1 && t.back() == ']')
        close = t.size() - 1;
    if (close == std::string_view::npos)
        return false;
    *name = Trim(t.substr(1, close - 1));
    return true;
}

// "key=value" gives the trimmed key and value; a line without '=' is not a key.
bool KeyLine(std::string_view line, std::string_view* key, std::string_view* value) {
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    *key = Trim(line.substr(0, eq));
    *value = Trim(line.substr(eq + 1));
    return true;
}

// A value must stay on its line: a line break inside it would start new keys
// or sections in the file. Breaks become blanks.
std::string OneLine(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

// A value in matching double or single quotes loses them, as hand-written INI
// files expect ("  a  " keeps its blanks that way).
std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// Calls `visit(key, value)` for every key line of the first section named
// `section`, in file order, until `visit` returns false.
template <typename Visit>
void ForEachKeyLine(const std::vector<std::string>& lines, std::string_view section, Visit visit) {
    bool inSection = false;
    for (const std::string& line : lines) {
        std::string_view name;
        if (SectionHeader(line, &name)) {
            if (inSection)
                return;
            inSection = SameName(name, section);
            continue;
        }
        std::string_view k, v;
        if (inSection && KeyLine(line, &k, &v) && !visit(k, v))
            return;
    }
}

// The value of the first `key` in the first section named `section`.
std::optional<std::string_view> FindValue(const std::vector<std::string>& lines,
                                          std::string_view section, std::string_view key) {
    std::optional<std::string_view> found;
    ForEachKeyLine(lines, section, [&](std::string_view k, std::string_view v) {
        if (!SameName(k, key))
            return true;
        found = Unquote(v);
        return false;
    });
    return found;
}

// Sets [section] key=value in `lines`: replaces the key's line, or adds the
// key after the section's last non-blank line, or the section at the end.
void SetKey(std::vector<std::string>& lines, std::string_view section, std::string_view key,
            std::string_view value) {
    std::string newLine = OneLine(key) + "=" + OneLine(value);
    std::size_t sectionAt = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view name;
        if (SectionHeader(lines[i], &name) && SameName(name, section)) {
            sectionAt = i;
            break;
        }
    }
    if (sectionAt == lines.size()) {
        lines.push_back("[" + OneLine(section) + "]");
        lines.push_back(newLine);
        return;
    }
    std::size_t insertAt = sectionAt + 1;
    for (std::size_t i = sectionAt + 1; i < lines.size(); ++i) {
        std::string_view name, k, v;
        if (SectionHeader(lines[i], &name))
            break;
        if (KeyLine(lines[i], &k, &v) && SameName(k, key)) {
            lines[i] = newLine;
            return;
        }
        if (!Trim(lines[i]).empty())
            insertAt = i + 1;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
}

}  // namespace

CProfileFile::CProfileFile(std::string path) : path_(std::move(path)) {
    Load();
}

void CProfileFile::Load() {
    lines_.clear();
    exists_ = false;
    writable_ = true;
    std::FILE* f = std::fopen(path_.c_str(), "rb");
    if (!f) {
        // A missing file is simply empty and is created on the first write; any
        // other failure leaves the file alone.
        writable_ = (errno == ENOENT);
        return;
    }
    std::string data;
    char buffer[65536];
    bool failed = false;
    while (data.size() <= kMaxFileBytes) {
        std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
        data.append(buffer, n);
        if (n < sizeof buffer) {
            failed = std::ferror(f) != 0;
            break;
        }
    }
    std::fclose(f);
    if (data.size() > kMaxFileBytes) {
        data.resize(kMaxFileBytes);
        writable_ = false;
    }
    if (failed)
        writable_ = false;
    exists_ = !failed;

    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t nl = data.find('\n', start);
        std::size_t end = (nl == std::string::npos) ? data.size() : nl;
        std::size_t lineEnd = end;
        if (lineEnd > start && data[lineEnd - 1] == '\r')
            --lineEnd;
        lines_.emplace_back(data, start, lineEnd - start);
        if (nl == std::string::npos)
            break;
        start = nl + 1;
    }
}

std::string CProfileFile::GetString(std::string_view section, std::string_view key,
                                    std::string_view def, std::size_t maxBytes) const {
    std::optional<std::string_view> v = FindValue(lines_, section, key);
    std::string_view text = v ? *v : def;
    return std::string(text.substr(0, SjisCutLength(text, maxBytes)));
}

bool CProfileFile::HasKey(std::string_view section, std::string_view key) const {
    return FindValue(lines_, section, key).has_value();
}

int CProfileFile::GetInt(std::string_view section, std::string_view key, int def) const {
    return ToInt(GetString(section, key, {}, kSettingsValueBytes), def);
}

int CProfileFile::ToInt(std::string_view v, int def) {
    if (v.empty())
        return def;
    std::size_t i = 0;
    bool negative = false;
    if (v[i] == '+' || v[i] == '-') {
        negative = v[i] == '-';
        ++i;
    }
    // Unsigned arithmetic wraps like the profile functions do on overlong
    // numbers instead of overflowing.
    std::uint32_t n = 0;
    for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) {
        n = n * 10u + static_cast<std::uint32_t>(v[i] - '0');
    }
    if (negative)
        n = 0u - n;
    return static_cast<int>(n);
}

std::vector<std::pair<std::string, std::string>> CProfileFile::SectionEntries(
    std::string_view section, std::size_t maxBytes) const {
    return std::move(SectionsEntries({std::string(section)}, maxBytes).front());
}

std::vector<CProfileFile::KeyValues> CProfileFile::SectionsEntries(
    const std::vector<std::string>& sections, std::size_t maxBytes) const {
    std::vector<KeyValues> entries(sections.size());
    // Requests by the form of their name; a name asked for twice is answered
    // once and copied.
    std::unordered_map<std::string, std::vector<std::size_t>> wanted;
    for (std::size_t i = 0; i < sections.size(); ++i)
        wanted[NameForm(sections[i])].push_back(i);
    std::vector<std::vector<std::size_t>> answered;
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t current = kNone;  // the request the section in hand answers
    // Its keys so far, each taken once: a hand-made file may hold a section
    // of hundreds of thousands of keys, too many to compare one by one.
    std::unordered_set<std::string> seen;
    for (const std::string& line : lines_) {
        std::string_view name;
        if (SectionHeader(line, &name)) {
            if (wanted.empty())
                break;  // every section asked for is read whole
            current = kNone;
            seen.clear();
            // Only the first section of a name counts, as for every lookup.
            if (auto it = wanted.find(NameForm(name)); it != wanted.end()) {
                current = it->second.front();
                answered.push_back(std::move(it->second));
                wanted.erase(it);
            }
            continue;
        }
        std::string_view k, v;
        if (current != kNone && KeyLine(line, &k, &v) && seen.insert(NameForm(k)).second) {
            v = Unquote(v);
            entries[current].emplace_back(std::string(k),
                                          std::string(v.substr(0, SjisCutLength(v, maxBytes))));
        }
    }
    for (const std::vector<std::size_t>& same : answered) {
        for (std::size_t j = 1; j < same.size(); ++j)
            entries[same[j]] = entries[same.front()];
    }
    return entries;
}

std::vector<std::string> CProfileFile::SectionNames() const {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (const std::string& line : lines_) {
        std::string_view name;
        if (!SectionHeader(line, &name))
            continue;
        if (seen.insert(NameForm(name)).second)
            names.emplace_back(name);
    }
    return names;
}

bool CProfileFile::SameSectionName(std::string_view a, std::string_view b) {
    return SameName(Trim(a), Trim(b));
}

std::string CProfileFile::NameKey(std::string_view name) {
    return NameForm(Trim(name));
}

bool CProfileFile::WriteString(std::string_view section, std::string_view key,
                               std::string_view value) {
    return WriteStrings(section, {{std::string(key), std::string(value)}});
}

bool CProfileFile::WriteStrings(std::string_view section,
                                const std::vector<std::pair<std::string, std::string>>& entries) {
    // Another writer may have changed the file since it was read: start from
    // what is on disk now, as the profile functions do.
    Load();
    if (!writable_)
        return false;
    for (const auto& [key, value] : entries)
        SetKey(lines_, section, key, value);
    return Save();
}

bool CProfileFile::WriteSections(const std::vector<std::pair<std::string, KeyValues>>& sections) {
    Load();
    if (!writable_)
        return false;
    for (const auto& [section, entries] : sections) {
        for (const auto& [key, value] : entries)
            SetKey(lines_, section, key, value);
    }
    return Save();
}

bool CProfileFile::WriteSection(std::string_view section, const std::vector<std::string>& lines) {
    Load();
    if (!writable_)
        return false;
    std::vector<std::string> body;
    body.reserve(lines.size());
    for (const std::string& l : lines)
        body.push_back(OneLine(l));

    std::size_t sectionAt = lines_.size();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::string_view name;
        if (SectionHeader(lines_[i], &name) && SameName(name, section)) {
            sectionAt = i;
            break;
        }
    }
    if (sectionAt == lines_.size()) {
        lines_.push_back("[" + OneLine(section) + "]");
        lines_.insert(lines_.end(), body.begin(), body.end());
        return Save();
    }
    std::size_t end = sectionAt + 1;
    std::string_view name;
    while (end < lines_.size() && !SectionHeader(lines_[end], &name))
        ++end;
    // Blank lines that separate this section from the next one stay.
    std::size_t bodyEnd = end;
    while (bodyEnd > sectionAt + 1 && Trim(lines_[bodyEnd - 1]).empty())
        --bodyEnd;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(sectionAt + 1),
                 lines_.begin() + static_cast<std::ptrdiff_t>(bodyEnd));
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(sectionAt + 1), body.begin(),
                  body.end());
    return Save();
}

bool CProfileFile::Save() {
    std::string data;
    for (const std::string& line : lines_) {
        data += line;
        data += "\r\n";
    }
    // A temporary file beside the real one is renamed over it, so neither a
    // crash, a full disk nor a power cut leaves half a settings file behind.
    const int error =
        ReplaceFileDurably(path_, path_ + ".tmp" + std::to_string(::getpid()), [&](int fd) {
            struct stat st;
            if (::stat(path_.c_str(), &st) == 0)
                ::fchmod(fd, st.st_mode & 07777);
            return WriteAllBytes(fd, data);
        });
    if (error != 0) {
        errno = error;
        return false;
    }
    exists_ = true;
    return true;
}

}  // namespace yarrow
