#include "dice/DiceTemplate.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>

#include "platform/CProfileFile.h"
#include "platform/Cp932.h"
#include "platform/SjisText.h"
#include "settings/CSettings.h"

namespace yarrow {
namespace {

constexpr std::string_view kSection = "DiceTemplate";
constexpr std::string_view kCountKey = "TemplateNum";
constexpr std::string_view kEscapedComma = "%2C";

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The profile functions' integer reading: optional sign, leading digits.
std::int32_t ToInt(std::string_view s) {
    s = TrimBlanks(s);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    std::int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            break;
        if (v < 3000000000LL)
            v = v * 10 + (c - '0');
    }
    if (v > 2147483647LL)
        v = 2147483647LL;
    return static_cast<std::int32_t>(negative ? -v : v);
}

const char* CriterionWord(TemplateCriterion c) {
    switch (c) {
        case TemplateCriterion::RollUnder:
            return "lo";
        case TemplateCriterion::RollOver:
            return "hi";
        case TemplateCriterion::Plugin:
            return "pl";
        case TemplateCriterion::Other:
            break;
    }
    return "";
}

// The values of the keys "1" … "count" among a section's entries, in key
// order, leaving out the keys that are not there. The count is read from the
// file, so the keys are not asked for one by one: a count of two thousand
// million would keep the window busy for hours asking for keys that do not
// exist.
std::vector<std::string> NumberedValues(CProfileFile::KeyValues section, int count) {
    std::vector<std::pair<int, std::string>> found;
    for (auto& [key, value] : section) {
        // Only the plain decimal spelling names an entry ("05" is not "5").
        if (key.empty() || key.size() > 10 || key[0] < '1' || key[0] > '9')
            continue;
        std::int64_t number = 0;
        bool digits = true;
        for (char c : key) {
            if (c < '0' || c > '9') {
                digits = false;
                break;
            }
            number = number * 10 + (c - '0');
        }
        if (digits && number <= count)
            found.emplace_back(static_cast<int>(number), std::move(value));
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> values;
    values.reserve(found.size());
    for (auto& [number, value] : found)
        values.push_back(std::move(value));
    return values;
}

// The count key of a section among its entries, read as GetInt reads it.
int CountOf(const CProfileFile::KeyValues& section) {
    for (const auto& [key, value] : section) {
        if (CProfileFile::SameSectionName(key, kCountKey))  // keys compare as names do
            return CProfileFile::ToInt(value, 0);
    }
    return 0;
}

// The valid entries among a group section's entries.
std::vector<TemplateEntry> EntriesOf(CProfileFile::KeyValues section) {
    std::vector<TemplateEntry> entries;
    const int count = CountOf(section);
    for (const std::string& line : NumberedValues(std::move(section), count)) {
        if (auto entry = ParseTemplateEntry(line))
            entries.push_back(std::move(*entry));
    }
    return entries;
}

}  // namespace

std::optional<TemplateEntry> ParseTemplateEntry(std::string_view line) {
    const std::size_t first = line.find(',');
    if (first == std::string_view::npos || first == 0)
        return std::nullopt;
    TemplateEntry entry;
    std::string name(TrimBlanks(line.substr(0, first)));
    // A template always has a name; stored, a blank one would read back as
    // nothing at all.
    if (name.empty())
        return std::nullopt;
    const std::string_view rest = line.substr(first + 1);
    const std::size_t second = rest.find(',');
    std::string formula;
    if (second == std::string_view::npos || second == 0) {
        formula = std::string(rest);
        entry.criterion = TemplateCriterion::Other;
    } else {
        formula = std::string(TrimBlanks(rest.substr(0, second)));
        // A judged entry needs something to roll; stored, a blank formula
        // would read back as a template without judgement.
        if (formula.empty())
            return std::nullopt;
        const std::string_view rest2 = rest.substr(second + 1);
        const std::size_t third = rest2.find(',');
        if (third == std::string_view::npos || third == 0)
            return std::nullopt;
        entry.target = ToInt(rest2.substr(0, third));
        const std::string word = Lower(TrimBlanks(rest2.substr(third + 1)));
        if (word.empty())
            return std::nullopt;
        if (word == "lo")
            entry.criterion = TemplateCriterion::RollUnder;
        else if (word == "hi")
            entry.criterion = TemplateCriterion::RollOver;
        else if (word == "pl")
            entry.criterion = TemplateCriterion::Plugin;
        else
            entry.criterion = TemplateCriterion::Other;
    }
    entry.name = ReplaceAllBytes(name, kEscapedComma, ",");
    entry.formula = ReplaceAllBytes(formula, kEscapedComma, ",");
    return entry;
}

std::string FormatTemplateEntry(const TemplateEntry& entry) {
    std::string line = ReplaceAllBytes(entry.name, ",", kEscapedComma) + "," +
                       ReplaceAllBytes(entry.formula, ",", kEscapedComma);
    if (entry.criterion == TemplateCriterion::Other)
        return line;
    return line + "," + std::to_string(entry.target) + "," + CriterionWord(entry.criterion);
}

std::string TemplateDisplayText(const TemplateEntry& entry) {
    static const std::string down = Sjis("↓)");
    static const std::string up = Sjis("↑)");
    switch (entry.criterion) {
        case TemplateCriterion::RollUnder:
            return entry.name + "(" + std::to_string(entry.target) + down;
        case TemplateCriterion::RollOver:
            return entry.name + "(" + std::to_string(entry.target) + up;
        case TemplateCriterion::Plugin:
        case TemplateCriterion::Other:
            break;
    }
    return entry.name + "(" + entry.formula + ")";
}

std::vector<std::string> ReadTemplateGroupNames(const CProfileFile& file) {
    std::vector<std::string> names;
    CProfileFile::KeyValues section = file.SectionEntries(kSection);
    const int count = CountOf(section);
    for (std::string& name : NumberedValues(std::move(section), count)) {
        if (!name.empty())
            names.push_back(std::move(name));
    }
    return names;
}

std::vector<TemplateEntry> ReadTemplateEntries(const CProfileFile& file, std::string_view group) {
    return EntriesOf(file.SectionEntries(group));
}

std::vector<TemplateGroup> ReadTemplateGroups(const CProfileFile& file) {
    // A name listed again, in any case, is the same section and so the same
    // group: kept twice, the save of the second copy would write its entries
    // over the edits of the first.
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (std::string& name : ReadTemplateGroupNames(file)) {
        if (seen.insert(CProfileFile::NameKey(name)).second)
            names.push_back(std::move(name));
    }
    // All sections in one walk over the file: one walk per group would take
    // hours over a large file of group names.
    std::vector<CProfileFile::KeyValues> sections = file.SectionsEntries(names);
    std::vector<TemplateGroup> groups;
    groups.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        groups.push_back({std::move(names[i]), EntriesOf(std::move(sections[i]))});
    return groups;
}

bool IsReservedTemplateGroupName(std::string_view name) {
    static constexpr std::string_view kReserved[] = {kInitialSetting, kDiceSection,
                                                     kSubHandleNameSection, kRandomDiceHoySection,
                                                     kDiceTemplateSection};
    const std::string wanted = Lower(TrimBlanks(name, " \t"));
    for (std::string_view reserved : kReserved) {
        if (wanted == Lower(reserved))
            return true;
    }
    return false;
}

bool IsStorableTemplateGroupName(std::string_view name) {
    const std::string_view trimmed = TrimBlanks(name, " \t");
    if (trimmed.empty() || SjisFind(trimmed, ']') != std::string_view::npos ||
        trimmed.find_first_of("\r\n") != std::string_view::npos)
        return false;
    const bool quoted = trimmed.size() >= 2 &&
                        (trimmed.front() == '"' || trimmed.front() == '\'') &&
                        trimmed.back() == trimmed.front();
    return !quoted;
}

bool WriteTemplateGroups(CProfileFile& file, const std::vector<TemplateGroup>& groups) {
    std::vector<std::pair<std::string, CProfileFile::KeyValues>> sections;
    CProfileFile::KeyValues names = {{std::string(kCountKey), std::to_string(groups.size())}};
    for (std::size_t k = 0; k < groups.size(); ++k)
        names.emplace_back(std::to_string(k + 1), groups[k].name);
    sections.emplace_back(std::string(kSection), std::move(names));
    for (const TemplateGroup& group : groups) {
        CProfileFile::KeyValues entries = {
            {std::string(kCountKey), std::to_string(group.entries.size())}};
        for (std::size_t i = 0; i < group.entries.size(); ++i)
            entries.emplace_back(std::to_string(i + 1), FormatTemplateEntry(group.entries[i]));
        sections.emplace_back(group.name, std::move(entries));
    }
    return file.WriteSections(sections);
}

}  // namespace yarrow
