#pragma once
// INI ("profile") files as the settings file, Chart.ini, Deck.ini and
// ChipFile.ini are read and written: case-insensitive section and key lookup,
// trimmed values cut to the caller's buffer, the first of duplicate keys wins,
// one-key writes that keep every other line, whole-section writes, CR LF line
// ends, bytes kept as they are (code page 932).

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace yarrow {

// Buffer sizes the readers use (the longest value they take, in bytes).
inline constexpr std::size_t kSettingsValueBytes = 255;
inline constexpr std::size_t kChartValueBytes = 1023;
inline constexpr std::size_t kChipValueBytes = 259;

class CProfileFile {
  public:
    using KeyValues = std::vector<std::pair<std::string, std::string>>;

    // Reads the file now; a missing or unreadable file reads as empty.
    explicit CProfileFile(std::string path);

    const std::string& Path() const { return path_; }
    // True when the file existed (and could be read) when it was last loaded.
    bool Exists() const { return exists_; }

    // The trimmed value of [section] key, cut to `maxBytes` bytes (never in the
    // middle of a double-byte character); `def` when the key is missing.
    std::string GetString(std::string_view section, std::string_view key, std::string_view def = {},
                          std::size_t maxBytes = kSettingsValueBytes) const;
    // The integer rules of the profile functions: optional sign, then leading
    // decimal digits ("12abc" is 12, "abc" is 0); `def` when the key is missing.
    int GetInt(std::string_view section, std::string_view key, int def) const;
    // That integer reading of a value already read; `def` when it is empty.
    static int ToInt(std::string_view value, int def);
    bool HasKey(std::string_view section, std::string_view key) const;
    // The keys of [section] with their values (trimmed and cut as GetString
    // does), in file order, each key once (its first occurrence).
    std::vector<std::pair<std::string, std::string>> SectionEntries(
        std::string_view section, std::size_t maxBytes = kSettingsValueBytes) const;
    // SectionEntries of each of `sections`, in their order, found in one walk
    // over the file: a reader of thousands of sections must not walk it for
    // each of them.
    std::vector<KeyValues> SectionsEntries(const std::vector<std::string>& sections,
                                           std::size_t maxBytes = kSettingsValueBytes) const;
    // Section names in file order.
    std::vector<std::string> SectionNames() const;
    // Whether two names name the same section: blanks around them ignored,
    // single-byte letters in any case.
    static bool SameSectionName(std::string_view a, std::string_view b);
    // A form of a name that is equal for exactly the names SameSectionName
    // takes as the same (for sets and maps of names).
    static std::string NameKey(std::string_view name);

    // Writes one key and saves the file at once, keeping every other line, its
    // order and unknown lines; adds the section or the key when missing.
    // Creates the file on first write. False when the file cannot be written.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Writes several keys of one section, in order, as one save: the same file
    // as that many WriteString calls, without rewriting it for each key.
    bool WriteStrings(std::string_view section,
                      const std::vector<std::pair<std::string, std::string>>& entries);
    // Writes keys of several sections, in order, as one save: either every
    // key is in the file afterwards or none is.
    bool WriteSections(const std::vector<std::pair<std::string, KeyValues>>& sections);
    // Replaces the whole section with `lines` ("key=value" each) and saves.
    bool WriteSection(std::string_view section, const std::vector<std::string>& lines);

    // Files larger than this are read only up to it (and then never rewritten,
    // since a rewrite would drop the part that was not read).
    static constexpr std::size_t kMaxFileBytes = 4u << 20;

  private:
    void Load();
    bool Save();

    std::string path_;
    bool exists_ = false;
    // False when the file exists but could not be read whole: writing it back
    // from what was read would lose the rest.
    bool writable_ = true;
    std::vector<std::string> lines_;  // the file's lines without their line ends
};

}  // namespace yarrow
