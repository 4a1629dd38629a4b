#include "platform/CRtfReader.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <optional>
#include <set>
#include <string>

#include "platform/Cp932.h"
#include "platform/SjisText.h"

namespace yarrow {

namespace {

constexpr std::size_t kMaxGroupDepth = 256;
constexpr std::size_t kMaxWordLength = 32;
constexpr int kMaxHalfPoints = 1638;  // the largest size RTF readers accept

// What a group is doing: the document body, or one of the tables, or
// something this reader does not show.
enum class Destination { Body, FontTable, ColorTable, Skip };

struct GroupState {
    RtfCharFormat format;
    int font = 0;
    Destination destination = Destination::Body;
};

// The Symbol font's suits, the heart among them, as Unicode.
const char* SymbolCharacter(unsigned char byte) {
    switch (byte) {
        case 0xA7:
            return "\xE2\x99\xA3";  // club
        case 0xA8:
            return "\xE2\x99\xA6";  // diamond
        case 0xA9:
            return "\xE2\x99\xA5";  // heart
        case 0xAA:
            return "\xE2\x99\xA0";  // spade
        default:
            return nullptr;
    }
}

bool IsDestinationToSkip(std::string_view word) {
    static constexpr std::string_view kSkipped[] = {"stylesheet",
                                                    "info",
                                                    "pict",
                                                    "object",
                                                    "fldinst",
                                                    "themedata",
                                                    "listtable",
                                                    "generator",
                                                    "rsidtbl",
                                                    "xmlnstbl",
                                                    "datastore",
                                                    "latentstyles",
                                                    "listoverridetable",
                                                    "colorschememapping",
                                                    "header",
                                                    "footer",
                                                    "filetbl",
                                                    "revtbl"};
    return std::find(std::begin(kSkipped), std::end(kSkipped), word) != std::end(kSkipped);
}

class Parser {
  public:
    explicit Parser(std::string_view rtf) : in_(rtf) { stack_.push_back(GroupState{}); }

    std::vector<RtfRun> Run() {
        while (pos_ < in_.size()) {
            const char c = in_[pos_];
            if (c == '{') {
                ++pos_;
                OpenGroup();
            } else if (c == '}') {
                ++pos_;
                CloseGroup();
            } else if (c == '\\') {
                ++pos_;
                ControlSequence();
            } else if (c == '\r' || c == '\n') {
                ++pos_;  // line ends in RTF source mean nothing
            } else {
                ++pos_;
                const auto byte = static_cast<unsigned char>(c);
                TextByte(byte);
                if (IsLeadByte(byte) && Top().destination == Destination::Body)
                    TakeTrailByte();
            }
        }
        Flush();
        return std::move(runs_);
    }

    // A code page 932 lead byte written as it is: the next byte is its trail
    // byte whatever it looks like, also "{" or "}" (the line layouts carry
    // their Japanese labels unescaped, and "マ" ends in "}"), or an escaped
    // "\\", "\{" or "\}" (escaped text keeps its trail bytes that way).
    static bool IsLeadByte(unsigned char byte) { return IsSjisLeadByte(byte); }

    void TakeTrailByte() {
        if (pos_ >= in_.size())
            return;
        const char t = in_[pos_];
        if (t == '\\') {
            if (pos_ + 1 < in_.size() &&
                (in_[pos_ + 1] == '\\' || in_[pos_ + 1] == '{' || in_[pos_ + 1] == '}')) {
                TextByte(static_cast<unsigned char>(in_[pos_ + 1]));
                pos_ += 2;
            }
            return;  // a control word or a hex escape follows: read as usual
        }
        if (t == '\r' || t == '\n')
            return;
        TextByte(static_cast<unsigned char>(t));
        ++pos_;
    }

  private:
    GroupState& Top() { return stack_.back(); }

    void OpenGroup() {
        Flush();
        if (stack_.size() >= kMaxGroupDepth) {
            ++overflowDepth_;  // deeper groups share the deepest state
            return;
        }
        stack_.push_back(stack_.back());
    }

