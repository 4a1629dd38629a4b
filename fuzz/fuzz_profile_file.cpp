// libFuzzer target: arbitrary bytes as a profile (INI) file, read the ways
// the program reads Yarrow.ini, ChipFile.ini, Chart.ini and the template
// groups, then written one key to. Nothing may crash or allocate without
// bound, and writing one key must change that key only: every other section
// reads as before, and the key reads back as written.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "dice/DiceTemplate.h"
#include "map/CChipFile.h"
#include "platform/CProfileFile.h"
#include "settings/CSettings.h"

using namespace yarrow;
using fuzz::Check;

namespace {

bool SameName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

using Sections =
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>>;

Sections ReadAll(const CProfileFile& file, const std::string& except) {
    Sections all;
    for (const std::string& section : file.SectionNames()) {
        if (SameName(section, except))
            continue;
        all.emplace_back(section, file.SectionEntries(section, kChartValueBytes));
    }
    return all;
}

void ReadSettings(const std::string& path) {
    const CSettings settings(path);
    settings.HandleName();
    settings.ServerIP();
    settings.PortNum();
    settings.HandleNameColor();
    settings.CharSize();
    settings.IsClient();
    settings.IsSaveLog();
    settings.IsUseSquareMap();
    settings.HexDirection();
    settings.ForeGroundColor();
    settings.BackGroundColor();
    settings.DiceHoy();
    Check(settings.FilterdPerson().size() <= 20 && settings.Filter().size() <= 5,
          "comma lists beyond their limits");
    settings.PleaseWait();
    settings.LogFolder();
    settings.DiceList();
    settings.SubHandleNames();
    settings.RandomDiceHoys();
}

void ReadChips(const std::string& folder) {
    const CChipFile chips(folder);
    const int count = chips.ChipNum();
    Check(count >= 0 && count <= CChipFile::kMaxChips, "chip count beyond its limits");
    chips.Folder();
    for (int chip = -1; chip <= std::min(count, 8); ++chip) {
        chips.BitmapPath(chip);
        chips.ChipName(chip);
    }
    Check(chips.ChipColors().size() <= static_cast<std::size_t>(CChipFile::kMaxChips),
          "chip colours beyond the chip limit");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The same bytes as each of the program's profile files.
    static const fuzz::ScratchFile settingsFile("Yarrow.ini");
    static const fuzz::ScratchFile chipFile("ChipFile.ini");
    const std::string_view bytes = fuzz::Bytes(data, size);
    settingsFile.Write(bytes);
    chipFile.Write(bytes);

    ReadSettings(settingsFile.Path());
    ReadChips(chipFile.Folder());

    CProfileFile file(settingsFile.Path());
    for (const TemplateGroup& group : ReadTemplateGroups(file))
        for (const TemplateEntry& entry : group.entries)
            TemplateDisplayText(entry);
    for (const auto& section : file.SectionNames()) {
        file.GetString(section, "UseDice", "", kChartValueBytes);
        file.GetInt(section, "Min", 0);
    }

    const std::string section = "Fuzz";
    const Sections before = ReadAll(file, section);
    if (!file.WriteString(section, "Key", "value"))
        return 0;  // a file too large to rewrite whole is left alone
    const CProfileFile written(settingsFile.Path());
    Check(written.GetString(section, "Key") == "value", "a written key does not read back");
    Check(ReadAll(written, section) == before, "writing one key changed another section");
    return 0;
}
