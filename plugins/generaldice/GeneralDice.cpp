// GeneralDice: a small dice language under the tag "$GD,".
//
//   line   := "$GD," [ "x" R ":" ] body [ "," B ]
//   body   := sum | count | "D66" | "D66N" | "choice[" item { "," item } "]"
//   sum    := term { ("+" | "-") term }      term := factor { ("*" | "/") factor }
//   factor := number | dice | "(" sum ")"    dice := N "D" M [ "!" | "KH" K | "KL" K ]
//   count  := N "D" M (">=" | ">" | "<=" | "<" | "=" | "<>") T
//
// Spaces are ignored, letters may be of either case, numbers have 1 to 6
// digits. "/" rounds down. "!" throws a die that shows its highest face again
// and adds the throw, at most ten times; KH and KL keep the K highest or lowest
// dice. A count tells how many dice meet the target. D66 reads two dice as
// tens and units, the smaller first (D66N: in the order thrown). ",B" is the
// bonus a plug-in template appends: a sum adds it as a last term, other bodies
// ignore it. "xR:" rolls the body R times, one line each.
//
// The whole line is checked before any die is thrown, so a malformed line
// draws nothing; only a zero divisor or a value beyond the bounds can turn up
// once the dice are known. The bounds keep every roll small: at most 100 dice
// per line, so at most 20 x 100 x 11 = 22,000 draws and about 122 kB of text.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "dice/PluginAbi.h"

namespace {

using yarrow::PluginRandomFunc;

constexpr std::string_view kTag = "$GD,";
constexpr std::size_t kMaxLineBytes = 512;  // the line without its spaces, tag included
constexpr std::size_t kMaxDigits = 6;
constexpr long long kMaxDice = 100;  // in one group and in all groups of a line
constexpr long long kMaxFaces = 1000;
constexpr int kMaxRethrows = 10;
constexpr long long kMaxRepeats = 20;
constexpr std::size_t kMaxItems = 50;
constexpr int kMaxDepth = 10;
constexpr long long kMaxValue = 999'999'999;
constexpr std::size_t kMaxResultBytes = 128 * 1024;
constexpr const char kSuccesses[] = "\x90\xac\x8c\xf7\x90\x94";  // 成功数 in code page 932

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The length of the choice-item character at `pos`, 0 when none starts there:
// printable ASCII but the list's own punctuation, half-width kana, or a valid
// double-byte character (whose second byte may well be "[" or "]").
std::size_t ItemCharLength(std::string_view s, std::size_t pos) {
    const auto b = static_cast<unsigned char>(s[pos]);
    if (b >= 0x20 && b <= 0x7e)
        return b == ',' || b == '[' || b == ']' ? 0 : 1;
    if (b >= 0xa1 && b <= 0xdf)
        return 1;
    const bool lead = (b >= 0x81 && b <= 0x9f) || (b >= 0xe0 && b <= 0xfc);
    if (!lead || pos + 1 >= s.size())
        return 0;
    const auto t = static_cast<unsigned char>(s[pos + 1]);
    return (t >= 0x40 && t <= 0x7e) || (t >= 0x80 && t <= 0xfc) ? 2 : 0;
}

std::string Cat(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view part : parts)
        text += part;
    return text;
}

std::string Join(const std::vector<std::string>& parts, std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t i = from; i < to; ++i)
        text += Cat({i > from ? "," : "", parts[i]});
    return text;
}

std::uint32_t NoDraw() {
    return 0;
}

// One pass over a line. Checking passes draw nothing (every die shows 1) and
// leave arithmetic faults to the roll, since they depend on the dice.
class CLineParser {
  public:
    // `random` null: check only.
    CLineParser(std::string_view line, PluginRandomFunc random)
        : s_(line), random_(random ? random : &NoDraw), rolling_(random != nullptr) {}

    // Parses the line; on success `out` holds the result text (when rolling).
    bool Run(std::string& out) {
        pos_ = kTag.size();
        long long repeats = 0;
        if (Accept('X') &&
            (!Number(repeats) || repeats < 1 || repeats > kMaxRepeats || !Accept(':')))
            return false;
        const std::size_t body = pos_;
        out = Cat({"(", s_, ")"});
        for (long long i = 1; i <= std::max(repeats, 1LL); ++i) {
            pos_ = body;
            std::string line;
            if (!Body(line))
                return false;
            out += repeats == 0 ? Cat({" = ", line}) : Cat({"\r\n#", std::to_string(i), " ", line});
            if (!rolling_)
                break;  // every repetition reads the same text
        }
        return out.size() < kMaxResultBytes;
    }

  private:
    // body [ "," B ] to the end of the line, as its result text.
    bool Body(std::string& s) {
        dice_ = 0;
        depth_ = 0;
        long long value = 0;
        bool isSum = false;
        if (AcceptWord("CHOICE[")) {
            if (!Choice(s))
                return false;
        } else if (AcceptWord("D66N")) {
            D66(false, s);
        } else if (AcceptWord("D66")) {
            D66(true, s);
        } else if (AtCount()) {
            if (!Count(s))
                return false;
        } else {
            if (!Sum(value, s))
                return false;
            isSum = true;
        }
        long long bonus = 0;
        if (Accept(',') && !SignedNumber(bonus))
            return false;
        if (pos_ != s_.size())
            return false;
        if (isSum) {
            if (bonus != 0) {
                if (!Apply('+', value, bonus))
                    return false;
                s += Cat({bonus > 0 ? "+" : "", std::to_string(bonus)});
            }
            s += Cat({" = ", std::to_string(value)});
        }
        return true;
    }