    void CloseGroup() {
        Flush();
        if (overflowDepth_ > 0) {
            --overflowDepth_;
            return;
        }
        if (Top().destination == Destination::FontTable)
            EndFontEntry();
        if (stack_.size() > 1)
            stack_.pop_back();  // a stray "}" is ignored
    }

    void ControlSequence() {
        if (pos_ >= in_.size())
            return;  // a lone backslash at the end
        const char c = in_[pos_];
        if (std::isalpha(static_cast<unsigned char>(c))) {
            ControlWord();
            return;
        }
        ++pos_;
        switch (c) {
            case '\\':
            case '{':
            case '}':
                TextByte(static_cast<unsigned char>(c));
                break;
            case '\'': {
                const int hi = pos_ < in_.size() ? HexDigitValue(in_[pos_]) : -1;
                const int lo = pos_ + 1 < in_.size() ? HexDigitValue(in_[pos_ + 1]) : -1;
                if (hi < 0 || lo < 0)
                    break;  // truncated escape: dropped
                pos_ += 2;
                HexByte(static_cast<unsigned char>(hi * 16 + lo));
                break;
            }
            case '*':
                Top().destination = Destination::Skip;
                break;
            case '~':
                TextByte(' ');
                break;
            case '\r':
            case '\n':
                Paragraph();
                break;  // "\" + line end is a paragraph
            default:
                break;  // \- \_ \: and the like
        }
    }

    void ControlWord() {
        std::string word;
        while (pos_ < in_.size() && std::isalpha(static_cast<unsigned char>(in_[pos_]))) {
            if (word.size() < kMaxWordLength)
                word += in_[pos_];
            ++pos_;
        }
        bool hasParam = false;
        bool negative = false;
        long long param = 0;
        if (pos_ < in_.size() && in_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        while (pos_ < in_.size() && std::isdigit(static_cast<unsigned char>(in_[pos_]))) {
            hasParam = true;
            if (param < 1000000000LL)
                param = param * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        if (negative)
            param = -param;
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_;  // the delimiter belongs to the word
        Apply(word, hasParam, param);
    }

    void Apply(const std::string& word, bool hasParam, long long param) {
        GroupState& g = Top();
        if (g.destination == Destination::Skip)
            return;
        if (word == "fonttbl") {
            g.destination = Destination::FontTable;
            return;
        }
        if (word == "colortbl") {
            g.destination = Destination::ColorTable;
            return;
        }
        if (IsDestinationToSkip(word)) {
            g.destination = Destination::Skip;
            return;
        }
        if (g.destination == Destination::FontTable) {
            if (word == "f") {
                EndFontEntry();
                fontEntry_ = static_cast<int>(std::clamp<long long>(param, -1, 1 << 20));
            }
            return;
        }
        if (g.destination == Destination::ColorTable) {
            const auto value = static_cast<std::uint32_t>(std::clamp<long long>(param, 0, 255));
            if (word == "red")
                current_ = current_.value_or(0) | (value << 16);
            if (word == "green")
                current_ = current_.value_or(0) | (value << 8);
            if (word == "blue")
                current_ = current_.value_or(0) | value;
            return;
        }

        if (word == "par" || word == "line") {
            Paragraph();
        } else if (word == "tab") {
            TextByte('\t');
        } else if (word == "cf") {
            Flush();
            g.format.color = ColorOf(hasParam ? param : 0);
        } else if (word == "fs") {
            Flush();
            g.format.halfPoints = hasParam && param > 0
                                      ? static_cast<int>(std::min<long long>(param, kMaxHalfPoints))
                                      : 24;
        } else if (word == "b") {
            Flush();
            g.format.bold = !hasParam || param != 0;
        } else if (word == "plain") {
            Flush();
            g.format = RtfCharFormat{};
        } else if (word == "f") {
            Flush();
            g.font = static_cast<int>(std::clamp<long long>(param, -1, 1 << 20));
        } else if (word == "uc") {
            ucSkip_ = static_cast<int>(std::clamp<long long>(param, 0, 8));
        } else if (word == "u") {
            Unicode(param);
        }
    }

    std::optional<std::uint32_t> ColorOf(long long index) const {
        if (index <= 0 || index >= static_cast<long long>(colors_.size()))
            return std::nullopt;
        return colors_[static_cast<std::size_t>(index)];
    }

    void EndFontEntry() {
        if (fontEntry_ >= 0 && fontName_.find("Symbol") != std::string::npos) {
            symbolFonts_.insert(fontEntry_);
        }
        fontEntry_ = -1;
        fontName_.clear();
    }

    bool SkipAfterUnicode() {
        if (pendingSkip_ == 0)
            return false;
        --pendingSkip_;
        return true;
    }

    void TextByte(unsigned char byte) {
        GroupState& g = Top();
        switch (g.destination) {
            case Destination::Skip:
                return;
            case Destination::FontTable:
                if (byte == ';') {
                    EndFontEntry();
                } else if (fontName_.size() < 256) {
                    fontName_ += static_cast<char>(byte);
                }
                return;
            case Destination::ColorTable:
                if (byte == ';') {
                    colors_.push_back(current_);
                    current_.reset();
                }
                return;
            case Destination::Body:
                break;
        }
        if (SkipAfterUnicode())
            return;
        if (symbolFonts_.count(g.font) != 0) {
            if (const char* symbol = SymbolCharacter(byte)) {
                Flush();
                Emit(symbol, g.format);
                return;
            }
        }
        if (pending_.empty())
            pendingFormat_ = g.format;
        pending_ += static_cast<char>(byte);
    }

    void HexByte(unsigned char byte) { TextByte(byte); }

    void Unicode(long long param) {
        if (Top().destination != Destination::Body)
            return;
        Flush();
        std::uint32_t cp = static_cast<std::uint32_t>(param < 0 ? param + 65536 : param);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            cp = 0xFFFD;
        std::string utf8;
        if (cp < 0x80) {
            utf8 += static_cast<char>(cp);
        } else if (cp < 0x800) {
            utf8 += static_cast<char>(0xC0 | (cp >> 6));
            utf8 += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (cp >> 12));
            utf8 += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (cp >> 18));
            utf8 += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (cp & 0x3F));
        }
        Emit(utf8, Top().format);
        pendingSkip_ = ucSkip_;
    }

