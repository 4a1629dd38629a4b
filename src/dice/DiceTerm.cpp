#include "dice/DiceTerm.h"

namespace yarrow {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The run of decimal digits at `pos`, advancing past it. The value saturates at
// limit + 1 so that a long run reads as "too big" instead of wrapping.
std::int64_t ReadDigitRun(std::string_view text, std::size_t& pos, std::int64_t limit, bool& any) {
    std::int64_t value = 0;
    any = false;
    while (pos < text.size() && IsDigit(text[pos])) {
        any = true;
        if (value <= limit)
            value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    return value > limit ? limit + 1 : value;
}

}  // namespace

std::int64_t ReadLeadingInt(std::string_view text, std::int64_t limit, bool* digits) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r' ||
                                 text[pos] == '\n' || text[pos] == '\v' || text[pos] == '\f'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    bool any = false;
    std::int64_t value = ReadDigitRun(text, pos, limit, any);
    if (value > limit)
        value = limit;
    if (digits)
        *digits = any;
    return negative ? -value : value;
}

std::optional<DiceTerm> ParseDiceTerm(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    std::size_t pos = 0;
    bool any = false;
    DiceTerm term;
    const std::int64_t count = ReadDigitRun(text, pos, kMaxDiceCount, any);
    if (!any || count > kMaxDiceCount)
        return std::nullopt;
    if (pos >= text.size() || (text[pos] != 'D' && text[pos] != 'd'))
        return std::nullopt;
    ++pos;
    const std::int64_t faces = ReadDigitRun(text, pos, kMaxDiceFaces, any);
    if (faces > kMaxDiceFaces)
        return std::nullopt;
    term.count = static_cast<std::int32_t>(count);
    term.faces = static_cast<std::int32_t>(faces);
    if (pos == text.size())
        return term;
    switch (text[pos]) {
        case '+':
            term.op = DiceOp::Plus;
            break;
        case '-':
            term.op = DiceOp::Minus;
            break;
        case '*':
            term.op = DiceOp::Times;
            break;
        case '/':
            term.op = DiceOp::Divide;
            break;
        default:
            return std::nullopt;
    }
    ++pos;
    const std::int64_t operand = ReadDigitRun(text, pos, kMaxDiceOperand, any);
    if (operand > kMaxDiceOperand)
        return std::nullopt;
    term.operand = static_cast<std::int32_t>(term.op == DiceOp::Minus ? -operand : operand);
    return term;
}

}  // namespace yarrow