    bool Sum(long long& value, std::string& s) {
        if (!Term(value, s))
            return false;
        while (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) {
            const char op = s_[pos_++];
            long long right = 0;
            std::string text;
            if (!Term(right, text) || !Apply(op, value, right))
                return false;
            s += op + text;
        }
        return true;
    }

    bool Term(long long& value, std::string& s) {
        if (!Factor(value, s))
            return false;
        while (pos_ < s_.size() && (s_[pos_] == '*' || s_[pos_] == '/')) {
            const char op = s_[pos_++];
            long long right = 0;
            std::string text;
            if (!Factor(right, text) || !Apply(op, value, right))
                return false;
            s += op + text;
        }
        return true;
    }

    bool Factor(long long& value, std::string& s) {
        if (Accept('(')) {
            std::string inner;
            if (++depth_ > kMaxDepth || !Sum(value, inner) || !Accept(')'))
                return false;
            --depth_;
            s = Cat({"(", inner, ")"});
            return true;
        }
        long long n = 0;
        if (!Number(n))
            return false;
        if (pos_ < s_.size() && Upper(s_[pos_]) == 'D')
            return Dice(n, value, s);
        value = n;
        s = std::to_string(n);
        return true;
    }

    // The rest of a dice group after its count N, shown as its sum and its
    // dice in brackets: in throw order, a "!" die's throws joined by "+"; kept
    // dice best first, the others after "|".
    bool Dice(long long n, long long& value, std::string& s) {
        long long faces = 0, keep = 0;
        if (!Accept('D') || !Number(faces) || !DiceInBounds(n, faces))
            return false;
        const bool explode = Accept('!');
        const bool high = !explode && AcceptWord("KH");
        const bool low = !explode && !high && AcceptWord("KL");
        if (explode && faces < 2)
            return false;
        if ((high || low) && (!Number(keep) || keep < 1 || keep > n))
            return false;

        std::vector<long long> dice;
        std::vector<std::string> shown;
        for (long long i = 0; i < n; ++i) {
            long long face = Die(faces);
            long long sum = face;
            std::string throws = std::to_string(face);
            for (int again = 0; explode && face == faces && again < kMaxRethrows; ++again) {
                face = Die(faces);
                sum += face;
                throws += Cat({"+", std::to_string(face)});
            }
            dice.push_back(sum);
            shown.push_back(std::move(throws));
        }
        std::size_t kept = dice.size();
        if (high || low) {
            if (high)
                std::sort(dice.begin(), dice.end(), std::greater<>());
            else
                std::sort(dice.begin(), dice.end());
            kept = static_cast<std::size_t>(keep);
            for (std::size_t i = 0; i < dice.size(); ++i)
                shown[i] = std::to_string(dice[i]);
        }
        value = 0;
        for (std::size_t i = 0; i < kept; ++i)
            value += dice[i];  // at most 100 x 11 x 1000
        s = Cat({std::to_string(value), "[", Join(shown, 0, kept)});
        if (kept < shown.size())
            s += Cat({"|", Join(shown, kept, shown.size())});
        s += "]";
        return true;
    }

    // count := N "D" M comparison T, shown as the dice and how many meet T.
    bool Count(std::string& s) {
        long long n = 0, faces = 0, target = 0;
        if (!Number(n) || !Accept('D') || !Number(faces) || !DiceInBounds(n, faces))
            return false;
        Comparison comparison;
        if (Accept('>'))
            comparison = Accept('=') ? Comparison::AtLeast : Comparison::Above;
        else if (Accept('<'))
            comparison = Accept('=')   ? Comparison::AtMost
                         : Accept('>') ? Comparison::NotEqual
                                       : Comparison::Below;
        else if (Accept('='))
            comparison = Comparison::Equal;
        else
            return false;
        if (!Number(target))
            return false;

        std::vector<std::string> shown;
        long long successes = 0;
        for (long long i = 0; i < n; ++i) {
            const long long face = Die(faces);
            successes += Meets(comparison, face, target) ? 1 : 0;
            shown.push_back(std::to_string(face));
        }
        s = Cat(
            {"[", Join(shown, 0, shown.size()), "] -> ", kSuccesses, std::to_string(successes)});
        return true;
    }

    // Two six-sided dice read as tens and units: the smaller first, or in the
    // order thrown.
    void D66(bool smallerFirst, std::string& s) {
        const long long a = Die(6), b = Die(6);
        const long long value = smallerFirst ? 10 * std::min(a, b) + std::max(a, b) : 10 * a + b;
        s = Cat({"[", std::to_string(a), ",", std::to_string(b), "] -> ", std::to_string(value)});
    }

