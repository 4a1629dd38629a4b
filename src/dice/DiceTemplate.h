#pragma once
// Dice templates: named, prepared checks (a formula, a target value and a way
// of judging the roll) kept in groups in the settings file.
//
//   [DiceTemplate]  TemplateNum=G, 1..G = group names
//   [<group>]       TemplateNum=M, 1..M = entry lines
//
// An entry line is "name,formula,target,lo|hi|pl", or "name,formula" for a
// template without judgement; a comma inside name or formula is "%2C".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yarrow {

class CProfileFile;

enum class TemplateCriterion : std::uint8_t { RollUnder = 0, RollOver = 1, Plugin = 2, Other = 3 };

struct TemplateEntry {
    std::string name;
    std::string formula;
    std::int32_t target = 0;
    TemplateCriterion criterion = TemplateCriterion::Other;
    bool operator==(const TemplateEntry&) const = default;
};

struct TemplateGroup {
    std::string name;
    std::vector<TemplateEntry> entries;
};

// nullopt for a line that is not a valid entry (such lines are skipped).
std::optional<TemplateEntry> ParseTemplateEntry(std::string_view line);
// The stored form of an entry, commas in name and formula escaped.
std::string FormatTemplateEntry(const TemplateEntry& entry);
// What the pane and the page list: "name(10↓)", "name(8↑)" or "name(formula)".
std::string TemplateDisplayText(const TemplateEntry& entry);

// The non-empty group names of [DiceTemplate], in key order.
std::vector<std::string> ReadTemplateGroupNames(const CProfileFile& file);
// The valid entries of one group, in key order.
std::vector<TemplateEntry> ReadTemplateEntries(const CProfileFile& file, std::string_view group);
// Every group of the file, in the order of the group names.
std::vector<TemplateGroup> ReadTemplateGroups(const CProfileFile& file);
// Whether a group of this name would share its section with one of the
// settings file's own sections ("Dice", "InitialSetting", ... in any case),
// so that saving the group would overwrite them.
bool IsReservedTemplateGroupName(std::string_view name);
// Whether the settings file can keep a new group of this name in a section of
// its own and give the name back when it is read: not blank, no "]" (it would
// end the section header), no line break, not wrapped in quotes (a value read
// loses them).
bool IsStorableTemplateGroupName(std::string_view name);
// Writes the counts and the numbered keys of [DiceTemplate] and of each group's
// section, all in one save. Keys beyond the new counts and the sections of
// removed groups are left alone: readers stop at the counts. False when the
// file cannot be written.
bool WriteTemplateGroups(CProfileFile& file, const std::vector<TemplateGroup>& groups);

}  // namespace yarrow