    void Paragraph() {
        if (Top().destination != Destination::Body)
            return;
        Flush();
        RtfRun run;
        run.format = Top().format;
        run.paragraphBreak = true;
        runs_.push_back(std::move(run));
    }

    // Decodes the collected code page 932 bytes as one piece, so that a
    // double-byte character whose trail byte was escaped comes out whole.
    void Flush() {
        if (pending_.empty())
            return;
        Emit(Cp932ToUtf8(pending_).text, pendingFormat_);
        pending_.clear();
    }

    void Emit(std::string_view utf8, const RtfCharFormat& format) {
        if (utf8.empty())
            return;
        if (!runs_.empty() && !runs_.back().paragraphBreak && runs_.back().format == format) {
            runs_.back().text.append(utf8);
            return;
        }
        RtfRun run;
        run.format = format;
        run.text = std::string(utf8);
        runs_.push_back(std::move(run));
    }

    std::string_view in_;
    std::size_t pos_ = 0;
    std::vector<GroupState> stack_;
    std::size_t overflowDepth_ = 0;
    std::vector<RtfRun> runs_;
    std::string pending_;
    RtfCharFormat pendingFormat_;
    // Tables: entry 0 of the colour table is the automatic colour.
    std::vector<std::optional<std::uint32_t>> colors_;
    std::optional<std::uint32_t> current_;
    std::set<int> symbolFonts_;
    int fontEntry_ = -1;
    std::string fontName_;
    int ucSkip_ = 1;
    int pendingSkip_ = 0;
};

}  // namespace

std::vector<RtfRun> CRtfReader::Read(std::string_view rtf) {
    return Parser(rtf).Run();
}

bool CRtfReader::HadReplacements(const std::vector<RtfRun>& runs) {
    return std::any_of(runs.begin(), runs.end(), [](const RtfRun& r) {
        return r.text.find("\xEF\xBF\xBD") != std::string::npos;
    });
}

}  // namespace yarrow
