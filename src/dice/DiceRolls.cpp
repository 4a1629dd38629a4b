#include "dice/DiceRolls.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <vector>

#include "dice/DiceTerm.h"

namespace yarrow {
namespace {

void AppendF(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void AppendF(std::string& out, const char* format, ...) {
    char buffer[128];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0)
        out.append(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buffer - 1));
}

bool FitsInt32(std::int64_t v) {
    return v >= std::numeric_limits<std::int32_t>::min() &&
           v <= std::numeric_limits<std::int32_t>::max();
}

std::vector<std::int32_t> RollDice(const DiceTerm& term, IRandomSource& rng) {
    std::vector<std::int32_t> dice;
    dice.reserve(static_cast<std::size_t>(term.count));
    for (std::int32_t i = 0; i < term.count; ++i)
        dice.push_back(RollDie(rng, term.faces));
    return dice;
}

}  // namespace

bool RollSum(std::string_view text, IRandomSource& rng, bool sorted, std::string& result,
             std::int32_t& total) {
    const auto term = ParseDiceTerm(text);
    if (!term || term->faces < 1)
        return false;
    // A divisor of 0 would print a non-finite quotient; refuse it before rolling.
    if (term->op == DiceOp::Divide && term->operand == 0)
        return false;
    std::vector<std::int32_t> dice = RollDice(*term, rng);
    if (sorted)
        std::sort(dice.begin(), dice.end());
    std::int64_t sum = 0;
    for (std::int32_t d : dice)
        sum += d;

    std::string text_out;
    const bool additive =
        term->op == DiceOp::None || term->op == DiceOp::Plus || term->op == DiceOp::Minus;
    if (additive) {
        const char* prefix = sorted ? "!" : "";
        if (term->operand != 0)
            AppendF(text_out, "%s%dD%d%+d = ( ", prefix, term->count, term->faces, term->operand);
        else
            AppendF(text_out, "%s%dD%d = ( ", prefix, term->count, term->faces);
    } else {
        AppendF(text_out, term->op == DiceOp::Times ? "%dD%d*%d = ( " : "%dD%d/%d = ( ",
                term->count, term->faces, term->operand);
    }
    for (std::size_t i = 0; i < dice.size(); ++i)
        AppendF(text_out, i + 1 < dice.size() ? "%d + " : "%d )", dice[i]);

    std::int64_t value = sum;
    if (additive) {
        if (term->operand != 0) {
            value = sum + term->operand;
            if (!FitsInt32(value))
                return false;
            AppendF(text_out, "%+d = %d", term->operand, static_cast<std::int32_t>(value));
        } else {
            AppendF(text_out, " = %d", static_cast<std::int32_t>(value));
        }
    } else if (term->op == DiceOp::Times) {
        value = sum * term->operand;
        if (!FitsInt32(value))
            return false;
        AppendF(text_out, "*%d = %d", term->operand, static_cast<std::int32_t>(value));
    } else {
        AppendF(text_out, "/%d = %.1f", term->operand,
                static_cast<double>(sum) / static_cast<double>(term->operand));
        value = sum / term->operand;  // truncated toward zero
    }
    result = std::move(text_out);
    total = static_cast<std::int32_t>(value);
    return true;
}

bool RollKeep(std::string_view text, IRandomSource& rng, std::string& result) {
    if (text.empty() || (text[0] != '+' && text[0] != '-'))
        return false;
    const char sign = text[0];
    const std::size_t comma = text.find(',', 1);
    if (comma == std::string_view::npos)
        return false;
    const std::int64_t keep = ReadLeadingInt(text.substr(1, comma - 1));
    if (keep < 1)
        return false;
    const auto term = ParseDiceTerm(text.substr(comma + 1));
    if (!term || term->faces < 1 || keep > term->count)
        return false;
    if (term->op == DiceOp::Divide && term->operand == 0)
        return false;

    std::vector<std::int32_t> dice = RollDice(*term, rng);
    std::sort(dice.begin(), dice.end());
    std::string out;
    AppendF(out, "%c%d,%dD%d = (", sign, static_cast<int>(keep), term->count, term->faces);
    for (std::size_t i = 0; i < dice.size(); ++i)
        AppendF(out, i ? ",%d" : "%d", dice[i]);
    out += ") -> (";
    std::int64_t kept = 0;
    for (std::int64_t i = 0; i < keep; ++i) {
        const std::int32_t d =
            sign == '+' ? dice[dice.size() - 1 - static_cast<std::size_t>(i)] : dice[i];
        kept += d;
        AppendF(out, i ? "+%d" : "%d", d);
    }
    switch (term->op) {
        case DiceOp::None:
            AppendF(out, ") = %d", static_cast<std::int32_t>(kept));
            break;
        case DiceOp::Plus:
        case DiceOp::Minus:
            AppendF(out, ")%+d = %d", term->operand,
                    static_cast<std::int32_t>(kept + term->operand));
            break;
        case DiceOp::Times:
            if (!FitsInt32(kept * term->operand))
                return false;
            AppendF(out, ")*%d = %d", term->operand,
                    static_cast<std::int32_t>(kept * term->operand));
            break;
        case DiceOp::Divide:
            AppendF(out, ")/%d = %.1f", term->operand,
                    static_cast<double>(kept) / static_cast<double>(term->operand));
            break;
    }
    result = std::move(out);
    return true;
}

}  // namespace yarrow
