#pragma once
// The message types of the protocol, in one table that the codec, TypeName and
// the dispatchers all read. Protocol version 6.

#include <cstdint>
#include <string_view>

namespace yarrow {

enum MsgType : std::int32_t {
    CnctStart = 1,
    CnctReply = 2,
    LogBox = 3,
    Chart = 4,
    ChartLock = 5,
    Secret = 6,
    DiceRoll = 7,
    ScreenDice = 8,
    NowSaying = 9,
    EndSaying = 10,
    UpdateMap = 11,
    CallMember = 12,  // no wire name: TypeName gives Unknown(0xC)
    UpdateMbr = 13,
    DrawCard = 14,
    ScreenCard = 15,
    MoveCard = 16,
    DeckEmpty = 17,
    ShuffleDeck = 18,
    DeckEmptyReshuffle = 19,  // no wire name: deck empty, discard pile not
    Disconnect = 20,
    ResetMembers = 21,  // no wire name: member list reset
    StartTimer = 22,
    CountTimer = 23,
    PassCard = 24,
    GetCardStat = 25,
    ResetGrave = 26,
    InitDeck = 27,
    // 28 is neither sent nor handled.
    RndmGet = 29,
    DenyPass = 30,
};

inline constexpr std::int32_t kFirstMsgType = 1;
inline constexpr std::int32_t kLastMsgType = 30;

// What follows the common header on the wire.
enum class PayloadKind : std::uint8_t {
    None,
    Members,     // 2, 13: i32 count, then (i32 id, str name) each
    Chart,       // 4: spin, rows, columns, rows x columns strings
    Recipients,  // 6: u16 count, then (u16 key, i32 id) each
    Map,         // 11: units, then tiles
    Strings,     // 16, 24, 25: i32 count, then str each
};

struct MsgTypeInfo {
    std::int32_t code;
    std::string_view name;  // empty: the type has no name
    PayloadKind payload;
};

// Index = type code, 0 .. 30. Code 0 is the "Undefined" of a fresh record.
inline constexpr MsgTypeInfo kMsgTypes[] = {
    {0, "Undefined", PayloadKind::None},
    {1, "CnctStart", PayloadKind::None},
    {2, "CnctReply", PayloadKind::Members},
    {3, "LogBox", PayloadKind::None},
    {4, "Chart", PayloadKind::Chart},
    {5, "ChartLock", PayloadKind::None},
    {6, "Secret", PayloadKind::Recipients},
    {7, "DiceRoll", PayloadKind::None},
    {8, "ScreenDice", PayloadKind::None},
    {9, "NowSaying", PayloadKind::None},
    {10, "EndSaying", PayloadKind::None},
    {11, "UpdateMap", PayloadKind::Map},
    {12, "", PayloadKind::None},
    {13, "UpdateMbr", PayloadKind::Members},
    {14, "DrawCard", PayloadKind::None},
    {15, "ScreenCard", PayloadKind::None},
    {16, "MoveCard", PayloadKind::Strings},
    {17, "DeckEmpty", PayloadKind::None},
    {18, "ShuffleDeck", PayloadKind::None},
    {19, "", PayloadKind::None},
    {20, "Disconnect", PayloadKind::None},
    {21, "", PayloadKind::None},
    {22, "StartTimer", PayloadKind::None},
    {23, "CountTimer", PayloadKind::None},
    {24, "PassCard", PayloadKind::Strings},
    {25, "GetCardStat", PayloadKind::Strings},
    {26, "ResetGrave", PayloadKind::None},
    {27, "InitDeck", PayloadKind::None},
    {28, "", PayloadKind::None},
    {29, "RndmGet", PayloadKind::None},
    {30, "DenyPass", PayloadKind::None},
};

constexpr bool IsValidMsgType(std::int32_t type) {
    return type >= kFirstMsgType && type <= kLastMsgType;
}

constexpr PayloadKind PayloadOf(std::int32_t type) {
    return type >= 0 && type <= kLastMsgType ? kMsgTypes[type].payload : PayloadKind::None;
}

}  // namespace yarrow
