#pragma once
// The settings file ("Yarrow.ini"): every key with the default its readers
// use when the key is missing, the numbered lists and the comma lists. Each
// call reads (or writes) the file then and there, so whatever another window
// wrote a moment ago is what the next reader sees.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yarrow {

inline constexpr std::string_view kSettingsFileName = "Yarrow.ini";

inline constexpr std::string_view kInitialSetting = "InitialSetting";
inline constexpr std::string_view kDiceSection = "Dice";
inline constexpr std::string_view kSubHandleNameSection = "SubHandleName";
inline constexpr std::string_view kRandomDiceHoySection = "RandomDiceHoy";
inline constexpr std::string_view kDiceTemplateSection = "DiceTemplate";

inline constexpr std::string_view kDiceCountKey = "FormNum";
inline constexpr std::string_view kSubHandleNameCountKey = "SubHandleNameNum";
inline constexpr std::string_view kRandomDiceHoyCountKey = "RandomDiceHoyNum";
inline constexpr std::string_view kDiceTemplateCountKey = "TemplateNum";

inline constexpr int kDefaultPort = 15000;

// Where a numbered list writes its count key: before the items or after them.
enum class CountOrder { CountFirst, ItemsFirst };

class CSettings {
  public:
    explicit CSettings(std::string path);
    // ProgramFolder() + "Yarrow.ini".
    static std::string DefaultPath();

    const std::string& Path() const { return path_; }
    bool Exists() const;
    // Creates the file empty when it does not exist yet (pages do so before
    // saving). False when it cannot be created.
    bool CreateIfMissing() const;

    // [InitialSetting], each with its reader default.
    std::string HandleName() const;         // "GM"
    std::string ServerIP() const;           // "127.0.0.1"
    int PortNum() const;                    // 15000
    std::uint32_t HandleNameColor() const;  // 0x000000
    int CharSize() const;                   // 3, as stored (see SettingsValues.h)
    bool IsClient() const;                  // 0
    bool IsSaveLog() const;                 // 1; any non-zero value is true
    // The connect dialog ticks its log box only for the exact value 1.
    bool IsSaveLogExactlyOne() const;
    bool IsUseSquareMap() const;            // 0
    int HexDirection() const;               // 0
    bool IsAutoMapShow() const;             // 1
    bool IsAutoChartShow() const;           // 1
    std::uint32_t ForeGroundColor() const;  // 0x000000
    std::uint32_t BackGroundColor() const;  // 0xFFFFFF
    std::string DiceHoy() const;            // "ころころ……"
    bool IsDiceHoyRandom() const;           // only the value 1 is true
    std::string FilterdPersonText() const;  // the raw comma list, ""
    std::string FilterText() const;
    std::vector<std::string> FilterdPerson() const;  // at most 20 pieces
    std::vector<std::string> Filter() const;         // at most 5 pieces
    std::string PleaseWait() const;                  // "<size 5>待った！</size>"
    std::string LogFolder() const;                   // "" (the program folder itself)
    // Not written into a new file; missing means on.
    bool IsTableMemory() const;    // 1: a hosted hub gives newcomers the chart and maps
    bool IsAutoReconnect() const;  // 1: a lost connection is tried again

    // The numbered lists, in order, empty entries skipped.
    std::vector<std::string> DiceList() const;
    std::vector<std::string> SubHandleNames() const;
    std::vector<std::string> RandomDiceHoys() const;
    // Writers in each list's own order: Dice and RandomDiceHoy write the count
    // first, SubHandleName writes the items first. Keys above the new count
    // stay in the file; readers stop at the count.
    bool WriteDiceList(const std::vector<std::string>& items) const;
    bool WriteSubHandleNames(const std::vector<std::string>& items) const;
    bool WriteRandomDiceHoys(const std::vector<std::string>& items) const;

    // Any numbered list: keys "1".."count" (no leading zeros), read up to the
    // count, skipping empty or missing entries. A huge count costs nothing:
    // only keys that are really there are looked at.
    std::vector<std::string> ReadList(std::string_view section, std::string_view countKey) const;
    bool WriteList(std::string_view section, std::string_view countKey,
                   const std::vector<std::string>& items, CountOrder order) const;

    // Plain access for keys without a typed reader. Values are at most 255 bytes.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view def) const;
    int GetInt(std::string_view section, std::string_view key, int def) const;
    std::uint32_t GetColor(std::string_view section, std::string_view key,
                           std::string_view def) const;
    bool WriteString(std::string_view section, std::string_view key, std::string_view value) const;
    bool WriteInt(std::string_view section, std::string_view key, int value) const;
    bool WriteBool(std::string_view section, std::string_view key, bool value) const;  // "1"/"0"
    bool WriteColor(std::string_view section, std::string_view key, std::uint32_t color) const;

  private:
    std::string path_;
};

}  // namespace yarrow
