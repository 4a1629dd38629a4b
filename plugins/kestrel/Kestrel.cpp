// Kestrel: "$KS,N" rolls a pool of N six-sided dice, sorted ascending, in which
// every 6 explodes: it is rolled again and added for as long as 6s come up.
// Each exploded die also gets a line "Crit[i]:6+6+2" with its chain.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "dice/PluginAbi.h"

namespace {

constexpr const char kTag[] = "$KS,";
// Bounds of one roll: the pool (the text lists every die) and the explosions of
// one die (only a broken generator could produce a hundred 6s in a row).
constexpr long long kMaxPool = 1000;
constexpr int kMaxExplosions = 100;

// sscanf's "%d": blanks, an optional sign, at least one digit. Saturates
// instead of overflowing.
bool ReadInt(const std::string& s, std::size_t pos, long long& value) {
    while (pos < s.size() && (s[pos] == ' ' || (s[pos] >= '\t' && s[pos] <= '\r')))
        ++pos;
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-'))
        negative = s[pos++] == '-';
    if (pos >= s.size() || s[pos] < '0' || s[pos] > '9')
        return false;
    long long v = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
        if (v < 10000000000LL)
            v = v * 10 + (s[pos] - '0');
        ++pos;
    }
    value = negative ? -v : v;
    return true;
}

int D6(yarrow::PluginRandomFunc randomNext) {
    return static_cast<int>(randomNext() % 6u) + 1;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) const char* GetTagName() {
    return kTag;
}

extern "C" __attribute__((visibility("default"))) unsigned char DiceFunc(
    std::string* expression, std::string* result, yarrow::PluginRandomFunc randomNext) {
    if (!expression || !result || !randomNext)
        return 0;
    if (expression->compare(0, sizeof kTag - 1, kTag) != 0)
        return 0;
    long long n = 0;
    if (!ReadInt(*expression, sizeof kTag - 1, n) || n < 0 || n > kMaxPool)
        return 0;

    std::vector<int> dice;
    for (long long i = 0; i < n; ++i)
        dice.push_back(D6(randomNext));
    std::sort(dice.begin(), dice.end());

    std::vector<std::string> chains;
    for (int& die : dice) {
        if (die < 6)
            continue;
        std::string chain = std::to_string(die) + "+";
        int explosions = 0;
        int r = 0;
        do {
            if (++explosions > kMaxExplosions)
                return 0;
            r = D6(randomNext);
            die += r;
            chain += std::to_string(r);
            if (r == 6)
                chain += "+";
        } while (r == 6);
        chains.push_back(std::move(chain));
    }

    std::string text = "(" + *expression + ") = ";
    for (std::size_t i = 0; i < dice.size(); ++i) {
        if (i)
            text += ",";
        text += std::to_string(dice[i]);
    }
    for (std::size_t i = 0; i < chains.size(); ++i)
        text += "\r\nCrit[" + std::to_string(i) + "]:" + chains[i];
    *result = std::move(text);
    return 1;
}
