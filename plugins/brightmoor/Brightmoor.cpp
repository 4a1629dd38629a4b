// Brightmoor: "$BM,N,T[,B]" rolls a pool of N ten-sided dice with critical
// value T. The dice at or above T are rolled again as a new pool, and so on;
// every throw that had criticals is worth 10, the last throw its highest die.
// A bonus B above 0 is added. Each throw is listed on a line of its own.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "dice/PluginAbi.h"

namespace {

constexpr const char kTag[] = "$BM,";
constexpr int kFaces = 10;
constexpr long long kStep = 10;
// Bounds of one roll: the pool, and the number of throws (every throw has at
// least one die less on average; only a broken generator goes on for long).
constexpr long long kMaxPool = 1000;
constexpr int kMaxThrows = 1000;

// Reads up to three integers as sscanf(text, "$BM,%d,%d,%d") does and returns
// how many were read. Values saturate instead of overflowing.
int ReadArguments(const std::string& s, long long (&values)[3]) {
    if (s.compare(0, sizeof kTag - 1, kTag) != 0)
        return 0;
    std::size_t pos = sizeof kTag - 1;
    int read = 0;
    while (read < 3) {
        if (read > 0) {
            if (pos >= s.size() || s[pos] != ',')
                break;
            ++pos;
        }
        while (pos < s.size() && (s[pos] == ' ' || (s[pos] >= '\t' && s[pos] <= '\r')))
            ++pos;
        bool negative = false;
        if (pos < s.size() && (s[pos] == '+' || s[pos] == '-'))
            negative = s[pos++] == '-';
        if (pos >= s.size() || s[pos] < '0' || s[pos] > '9')
            break;
        long long v = 0;
        while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
            if (v < 10000000000LL)
                v = v * 10 + (s[pos] - '0');
            ++pos;
        }
        values[read++] = negative ? -v : v;
    }
    return read;
}

// Throws the pool again and again while it has criticals. False when the
// critical value is outside 2 .. faces or the throws do not end.
bool RollPool(long long n, long long critical, yarrow::PluginRandomFunc randomNext,
              long long& total, std::string& levels) {
    if (critical < 2 || critical > kFaces)
        return false;
    total = 0;
    for (int throws = 0;; ++throws) {
        if (throws >= kMaxThrows)
            return false;
        std::vector<int> dice;
        for (long long i = 0; i < n; ++i)
            dice.push_back(static_cast<int>(randomNext() % static_cast<std::uint32_t>(kFaces)) + 1);
        std::sort(dice.begin(), dice.end());
        const long long k =
            std::count_if(dice.begin(), dice.end(), [critical](int d) { return d >= critical; });
        const long long shown = k > 0 ? kStep : (dice.empty() ? 0 : dice.back());
        total += shown;
        char head[64];
        std::snprintf(head, sizeof head, "\r\nCrit:%lld Value:%2lld [", k, shown);
        levels += head;
        for (std::size_t i = 0; i < dice.size(); ++i) {
            if (i)
                levels += ",";
            levels += std::to_string(dice[i]);
        }
        levels += "]";
        if (k == 0)
            return true;
        n = k;
    }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const char* GetTagName() {
    return kTag;
}

extern "C" __attribute__((visibility("default"))) unsigned char DiceFunc(
    std::string* expression, std::string* result, yarrow::PluginRandomFunc randomNext) {
    if (!expression || !result || !randomNext)
        return 0;
    result->clear();
    long long values[3] = {0, 0, 0};
    if (ReadArguments(*expression, values) < 2)
        return 0;
    const long long n = values[0], critical = values[1], bonus = values[2];
    if (n < 0 || n > kMaxPool)
        return 0;

    long long total = 0;
    std::string levels;
    if (!RollPool(n, critical, randomNext, total, levels))
        return 0;
    std::string bonusText;
    if (bonus > 0) {
        total += bonus;
        bonusText = "+" + std::to_string(bonus);
    }
    *result = "($BM," + std::to_string(n) + "," + std::to_string(critical) + ")" + bonusText +
              " = " + std::to_string(total) + levels;
    return 1;
}
