#include "cards/CDeck.h"

#include <utility>

#include "dice/IRandomSource.h"

namespace yarrow {

namespace {

// Counts of the positions not yet placed, as a Fenwick tree, so that picking
// the r-th remaining position and removing it cost O(log n) each: a shuffle
// of the largest set stays well under a millisecond, with exactly the draws
// and the result of picking from a shrinking list.
class CRemainingPositions {
  public:
    explicit CRemainingPositions(std::size_t n) : tree_(n + 1, 0) {
        for (std::size_t i = 1; i <= n; ++i) {
            tree_[i] += 1;
            const std::size_t parent = i + (i & (~i + 1));
            if (parent <= n)
                tree_[parent] += tree_[i];
        }
        step_ = 1;
        while (step_ * 2 <= n)
            step_ *= 2;
    }

    // Removes and returns the r-th remaining position (0-based, ascending).
    std::size_t Take(std::size_t r) {
        std::size_t at = 0;
        for (std::size_t step = step_; step != 0; step /= 2) {
            const std::size_t next = at + step;
            if (next < tree_.size() && tree_[next] <= r) {
                at = next;
                r -= tree_[next];
            }
        }
        // `at` + 1 is the 1-based position of the wanted one.
        for (std::size_t i = at + 1; i < tree_.size(); i += i & (~i + 1))
            tree_[i] -= 1;
        return at;
    }

  private:
    std::vector<std::size_t> tree_;
    std::size_t step_ = 0;
};

}  // namespace

CDeck::CDeck(int cardNum, int deckNum, const std::vector<std::string>& entryTexts,
             int attributeCount, std::vector<std::string> attributeNames)
    : cardNum_(cardNum),
      deckNum_(deckNum),
      attributeCount_(attributeCount),
      attributeNames_(std::move(attributeNames)) {
    const std::size_t total =
        cardNum > 0 && deckNum > 0 ? static_cast<std::size_t>(cardNum) * deckNum : 0;
    cards_.resize(total);
    places_.assign(total, Place::Absent);
    for (int c = 0; c < deckNum; ++c) {
        for (int e = 0; e < cardNum; ++e) {
            const auto entry = static_cast<std::size_t>(e);
            if (entry >= entryTexts.size() || entryTexts[entry].empty())
                continue;
            const std::size_t number = static_cast<std::size_t>(c) * cardNum + entry;
            cards_[number].CardText = entryTexts[entry];
            cards_[number].CardNumber = static_cast<std::uint16_t>(number);
            places_[number] = Place::Draw;
            ++cardCount_;
        }
    }
    discardNext_.assign(total + 1, static_cast<std::uint32_t>(total));
    discardPrev_.assign(total + 1, static_cast<std::uint32_t>(total));
    RestoreAll();
}

const CCard* CDeck::Card(int number) const {
    return Known(number) ? &cards_[static_cast<std::size_t>(number)] : nullptr;
}

CDeck::Place CDeck::PlaceOf(int number) const {
    return Known(number) ? places_[static_cast<std::size_t>(number)] : Place::Absent;
}

std::string CDeck::DisplayText(int number) const {
    const CCard* card = Card(number);
    if (card == nullptr)
        return {};
    if (card->Attribute < 0)
        return card->CardText;
    return card->CardText + "(" + AttributeName(card->Attribute).value_or(std::string()) + ")";
}

std::optional<std::string> CDeck::AttributeName(int index) const {
    const auto at = static_cast<std::uint16_t>(static_cast<unsigned>(index));
    if (at < attributeNames_.size())
        return attributeNames_[at];
    return std::nullopt;
}

void CDeck::RestoreAll() {
    drawPile_.clear();
    const auto head = static_cast<std::uint32_t>(cards_.size());
    discardNext_[head] = head;
    discardPrev_[head] = head;
    discardCount_ = 0;
    for (std::size_t n = 0; n < cards_.size(); ++n) {
        if (places_[n] == Place::Absent)
            continue;
        places_[n] = Place::Draw;
        drawPile_.push_back(static_cast<std::uint16_t>(n));
    }
}

bool CDeck::Shuffle(IRandomSource& random) {
    const std::size_t n = drawPile_.size();
    if (n == 0)
        return false;
    const std::vector<std::uint16_t> before(drawPile_.begin(), drawPile_.end());
    CRemainingPositions positions(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t r = random.RandomNext() % static_cast<std::uint32_t>(n - i);
        const std::uint16_t number = before[positions.Take(r)];
        drawPile_[i] = number;
        if (attributeCount_ > 1) {
            cards_[number].Attribute = static_cast<std::int32_t>(
                random.RandomNext() % static_cast<std::uint32_t>(attributeCount_));
        }
    }
    return true;
}

std::optional<std::uint16_t> CDeck::Draw() {
    if (drawPile_.empty())
        return std::nullopt;
    const std::uint16_t number = drawPile_.front();
    drawPile_.pop_front();
    places_[number] = Place::Out;
    return number;
}

bool CDeck::AddToDiscard(int number) {
    if (PlaceOf(number) != Place::Out)
        return false;
    const auto n = static_cast<std::uint32_t>(number);
    const auto head = static_cast<std::uint32_t>(cards_.size());
    const std::uint32_t last = discardPrev_[head];
    discardNext_[last] = n;
    discardPrev_[n] = last;
    discardNext_[n] = head;
    discardPrev_[head] = n;
    ++discardCount_;
    places_[n] = Place::Discard;
    return true;
}

void CDeck::UnlinkDiscard(std::uint16_t number) {
    const std::uint32_t prev = discardPrev_[number];
    const std::uint32_t next = discardNext_[number];
    discardNext_[prev] = next;
    discardPrev_[next] = prev;
    --discardCount_;
}

bool CDeck::RemoveFromDiscard(int number) {
    if (PlaceOf(number) != Place::Discard)
        return false;
    UnlinkDiscard(static_cast<std::uint16_t>(number));
    places_[static_cast<std::size_t>(number)] = Place::Out;
    return true;
}

bool CDeck::ReturnToDeck(int number) {
    if (PlaceOf(number) != Place::Out)
        return false;
    drawPile_.push_back(static_cast<std::uint16_t>(number));
    places_[static_cast<std::size_t>(number)] = Place::Draw;
    return true;
}

bool CDeck::ResetGrave(IRandomSource& random) {
    for (std::uint16_t number : DiscardPile()) {
        drawPile_.push_back(number);
        places_[number] = Place::Draw;
    }
    const auto head = static_cast<std::uint32_t>(cards_.size());
    discardNext_[head] = head;
    discardPrev_[head] = head;
    discardCount_ = 0;
    return Shuffle(random);
}

std::vector<std::uint16_t> CDeck::DiscardPile() const {
    std::vector<std::uint16_t> pile;
    pile.reserve(discardCount_);
    const auto head = static_cast<std::uint32_t>(cards_.size());
    for (std::uint32_t n = discardNext_[head]; n != head; n = discardNext_[n])
        pile.push_back(static_cast<std::uint16_t>(n));
    return pile;
}

}  // namespace yarrow