    // The items up to "]"; one of them, picked by a draw, is the result.
    bool Choice(std::string& s) {
        std::vector<std::string_view> items;
        do {
            const std::size_t start = pos_;
            for (std::size_t length; pos_ < s_.size() && (length = ItemCharLength(s_, pos_));)
                pos_ += length;
            if (pos_ == start || items.size() == kMaxItems)
                return false;
            items.push_back(s_.substr(start, pos_ - start));
        } while (Accept(','));
        if (!Accept(']'))
            return false;
        s = items[random_() % items.size()];
        return true;
    }

    // Counts the group's dice against the line's limit, too.
    bool DiceInBounds(long long n, long long faces) {
        dice_ += n;
        return n >= 1 && n <= kMaxDice && dice_ <= kMaxDice && faces >= 1 && faces <= kMaxFaces;
    }

    // Whether a count begins here: N "D" M and a comparison sign.
    bool AtCount() const {
        std::size_t p = pos_;
        auto digits = [&] {
            const std::size_t start = p;
            while (p < s_.size() && IsDigit(s_[p]))
                ++p;
            return p > start;
        };
        if (!digits() || p >= s_.size() || Upper(s_[p]) != 'D')
            return false;
        ++p;
        return digits() && p < s_.size() && (s_[p] == '<' || s_[p] == '>' || s_[p] == '=');
    }

    // `left` op `right` into `left`; false on a zero divisor or a result
    // beyond the bounds. Operands are always within the bounds themselves, so
    // the 64-bit arithmetic cannot overflow.
    bool Apply(char op, long long& left, long long right) {
        long long v = 0;
        switch (op) {
            case '+':
                v = left + right;
                break;
            case '-':
                v = left - right;
                break;
            case '*':
                v = left * right;
                break;
            default:
                if (right == 0)
                    return Fault(left);
                v = left / right;
                if (left % right != 0 && (left < 0) != (right < 0))
                    --v;  // round down, not toward zero
                break;
        }
        if (v < -kMaxValue || v > kMaxValue)
            return Fault(left);
        left = v;
        return true;
    }

    bool Fault(long long& left) const {
        left = 0;
        return !rolling_;
    }

    long long Die(long long faces) { return random_() % static_cast<std::uint32_t>(faces) + 1; }

    // An unsigned number of 1 to 6 digits.
    bool Number(long long& value) {
        const std::size_t start = pos_;
        value = 0;
        for (; pos_ < s_.size() && IsDigit(s_[pos_]); ++pos_) {
            if (pos_ - start == kMaxDigits)
                return false;
            value = value * 10 + (s_[pos_] - '0');
        }
        return pos_ > start;
    }

    bool SignedNumber(long long& value) {
        const bool negative = Accept('-');
        if (!negative)
            Accept('+');
        if (!Number(value))
            return false;
        if (negative)
            value = -value;
        return true;
    }

    // Takes `c` (an upper-case letter matches either case) when it comes next.
    bool Accept(char c) {
        if (pos_ >= s_.size() || Upper(s_[pos_]) != c)
            return false;
        ++pos_;
        return true;
    }

    bool AcceptWord(std::string_view word) {
        if (s_.size() - pos_ < word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (Upper(s_[pos_ + i]) != word[i])
                return false;
        }
        pos_ += word.size();
        return true;
    }

    enum class Comparison { AtLeast, Above, AtMost, Below, Equal, NotEqual };

    static bool Meets(Comparison c, long long face, long long target) {
        switch (c) {
            case Comparison::AtLeast:
                return face >= target;
            case Comparison::Above:
                return face > target;
            case Comparison::AtMost:
                return face <= target;
            case Comparison::Below:
                return face < target;
            case Comparison::Equal:
                return face == target;
            case Comparison::NotEqual:
                return face != target;
        }
        return false;
    }

    const std::string_view s_;
    const PluginRandomFunc random_;
    const bool rolling_;
    std::size_t pos_ = 0;
    long long dice_ = 0;  // dice of the line so far
    int depth_ = 0;       // open parentheses
};

}  // namespace

extern "C" __attribute__((visibility("default"))) const char* GetTagName() {
    return kTag.data();
}

extern "C" __attribute__((visibility("default"))) unsigned char DiceFunc(
    std::string* expression, std::string* result, PluginRandomFunc randomNext) {
    if (!expression || !result || !randomNext)
        return 0;
    try {
        // The line is read without its spaces; a long one is refused before
        // anything is copied.
        const std::size_t length =
            expression->size() - std::count(expression->begin(), expression->end(), ' ');
        if (length > kMaxLineBytes)
            return 0;
        std::string line;
        line.reserve(length);
        std::copy_if(expression->begin(), expression->end(), std::back_inserter(line),
                     [](char c) { return c != ' '; });
        if (line.compare(0, kTag.size(), kTag) != 0)
            return 0;

        std::string text;
        if (!CLineParser(line, nullptr).Run(text) || !CLineParser(line, randomNext).Run(text))
            return 0;
        *result = std::move(text);
        return 1;
    } catch (...) {
        // Out of memory: the roll did not happen, and the host must not be
        // taken down by it.
        return 0;
    }
}
