#pragma once
// The chip set: "ChipFile.ini" in the program folder names one bitmap per
// chip number, a default symbol text and the colour shown at small cell
// size. Section "ChipFile" holds "ChipNum" (chips 0..N-1), "ChipFolder" (the
// bitmaps' folder, the program folder when missing) and the file names under
// the chip numbers in decimal; sections "ChipName" and "ChipColor" hold the
// symbol texts and the 0xRRGGBB colours under the same keys.
//
// The file is read once when the object is made; make a new one to see a
// changed file. Everything in it is untrusted: the chip count is bounded and
// every value is cut to its buffer size.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/CProfileFile.h"

namespace yarrow {

inline constexpr const char* kChipFileName = "ChipFile.ini";

class CChipFile {
  public:
    // At most this many chips are offered, whatever "ChipNum" says.
    static constexpr int kMaxChips = 1024;

    // An entry of the chip dialog's list: a chip whose bitmap exists.
    struct ListEntry {
        std::string fileName;  // as the file names it (code page 932)
        int chip = 0;
    };

    // Reads programFolder + "ChipFile.ini"; `programFolder` ends in "/".
    explicit CChipFile(const std::string& programFolder);

    bool Exists() const { return file_.Exists(); }
    // "ChipNum", 0 when missing or negative, at most kMaxChips.
    int ChipNum() const;
    // The bitmaps' folder without a trailing "/": "ChipFolder" (relative
    // folders are taken from the program folder) or the program folder. A
    // file system path, UTF-8 like `programFolder`.
    std::string Folder() const;
    // The bitmap file name of a chip as the file writes it (code page 932),
    // "" when none is named.
    std::string FileName(int chip) const;
    // Folder() + "/" + FileName(chip) as the file system names it (UTF-8,
    // "/" for "\\"); "" when the chip has no file name or is outside
    // 0..ChipNum()-1.
    std::string BitmapPath(int chip) const;
    // The symbol text offered for a chip ("" when none).
    std::string ChipName(int chip) const;
    // One colour per chip number, in the map colour order (0x00BBGGRR).
    std::vector<std::int32_t> ChipColors() const;
    // The chips whose bitmap file exists, in chip-number order.
    std::vector<ListEntry> ExistingChips() const;

  private:
    std::string programFolder_;
    CProfileFile file_;
};

}  // namespace yarrow
