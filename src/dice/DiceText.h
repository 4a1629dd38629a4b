#pragma once
// Text helpers shared by the dice readers. Expressions, table calls and
// template lines all arrive typed by hand or read from a settings line, so
// blanks around them (spaces, tabs, a stray line end) carry no meaning.

#include <string_view>

namespace yarrow {

// `s` without the spaces, tabs, CRs and LFs at either end.
inline std::string_view TrimBlanks(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

}  // namespace yarrow
