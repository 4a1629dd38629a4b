#pragma once
// One card of a deck set: its text from Deck.ini, the attribute the last
// shuffle gave it, and its number within the set.

#include <cstdint>
#include <string>

namespace yarrow {

struct CCard {
    // At most 255 bytes of code page 932, kept as the file had them.
    std::string CardText;
    // -1 for none, else an index into the set's attribute names.
    std::int32_t Attribute = -1;
    // copy x CardNum + entry; below 32768.
    std::uint16_t CardNumber = 0;
};

}  // namespace yarrow
