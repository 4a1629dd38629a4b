#include "settings/CSettings.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "platform/CProfileFile.h"
#include "platform/Cp932.h"
#include "platform/ProgramFolder.h"
#include "settings/SettingsValues.h"

namespace yarrow {
namespace {

// The list index of a key "1".."max": decimal digits without a leading zero,
// the only spelling the readers look up. 0 for anything else.
long ListIndex(std::string_view key, long max) {
    if (key.empty() || key.size() > 10 || key[0] == '0')
        return 0;
    long n = 0;
    for (char c : key) {
        if (c < '0' || c > '9')
            return 0;
        n = n * 10 + (c - '0');
    }
    return n <= max ? n : 0;
}

}  // namespace

CSettings::CSettings(std::string path) : path_(std::move(path)) {}

std::string CSettings::DefaultPath() {
    return ProgramFolder() + std::string(kSettingsFileName);
}

bool CSettings::Exists() const {
    return FileExists(path_);
}

bool CSettings::CreateIfMissing() const {
    if (FileExists(path_))
        return true;
    int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    return ::close(fd) == 0;
}

std::string CSettings::GetString(std::string_view section, std::string_view key,
                                 std::string_view def) const {
    return CProfileFile(path_).GetString(section, key, def, kSettingsValueBytes);
}

int CSettings::GetInt(std::string_view section, std::string_view key, int def) const {
    return CProfileFile(path_).GetInt(section, key, def);
}

std::uint32_t CSettings::GetColor(std::string_view section, std::string_view key,
                                  std::string_view def) const {
    return ParseHexColor(GetString(section, key, def));
}

bool CSettings::WriteString(std::string_view section, std::string_view key,
                            std::string_view value) const {
    return CProfileFile(path_).WriteString(section, key, value);
}

bool CSettings::WriteInt(std::string_view section, std::string_view key, int value) const {
    return WriteString(section, key, std::to_string(value));
}

bool CSettings::WriteBool(std::string_view section, std::string_view key, bool value) const {
    return WriteString(section, key, value ? "1" : "0");
}

bool CSettings::WriteColor(std::string_view section, std::string_view key,
                           std::uint32_t color) const {
    return WriteString(section, key, FormatColor(color));
}

std::string CSettings::HandleName() const {
    return GetString(kInitialSetting, "HandleName", "GM");
}

std::string CSettings::ServerIP() const {
    return GetString(kInitialSetting, "ServerIP", "127.0.0.1");
}

int CSettings::PortNum() const {
    return GetInt(kInitialSetting, "PortNum", kDefaultPort);
}

std::uint32_t CSettings::HandleNameColor() const {
    return GetColor(kInitialSetting, "HandleNameColor", "0x000000");
}

int CSettings::CharSize() const {
    return GetInt(kInitialSetting, "CharSize", kDefaultCharSize);
}

bool CSettings::IsClient() const {
    return GetInt(kInitialSetting, "IsClient", 0) != 0;
}

bool CSettings::IsSaveLog() const {
    return GetInt(kInitialSetting, "IsSaveLog", 1) != 0;
}

bool CSettings::IsSaveLogExactlyOne() const {
    return GetInt(kInitialSetting, "IsSaveLog", 1) == 1;
}

bool CSettings::IsUseSquareMap() const {
    return GetInt(kInitialSetting, "IsUseSquareMap", 0) != 0;
}

int CSettings::HexDirection() const {
    return GetInt(kInitialSetting, "HexDirection", 0);
}

bool CSettings::IsAutoMapShow() const {
    return GetInt(kInitialSetting, "IsAutoMapShow", 1) != 0;
}

bool CSettings::IsTableMemory() const {
    return GetInt(kInitialSetting, "IsTableMemory", 1) != 0;
}

bool CSettings::IsAutoReconnect() const {
    return GetInt(kInitialSetting, "IsAutoReconnect", 1) != 0;
}

bool CSettings::IsAutoChartShow() const {
    return GetInt(kInitialSetting, "IsAutoChartShow", 1) != 0;
}

std::uint32_t CSettings::ForeGroundColor() const {
    return GetColor(kInitialSetting, "ForeGroundColor", "0x000000");
}

std::uint32_t CSettings::BackGroundColor() const {
    return GetColor(kInitialSetting, "BackGroundColor", "0xFFFFFF");
}

std::string CSettings::DiceHoy() const {
    static const std::string def = Sjis("ころころ……");
    return GetString(kInitialSetting, "DiceHoy", def);
}

bool CSettings::IsDiceHoyRandom() const {
    return GetInt(kInitialSetting, "IsDiceHoyRandom", 0) == 1;
}

std::string CSettings::FilterdPersonText() const {
    return GetString(kInitialSetting, "FilterdPerson", "");
}

std::string CSettings::FilterText() const {
    return GetString(kInitialSetting, "Filter", "");
}

std::vector<std::string> CSettings::FilterdPerson() const {
    return SplitCommaList(FilterdPersonText(), kFilterdPersonMax);
}

std::vector<std::string> CSettings::Filter() const {
    return SplitCommaList(FilterText(), kFilterMax);
}

std::string CSettings::PleaseWait() const {
    static const std::string def = Sjis("<size 5>待った！</size>");
    return GetString(kInitialSetting, "PleaseWait", def);
}

std::string CSettings::LogFolder() const {
    return GetString(kInitialSetting, "LogFolder", "");
}

std::vector<std::string> CSettings::ReadList(std::string_view section,
                                             std::string_view countKey) const {
    CProfileFile file(path_);
    int count = file.GetInt(section, countKey, 0);
    std::vector<std::pair<long, std::string>> found;
    for (auto& [key, value] : file.SectionEntries(section, kSettingsValueBytes)) {
        long index = ListIndex(key, count);
        if (index > 0 && !value.empty())
            found.emplace_back(index, std::move(value));
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> items;
    items.reserve(found.size());
    for (auto& f : found)
        items.push_back(std::move(f.second));
    return items;
}

bool CSettings::WriteList(std::string_view section, std::string_view countKey,
                          const std::vector<std::string>& items, CountOrder order) const {
    std::vector<std::pair<std::string, std::string>> entries;
    entries.reserve(items.size() + 1);
    std::pair<std::string, std::string> count{std::string(countKey), std::to_string(items.size())};
    if (order == CountOrder::CountFirst)
        entries.push_back(count);
    for (std::size_t i = 0; i < items.size(); ++i)
        entries.emplace_back(std::to_string(i + 1), items[i]);
    if (order == CountOrder::ItemsFirst)
        entries.push_back(count);
    return CProfileFile(path_).WriteStrings(section, entries);
}

std::vector<std::string> CSettings::DiceList() const {
    return ReadList(kDiceSection, kDiceCountKey);
}

std::vector<std::string> CSettings::SubHandleNames() const {
    return ReadList(kSubHandleNameSection, kSubHandleNameCountKey);
}

std::vector<std::string> CSettings::RandomDiceHoys() const {
    return ReadList(kRandomDiceHoySection, kRandomDiceHoyCountKey);
}

bool CSettings::WriteDiceList(const std::vector<std::string>& items) const {
    return WriteList(kDiceSection, kDiceCountKey, items, CountOrder::CountFirst);
}

bool CSettings::WriteSubHandleNames(const std::vector<std::string>& items) const {
    return WriteList(kSubHandleNameSection, kSubHandleNameCountKey, items, CountOrder::ItemsFirst);
}

bool CSettings::WriteRandomDiceHoys(const std::vector<std::string>& items) const {
    return WriteList(kRandomDiceHoySection, kRandomDiceHoyCountKey, items, CountOrder::CountFirst);
}

}  // namespace yarrow
