#include "dice/CDiceTable.h"

#include <cstdio>
#include <limits>

#include "dice/DiceTerm.h"
#include "platform/CProfileFile.h"
#include "platform/Cp932.h"
#include "platform/SjisText.h"

namespace yarrow {
namespace {

std::string Decimal(std::int64_t v) {
    return std::to_string(v);
}

std::string Signed(std::int64_t v) {
    return (v >= 0 ? "+" : "") + std::to_string(v);
}

}  // namespace

bool CDiceTable::RollTable(std::string_view expression, std::string& result, std::int32_t& total,
                           IRandomSource& rng) const {
    if (expression.empty() || expression[0] != '#')
        return false;
    const std::string_view rest = TrimBlanks(expression.substr(1));
    std::string_view name = rest;
    std::string_view modifierText;
    if (const std::size_t comma = rest.find(','); comma != std::string_view::npos) {
        name = rest.substr(0, comma);
        modifierText = rest.substr(comma + 1);
    }
    const std::string section(name);

    const CProfileFile chart(chartPath_);
    const std::string useDice = chart.GetString(section, "UseDice", "", kChartValueBytes);
    if (useDice.empty())
        return false;
    const auto term = ParseDiceTerm(useDice);
    if (!term || term->faces < 1)
        return false;

    // "*" and "/" in UseDice add their number as "+" does.
    std::int64_t rolled = total;
    for (std::int32_t i = 0; i < term->count; ++i)
        rolled += RollDie(rng, term->faces);
    rolled += term->operand;
    const std::int64_t modifier = ReadLeadingInt(modifierText, kMaxDiceOperand);
    const std::int64_t v = rolled + modifier;
    if (rolled > std::numeric_limits<std::int32_t>::max() ||
        rolled < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max() ||
        v < std::numeric_limits<std::int32_t>::min())
        return false;
    total = static_cast<std::int32_t>(rolled);

    std::string entry = chart.GetString(section, Decimal(v), "", kChartValueBytes);
    if (entry.empty()) {
        const std::string min = chart.GetString(section, "Min", "0", kChartValueBytes);
        if (!min.empty() && v < ReadLeadingInt(min))
            entry = chart.GetString(section, "MinResult", "", kChartValueBytes);
    }
    if (entry.empty()) {
        const std::string max = chart.GetString(section, "Max", "0", kChartValueBytes);
        if (!max.empty() && v > ReadLeadingInt(max))
            entry = chart.GetString(section, "MaxResult", "", kChartValueBytes);
    }
    if (entry.empty()) {
        static const std::string head = Sjis("エラー：[");
        static const std::string middle = Sjis("]に出目\"");
        static const std::string tail = Sjis("\"に対する結果がありません");
        result = head + section + middle + Decimal(v) + tail;
        return true;
    }
    result = "(" + section + ":" + Decimal(total) + (modifierText.empty() ? "" : Signed(modifier)) +
             ")" + entry;
    return true;
}

}  // namespace yarrow
