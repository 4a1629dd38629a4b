#include "cards/CHubCardState.h"

#include <cstdio>

#include "net/CardLineText.h"

namespace yarrow {

namespace {

// The card numbers an entry list names, in order; damaged entries name none.
std::vector<int> EntryNumbers(const std::vector<std::string>& entries) {
    std::vector<int> numbers;
    numbers.reserve(entries.size());
    for (const std::string& entry : entries) {
        if (auto card = ParseCardEntry(entry))
            numbers.push_back(card->number);
    }
    return numbers;
}

}  // namespace

CHubCardState::CHubCardState(IRandomSource& random, const IClock& clock) : box_(random, clock) {}

CHubCardState::CHubCardState(const IClock& clock)
    : ownRandom_(std::make_unique<CMersenneTwister>()), box_(*ownRandom_, clock) {}

bool CHubCardState::Load(const std::string& path) {
    return box_.Load(path);
}

std::string CHubCardState::DeckSummary() const {
    char count[16];
    std::snprintf(count, sizeof count, "%05d", box_.Remaining());
    return count + box_.CurrentDeckName();
}

void CHubCardState::AddHolder(std::int32_t memberId) {
    box_.AddHolder(memberId);
}

void CHubCardState::ReleaseHolder(std::int32_t memberId) {
    box_.ReleaseHolder(memberId);
}

void CHubCardState::RemoveHolder(std::int32_t memberId) {
    box_.RemoveHolder(memberId);
}

std::vector<std::string> CHubCardState::TransferHolder(std::int32_t from, std::int32_t to) {
    return Entries(box_.TransferHolder(from, to));
}

std::optional<CMsg> CHubCardState::SwitchDeck(int index) {
    const auto& names = box_.DeckSetNames();
    if (index < 0 || static_cast<std::size_t>(index) >= names.size())
        return std::nullopt;
    const std::string& name = names[static_cast<std::size_t>(index)];
    // Refused before anything changed: an InitDeck would empty every window's
    // lists while the hub still holds the cards in them.
    if (!box_.SelectDeck(name) && box_.CurrentDeckName() != name)
        return std::nullopt;
    CMsg init;
    init.Type = InitDeck;
    init.Text = box_.CurrentDeckName();
    init.Param1 = box_.Remaining();
    return init;
}

void CHubCardState::ApplyCardOperation(const CMsg& record, CMsg& working) {
    switch (record.Type) {
        case DrawCard:
        case ScreenCard:
            OnDraw(record, working);
            break;
        case MoveCard:
            OnMove(record, working);
            break;
        case PassCard:
            OnPass(record, working);
            break;
        case GetCardStat:
            OnCardStat(record, working);
            break;
        case ShuffleDeck:
            box_.Shuffle();
            break;
        case ResetGrave:
            box_.ResetGrave();
            break;
        default:
            break;
    }
}

void CHubCardState::OnDraw(const CMsg& record, CMsg& working) {
    if (auto number = box_.DrawToHand(record.ID)) {
        working.Param1 = *number;
        working.Param2 = box_.Remaining();
        working.Text = box_.DisplayText(*number);
        return;
    }
    // Nothing was dealt. A drawer without a holder is told the deck is
    // empty; nobody is offered a reshuffle that would not help it.
    const bool offer = box_.Holder(record.ID) != nullptr && box_.DiscardCount() >= 1;
    working.Type = offer ? DeckEmptyReshuffle : DeckEmpty;
}

void CHubCardState::OnMove(const CMsg& record, CMsg& working) {
    const int code = record.Param1 & 0xFFFF;
    const std::vector<std::uint16_t> moved =
        box_.MoveCards(record.ID, code >> 8, code & 0xFF, EntryNumbers(record.Strings));
    working.Strings = Entries(moved);
}

void CHubCardState::OnPass(const CMsg& record, CMsg& working) {
    const std::vector<std::uint16_t> passed =
        box_.PassCards(record.ID, record.Param1, EntryNumbers(record.Strings));
    working.Strings = Entries(passed);
}

void CHubCardState::OnCardStat(const CMsg& record, CMsg& working) {
    working.Strings.clear();
    const CCardHolder* holder = box_.Holder(record.Param1);
    if (holder == nullptr) {
        working.Param1 = 0;
        working.Param2 = 0;
        return;
    }
    working.Param1 = static_cast<std::int32_t>(holder->Pile(kHandPile).size());
    working.Param2 = static_cast<std::int32_t>(holder->Pile(kFaceDownPile).size());
    for (std::uint16_t number : holder->Pile(kFaceUpPile))
        working.Strings.push_back(box_.DisplayText(number));
}

std::vector<std::string> CHubCardState::Entries(const std::vector<std::uint16_t>& numbers) const {
    std::vector<std::string> entries;
    entries.reserve(numbers.size());
    for (std::uint16_t number : numbers)
        entries.push_back(FormatCardEntry(number, box_.DisplayText(number)));
    return entries;
}

}  // namespace yarrow
