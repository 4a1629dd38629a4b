#pragma once
// Dice tables: user-written sections of Chart.ini that map a rolled number to a
// line of text ("#命中表,+2" rolls the section's UseDice and looks the value up,
// with Min/MinResult and Max/MaxResult covering the values below and above).
// The program only reads the file, afresh on every roll.

#include <cstdint>
#include <string>
#include <string_view>

#include "dice/IRandomSource.h"

namespace yarrow {

class CDiceTable {
  public:
    // `chartPath` is ProgramFolder + "Chart.ini".
    explicit CDiceTable(std::string chartPath) : chartPath_(std::move(chartPath)) {}

    // `expression` has no spaces and begins with "#". `total` is increased by
    // the dice and the UseDice operand (not the modifier). False when the table
    // cannot be rolled (no file, section or UseDice, a bad UseDice, or a value
    // beyond 32 bits); true otherwise, also when no entry covers the value, in
    // which case `result` is the error line that is sent like a result.
    bool RollTable(std::string_view expression, std::string& result, std::int32_t& total,
                   IRandomSource& rng) const;

    const std::string& ChartPath() const { return chartPath_; }

  private:
    std::string chartPath_;
};

}  // namespace yarrow
