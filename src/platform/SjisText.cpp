#include "platform/SjisText.h"

namespace yarrow {

std::size_t SjisCharWidth(std::string_view text, std::size_t pos) {
    return IsSjisLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

std::size_t SjisCutLength(std::string_view text, std::size_t maxBytes) {
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t width = SjisCharWidth(text, end);
        if (end + width > maxBytes)
            break;
        end += width;
    }
    return end;
}

std::string SjisCut(std::string_view text, std::size_t maxBytes) {
    return std::string(text.substr(0, SjisCutLength(text, maxBytes)));
}

std::size_t SjisFind(std::string_view text, char c) {
    for (std::size_t pos = 0; pos < text.size(); pos += SjisCharWidth(text, pos)) {
        if (text[pos] == c)
            return pos;
    }
    return std::string_view::npos;
}

std::string_view TrimBlanks(std::string_view text, std::string_view blanks) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

void ReplaceAllSjis(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty() || text.find(from) == std::string::npos)
        return;
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text.compare(pos, from.size(), from) == 0) {
            out.append(to);
            pos += from.size();
        } else {
            const std::size_t width = SjisCharWidth(text, pos);
            out.append(text, pos, width);
            pos += width;
        }
    }
    text = std::move(out);
}

std::string ReplaceAllBytes(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0;;) {
        const std::size_t found = text.find(from, at);
        out.append(text.substr(at, found - at));
        if (found == std::string_view::npos)
            return out;
        out.append(to);
        at = found + from.size();
    }
}

}  // namespace yarrow
