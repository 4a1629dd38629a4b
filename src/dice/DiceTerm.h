#pragma once
// The count-D-faces term shared by sum rolls, keep rolls, dice tables and the
// template editor, with the bounds that keep every roll small.

#include <cstdint>
#include <optional>
#include <string_view>

#include "dice/IRandomSource.h"

namespace yarrow {

// Bounds of a dice term. A result text lists every die, so the count bounds its
// length (about 8 KB at most); with these bounds every sum, product and table
// value stays well inside 32 bits before the final check. A term beyond any
// bound is a format error rather than a roll that floods the chat.
inline constexpr std::int32_t kMaxDiceCount = 1000;
inline constexpr std::int32_t kMaxDiceFaces = 1000000;
inline constexpr std::int32_t kMaxDiceOperand = 1000000;

enum class DiceOp : std::uint8_t { None = 0, Plus = 1, Minus = 2, Times = 3, Divide = 4 };

struct DiceTerm {
    std::int32_t count = 0;
    std::int32_t faces = 0;  // 0 when no digits follow the "D"
    DiceOp op = DiceOp::None;
    std::int32_t operand = 0;  // negated for "-"; 0 when absent
    bool operator==(const DiceTerm&) const = default;
};

// Reads "<count>D<faces>[<op><operand>]" from a text without spaces. Anything
// after the operand's digits is ignored ("3D6+2x" is 3D6+2); any other
// character right after the faces fails, as do values beyond the bounds.
std::optional<DiceTerm> ParseDiceTerm(std::string_view text);

// The integer reading of the C library's atoi (leading blanks, optional sign,
// then digits; "12abc" is 12, "abc" is 0), saturated at +-`limit` instead of
// overflowing. `digits` (optional) receives whether any digit was read.
std::int64_t ReadLeadingInt(std::string_view text, std::int64_t limit = 2000000000,
                            bool* digits = nullptr);

// One die of `faces` faces: RandomNext() modulo faces, plus 1.
inline std::int32_t RollDie(IRandomSource& rng, std::int32_t faces) {
    return static_cast<std::int32_t>(rng.RandomNext() % static_cast<std::uint32_t>(faces)) + 1;
}

}  // namespace yarrow
