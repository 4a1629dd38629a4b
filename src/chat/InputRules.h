#pragma once
// What happens between the keyboard and the wire when a player speaks: the
// first-person filter, the continuation indent, the typing notice and the input
// line's height, the speaker name with its sub-handle list, tag insertion and
// the two input buffers. Pure logic over code page 932 bytes; the input line
// widget and the chat view only carry the results to the screen and the wire.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yarrow {

class CDebugCodes;
class ISessionPort;

// Heights of the input line in pixels: no line break, one, two or more.
inline constexpr int kInputHeightOneLine = 24;
inline constexpr int kInputHeightTwoLines = 41;
inline constexpr int kInputHeightThreeLines = 58;

// The lists the settings file supplies; the filter switch is not saved.
struct FirstPersonFilter {
    bool on = false;
    std::vector<std::string> persons;       // FilterdPerson, at most 20
    std::vector<std::string> replacements;  // Filter, at most 5
};

// Everything the input line keeps between key presses besides its text.
struct InputState {
    FirstPersonFilter filter;
    bool typing = false;      // a NowSaying went out and no remark or EndSaying since
    bool debugInput = false;  // the next Enter runs a debug code
};

// Replaces each filtered word (in list order) by its replacement, or by the
// last replacement for words beyond the end of that list. Matches only at
// character boundaries, so the trail byte of one double-byte character and
// the lead byte of the next never form a false match. Empty words are skipped
// (an empty setting yields one empty word). No replacements: text unchanged.
std::string ApplyFirstPersonFilter(std::string text, const std::vector<std::string>& persons,
                                   const std::vector<std::string>& replacements);

// Lines up continuation lines after "name：" in the plain-text log: every
// CR LF is followed by (byte length of the speaker name + 2) blanks.
std::string IndentContinuation(std::string text, std::size_t speakerNameBytes);

// What a change of the input line's content asks for: at most one typing
// notice (NowSaying or EndSaying), or none.
struct TypingChange {
    std::optional<std::int32_t> notice;
};
TypingChange OnInputChanged(InputState& state, std::string_view text);

// Outcome of Enter in the input line.
struct SubmitOutcome {
    bool clearInput = false;  // empty the input line
    bool sent = false;        // a remark went to SendChat
    bool debugRun = false;    // the text was taken as a debug code
};
// The whole send on Enter: filter, typing flag, debug code, empty check,
// indent, SendChat as LogBox under the speaker name. The debug-input flag is
// cleared in every case.
SubmitOutcome SubmitInput(InputState& state, std::string text, ISessionPort& session,
                          CDebugCodes& debug);

// The sub-handle controls as read from the chat view's form.
struct SubHandleChoice {
    std::vector<std::string> items;  // the combo's list
    int selected = -1;               // selected item, -1 when none (typed text)
    bool subRadio = false;           // speak under the sub-handle name
    std::string text;                // the combo's text
};
// The speaker name. A typed sub-handle name (no item selected, sub-handle radio
// chosen, text not empty) is added to the list once and selected.
std::string ResolveSpeakerName(const std::string& handleName, SubHandleChoice& choice);

// Ctrl+Up and Ctrl+Down over the sub-handle list; -1 for an empty list.
int PreviousSubHandleIndex(int count, int selected);
int NextSubHandleIndex(int count, int selected);

// Tag insertion. Each insertion is applied in order to the current text, so
// the closing tag comes first (after the selection), then the opening tag.
struct TextInsertion {
    std::size_t position;
    std::string text;
};
struct TagPair {
    std::string_view open;
    std::string_view close;
};
inline constexpr TagPair kSizeTags{"<size >", "</size>"};
inline constexpr TagPair kColorTags{"<color >", "</color>"};
inline constexpr std::string_view kHeartTag = "<H>";
// Wraps the selection [start, end) in the tags, or puts both tags at the caret
// when nothing is selected. Positions may be in any unit (bytes, UTF-16).
std::vector<TextInsertion> TagInsertions(std::size_t selStart, std::size_t selEnd,
                                         const TagPair& tags);
// Position after the caret for an empty selection: between the two tags, so
// the user types the value at once.
std::size_t CaretAfterEmptyTagInsertion(std::size_t caret, const TagPair& tags);

// "URLへ移動": the address in a selected log text, from "http://" to the next
// blank or the end, with any line break inside removed. Nothing when the
// selection holds no "http://".
std::optional<std::string> ExtractUrl(std::string_view selected);

// Status-bar texts.
std::string BufferIndicatorText(int buffer);  // "ﾊﾞｯﾌｧ1" / "ﾊﾞｯﾌｧ2"
std::string FilterIndicatorText(bool on);     // "ﾌｨﾙﾀON" / ""

// The remark of the please-wait command when the settings file has no
// PleaseWait entry.
std::string DefaultPleaseWaitText();

// The notice for a feature used while not connected.
std::string NotConnectedNotice();

// The notice for a remark or whisper that went out with characters code page
// 932 cannot hold shown as "〓".
std::string UnsendableCharactersNotice();

}  // namespace yarrow
