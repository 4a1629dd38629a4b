#include "chat/InputRules.h"

#include <algorithm>

#include "chat/CDebugCodes.h"
#include "net/ISessionPort.h"
#include "net/MsgType.h"
#include "platform/Cp932.h"
#include "platform/SjisText.h"

namespace yarrow {

std::string ApplyFirstPersonFilter(std::string text, const std::vector<std::string>& persons,
                                   const std::vector<std::string>& replacements) {
    if (replacements.empty())
        return text;
    for (std::size_t i = 0; i < persons.size(); ++i) {
        const std::string& word = persons[i];
        if (word.empty())
            continue;
        const std::string& by = i < replacements.size() ? replacements[i] : replacements.back();
        ReplaceAllSjis(text, word, by);
    }
    return text;
}

std::string IndentContinuation(std::string text, std::size_t speakerNameBytes) {
    const std::string indent = "\r\n" + std::string(speakerNameBytes + 2, ' ');
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        const auto found = text.find("\r\n", pos);
        if (found == std::string::npos)
            break;
        out.append(text, pos, found - pos);
        out += indent;
        pos = found + 2;
    }
    out.append(text, pos, std::string::npos);
    return out;
}

TypingChange OnInputChanged(InputState& state, std::string_view text) {
    TypingChange change;
    if (!text.empty()) {
        if (!state.typing) {
            state.typing = true;
            change.notice = NowSaying;
        }
    } else {
        if (state.typing) {
            state.typing = false;
            change.notice = EndSaying;
        }
    }
    return change;
}

SubmitOutcome SubmitInput(InputState& state, std::string text, ISessionPort& session,
                          CDebugCodes& debug) {
    SubmitOutcome outcome;
    if (state.filter.on) {
        text = ApplyFirstPersonFilter(std::move(text), state.filter.persons,
                                      state.filter.replacements);
    }
    if (state.debugInput) {
        // A debug code reaches nobody: the typing flag stays as it is, so a
        // line the code empties takes the typing mark down with EndSaying,
        // and a refused code keeps both the line and the mark.
        state.debugInput = false;
        outcome.debugRun = true;
        outcome.clearInput = debug.Run(text);
        return outcome;
    }
    outcome.clearInput = true;
    // Nothing to send (the filter may have emptied the line): the typing
    // flag stays, so the emptied line takes the mark down with EndSaying.
    if (text.empty())
        return outcome;
    // A remark ends the typing mark on every receiver by itself, so no
    // EndSaying follows it.
    state.typing = false;
    const std::string speaker = session.SpeakerName();
    text = IndentContinuation(std::move(text), speaker.size());
    session.SendChat(speaker, text, session.MyColor(), LogBox);
    outcome.sent = true;
    return outcome;
}

std::string ResolveSpeakerName(const std::string& handleName, SubHandleChoice& choice) {
    if (choice.selected < 0 && choice.subRadio && !choice.text.empty()) {
        auto it = std::find(choice.items.begin(), choice.items.end(), choice.text);
        if (it == choice.items.end()) {
            choice.items.push_back(choice.text);
            it = choice.items.end() - 1;
        }
        choice.selected = static_cast<int>(it - choice.items.begin());
    }
    if (choice.subRadio && !choice.text.empty())
        return choice.text;
    return handleName;
}

int PreviousSubHandleIndex(int count, int selected) {
    if (count <= 0)
        return -1;
    if (selected <= 0 || selected >= count)
        return count - 1;
    return selected - 1;
}

int NextSubHandleIndex(int count, int selected) {
    if (count <= 0)
        return -1;
    if (selected < 0 || selected >= count - 1)
        return 0;
    return selected + 1;
}

std::vector<TextInsertion> TagInsertions(std::size_t selStart, std::size_t selEnd,
                                         const TagPair& tags) {
    if (selEnd < selStart)
        std::swap(selStart, selEnd);
    if (selStart == selEnd) {
        return {{selStart, std::string(tags.open) + std::string(tags.close)}};
    }
    return {{selEnd, std::string(tags.close)}, {selStart, std::string(tags.open)}};
}

std::size_t CaretAfterEmptyTagInsertion(std::size_t caret, const TagPair& tags) {
    // Just before the ">" of the opening tag, after its blank.
    return caret + tags.open.size() - 1;
}

std::optional<std::string> ExtractUrl(std::string_view selected) {
    // The address starts at a character: the second byte of a double-byte
    // character such as "ド" (83 68) is no "h".
    static constexpr std::string_view kScheme = "http://";
    std::size_t start = 0;
    while (start < selected.size() && selected.compare(start, kScheme.size(), kScheme) != 0)
        start += SjisCharWidth(selected, start);
    if (start >= selected.size())
        return std::nullopt;
    auto end = selected.find_first_of(" \t", start);
    if (end == std::string_view::npos)
        end = selected.size();
    std::string url;
    for (char c : selected.substr(start, end - start)) {
        if (c != '\r' && c != '\n')
            url += c;
    }
    return url;
}

std::string BufferIndicatorText(int buffer) {
    // Half-width katakana: one byte each in code page 932.
    return buffer == 2 ? Sjis("ﾊﾞｯﾌｧ2") : Sjis("ﾊﾞｯﾌｧ1");
}

std::string FilterIndicatorText(bool on) {
    return on ? Sjis("ﾌｨﾙﾀON") : std::string();
}

std::string DefaultPleaseWaitText() {
    return Sjis("<size 5>待った！</size>");
}

std::string NotConnectedNotice() {
    static const std::string text = Sjis("◇ この機能はサーバに接続していないと使用できません");
    return text;
}

std::string UnsendableCharactersNotice() {
    static const std::string text = Sjis("◇ 送信できない文字を〓に置き換えました");
    return text;
}

}  // namespace yarrow
