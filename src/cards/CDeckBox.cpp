#include "cards/CDeckBox.h"

#include <cstdint>
#include <unordered_map>

#include "dice/IRandomSource.h"
#include "platform/CProfileFile.h"
#include "platform/IClock.h"
#include "platform/ProgramFolder.h"

namespace yarrow {

namespace {

constexpr char kDeckSetSection[] = "DeckSet";

// The keys of one section by their lower-cased form, read in one pass over
// the file: a set of 32768 entries is then as quick to read as a small one.
class CSectionKeys {
  public:
    CSectionKeys(const CProfileFile& file, const std::string& section) {
        for (auto& [key, value] : file.SectionEntries(section, CDeckBox::kMaxTextBytes))
            values_.emplace(Lower(key), std::move(value));
    }
    // The value of `key` (ASCII), or empty when missing.
    const std::string& Get(const std::string& key) const {
        static const std::string none;
        auto it = values_.find(Lower(key));
        return it == values_.end() ? none : it->second;
    }
    bool Has(const std::string& key) const { return values_.count(Lower(key)) != 0; }

  private:
    static std::string Lower(std::string text) {
        for (char& c : text) {
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        return text;
    }
    std::unordered_map<std::string, std::string> values_;
};

}  // namespace

CDeckBox::CDeckBox(IRandomSource& random, const IClock& clock) : random_(random), clock_(clock) {}

bool CDeckBox::Load(const std::string& path) {
    holders_.clear();
    current_ = nullptr;
    decks_.clear();
    currentDeck_.clear();
    deckSetNames_.clear();
    deckFile_ = path;

    const CProfileFile file(path);
    const CSectionKeys keys(file, kDeckSetSection);
    for (std::size_t i = 0; i < kMaxDeckSets; ++i) {
        const std::string& name = keys.Get(std::to_string(i));
        if (name.empty())
            break;
        deckSetNames_.push_back(name);
    }
    if (deckSetNames_.empty())
        return false;
    return SelectDeck(deckSetNames_.front());
}

std::unique_ptr<CDeck> CDeckBox::ReadDeck(const std::string& name) const {
    const CProfileFile file(deckFile_);
    const int cardNum = file.GetInt(name, "CardNum", 0);
    const int deckNum = file.GetInt(name, "DeckNum", 1);
    const int attributes = file.GetInt(name, "Attribute", 1);
    // Every card number must fit the signed 16-bit values of entries and list
    // items; a set that cannot keep that is refused rather than wrapped.
    if (cardNum <= 0 || deckNum <= 0 || attributes > CDeck::kMaxAttributes)
        return nullptr;
    if (static_cast<std::int64_t>(cardNum) * deckNum > CDeck::kMaxCards)
        return nullptr;

    const CSectionKeys keys(file, name);
    std::vector<std::string> texts(static_cast<std::size_t>(cardNum));
    for (int e = 0; e < cardNum; ++e)
        texts[static_cast<std::size_t>(e)] = keys.Get(std::to_string(e));
    std::vector<std::string> attributeNames;
    if (attributes > 1) {
        attributeNames.reserve(static_cast<std::size_t>(attributes));
        for (int a = 0; a < attributes; ++a)
            attributeNames.push_back(keys.Get("Attr" + std::to_string(a)));
    }
    return std::make_unique<CDeck>(cardNum, deckNum, texts, attributes, std::move(attributeNames));
}

bool CDeckBox::SelectDeck(const std::string& name) {
    auto it = decks_.find(name);
    // A set read before is in memory and needs no file; a new one does, and
    // without the file nothing changes: the deck in use and every member's
    // cards stay as they are.
    if (name.empty() || (it == decks_.end() && !FileExists(deckFile_)))
        return false;
    currentDeck_ = name;
    current_ = nullptr;
    EmptyHolders();
    if (it != decks_.end()) {
        it->second->RestoreAll();
    } else {
        random_.RandomSeed(static_cast<std::uint32_t>(clock_.Now()));
        std::unique_ptr<CDeck> deck = ReadDeck(name);
        if (!deck)
            return false;
        it = decks_.emplace(name, std::move(deck)).first;
    }
    current_ = it->second.get();
    current_->Shuffle(random_);
    return true;
}

bool CDeckBox::Shuffle() {
    CDeck* deck = Current();
    return deck != nullptr && deck->Shuffle(random_);
}

int CDeckBox::Remaining() const {
    const CDeck* deck = Current();
    return deck != nullptr ? deck->Remaining() : -1;
}

int CDeckBox::DiscardCount() const {
    const CDeck* deck = Current();
    return deck != nullptr ? deck->DiscardCount() : -1;
}

bool CDeckBox::ResetGrave() {
    CDeck* deck = Current();
    return deck != nullptr && deck->ResetGrave(random_);
}

std::string CDeckBox::DisplayText(int number) const {
    const CDeck* deck = Current();
    return deck != nullptr ? deck->DisplayText(number) : std::string();
}

void CDeckBox::EmptyHolders() {
    for (auto& [id, holder] : holders_) {
        for (auto& pile : holder.piles)
            pile.clear();
    }
}

void CDeckBox::AddHolder(std::int32_t member) {
    ReleaseHolder(member);
    holders_[member] = CCardHolder{};
}

void CDeckBox::RemoveHolder(std::int32_t member) {
    ReleaseHolder(member);
    holders_.erase(member);
}

std::vector<std::uint16_t> CDeckBox::TransferHolder(std::int32_t from, std::int32_t to) {
    std::vector<std::uint16_t> moved;
    auto source = holders_.find(from);
    if (source == holders_.end() || from == to)
        return moved;
    CCardHolder cards = std::move(source->second);
    holders_.erase(source);
    auto& hand = holders_[to].Pile(kHandPile);
    for (int code : {kHandPile, kFaceUpPile, kFaceDownPile}) {
        for (std::uint16_t number : cards.Pile(code)) {
            moved.push_back(number);
            hand.insert(number);
        }
    }
    return moved;
}

const CCardHolder* CDeckBox::Holder(std::int32_t member) const {
    auto it = holders_.find(member);
    return it == holders_.end() ? nullptr : &it->second;
}

void CDeckBox::ReleaseHolder(std::int32_t member) {
    auto it = holders_.find(member);
    if (it == holders_.end())
        return;
    CDeck* deck = Current();
    for (int code : {kHandPile, kFaceUpPile, kFaceDownPile}) {
        auto& pile = it->second.Pile(code);
        if (deck != nullptr) {
            for (std::uint16_t number : pile)
                deck->ReturnToDeck(number);
        }
        pile.clear();
    }
}

std::optional<std::uint16_t> CDeckBox::DrawToHand(std::int32_t member) {
    auto it = holders_.find(member);
    CDeck* deck = Current();
    if (it == holders_.end() || deck == nullptr)
        return std::nullopt;
    std::optional<std::uint16_t> number = deck->Draw();
    if (number)
        it->second.Pile(kHandPile).insert(*number);
    return number;
}

bool CDeckBox::TakeFrom(CCardHolder& holder, int from, int number) {
    CDeck* deck = Current();
    if (deck == nullptr || deck->Card(number) == nullptr)
        return false;
    if (from == kDiscardPile)
        return deck->RemoveFromDiscard(number);
    return holder.Pile(from).erase(static_cast<std::uint16_t>(number)) == 1;
}

void CDeckBox::PutInto(CCardHolder& holder, int to, int number) {
    if (to == kDiscardPile) {
        Current()->AddToDiscard(number);
        return;
    }
    holder.Pile(to).insert(static_cast<std::uint16_t>(number));
}

std::vector<std::uint16_t> CDeckBox::MoveCards(std::int32_t member, int from, int to,
                                               const std::vector<int>& numbers) {
    std::vector<std::uint16_t> moved;
    const auto isPile = [](int code) { return code >= kHandPile && code <= kDiscardPile; };
    auto it = holders_.find(member);
    if (!isPile(from) || !isPile(to) || it == holders_.end() || Current() == nullptr)
        return moved;
    std::set<int> seen;
    for (int number : numbers) {
        if (!seen.insert(number).second || !TakeFrom(it->second, from, number))
            continue;
        PutInto(it->second, to, number);
        moved.push_back(static_cast<std::uint16_t>(number));
    }
    return moved;
}

std::vector<std::uint16_t> CDeckBox::PassCards(std::int32_t giver, std::int32_t receiver,
                                               const std::vector<int>& numbers) {
    std::vector<std::uint16_t> passed;
    auto from = holders_.find(giver);
    auto to = holders_.find(receiver);
    if (from == holders_.end() || to == holders_.end() || Current() == nullptr)
        return passed;
    std::set<int> seen;
    for (int number : numbers) {
        if (!seen.insert(number).second || !TakeFrom(from->second, kHandPile, number))
            continue;
        PutInto(to->second, kHandPile, number);
        passed.push_back(static_cast<std::uint16_t>(number));
    }
    return passed;
}

}  // namespace yarrow
