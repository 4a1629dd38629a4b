#include "map/CChipFile.h"

#include <algorithm>

#include "map/MapTypes.h"
#include "platform/Cp932.h"
#include "platform/ProgramFolder.h"

namespace yarrow {
namespace {

constexpr const char* kFileSection = "ChipFile";
constexpr const char* kNameSection = "ChipName";
constexpr const char* kColorSection = "ChipColor";
constexpr std::size_t kColorValueBytes = 255;

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Chip sets written for other systems separate folders with "\"; here the
// separator is "/". A "\" that is the second byte of a double-byte
// character is part of that character and stays.
std::string WithSlashes(std::string path) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (IsLeadByte(c) && i + 1 < path.size()) {
            ++i;
        } else if (c == '\\') {
            path[i] = '/';
        }
    }
    return path;
}

// A folder or file name of the chip file as the file system names it: "/"
// for "\\" (see WithSlashes), then UTF-8 for the file's code page 932.
std::string FileSystemName(const std::string& name) {
    return Cp932ToUtf8(WithSlashes(name)).text;
}

std::string WithoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return folder;
}

}  // namespace

CChipFile::CChipFile(const std::string& programFolder)
    : programFolder_(programFolder), file_(programFolder + kChipFileName) {}

int CChipFile::ChipNum() const {
    return std::clamp(file_.GetInt(kFileSection, "ChipNum", 0), 0, kMaxChips);
}

std::string CChipFile::Folder() const {
    std::string folder =
        FileSystemName(file_.GetString(kFileSection, "ChipFolder", {}, kChipValueBytes));
    if (folder.empty()) {
        return WithoutTrailingSlash(programFolder_);
    }
    if (folder.front() != '/') {
        folder = programFolder_ + folder;
    }
    return WithoutTrailingSlash(folder);
}

std::string CChipFile::FileName(int chip) const {
    return file_.GetString(kFileSection, std::to_string(chip), {}, kChipValueBytes);
}

std::string CChipFile::BitmapPath(int chip) const {
    if (chip < 0 || chip >= ChipNum()) {
        return {};
    }
    const std::string name = FileName(chip);
    return name.empty() ? std::string() : Folder() + "/" + FileSystemName(name);
}

std::string CChipFile::ChipName(int chip) const {
    return file_.GetString(kNameSection, std::to_string(chip), {}, kChipValueBytes);
}

std::vector<std::int32_t> CChipFile::ChipColors() const {
    const int count = ChipNum();
    std::vector<std::int32_t> colors;
    colors.reserve(static_cast<std::size_t>(count));
    for (int chip = 0; chip < count; ++chip) {
        colors.push_back(MapColorFromText(
            file_.GetString(kColorSection, std::to_string(chip), {}, kColorValueBytes)));
    }
    return colors;
}

std::vector<CChipFile::ListEntry> CChipFile::ExistingChips() const {
    std::vector<ListEntry> entries;
    const int count = ChipNum();
    const std::string folder = Folder();
    for (int chip = 0; chip < count; ++chip) {
        const std::string name = FileName(chip);
        if (!name.empty() && FileExists(folder + "/" + FileSystemName(name))) {
            entries.push_back({name, chip});
        }
    }
    return entries;
}

}  // namespace yarrow
