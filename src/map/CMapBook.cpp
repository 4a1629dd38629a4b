#include "map/CMapBook.h"

#include <algorithm>

#include "settings/CSettings.h"

namespace yarrow {

CMapBook::CMapBook(SettingsSource settings) : settings_(std::move(settings)) {
    GetOrCreate(0);
}

MapInitialSettings CMapBook::InitialSettingsFrom(const CSettings& settings) {
    MapInitialSettings initial;
    initial.useSquareMap = settings.IsUseSquareMap();
    initial.hexDirection = settings.HexDirection();
    return initial;
}

CMapPage* CMapBook::Find(int mapNumber) {
    const auto it = pages_.find(mapNumber);
    return it == pages_.end() ? nullptr : it->second.get();
}

const CMapPage* CMapBook::Find(int mapNumber) const {
    const auto it = pages_.find(mapNumber);
    return it == pages_.end() ? nullptr : it->second.get();
}

CMapPage* CMapBook::GetOrCreate(int mapNumber, bool* created) {
    if (created != nullptr)
        *created = false;
    if (mapNumber < 0)
        mapNumber = NextMapNumber();
    if (CMapPage* page = Find(mapNumber))
        return page;
    if (PageCount() >= kMaxPages)
        return nullptr;
    auto page = std::make_unique<CMapPage>(mapNumber);
    page->Initialize(settings_ ? settings_() : MapInitialSettings{});
    CMapPage* raw = page.get();
    pages_.emplace(mapNumber, std::move(page));
    if (created != nullptr)
        *created = true;
    return raw;
}

bool CMapBook::Delete(int mapNumber) {
    if (mapNumber == 0 || pages_.erase(mapNumber) == 0)
        return false;
    if (active_ == mapNumber)
        active_ = 0;
    return true;
}

std::vector<int> CMapBook::Numbers() const {
    std::vector<int> numbers;
    numbers.reserve(pages_.size());
    for (const auto& entry : pages_)
        numbers.push_back(entry.first);
    return numbers;
}

int CMapBook::NextMapNumber() const {
    return NextMapNumber(Numbers());
}

int CMapBook::NextMapNumber(const std::vector<int>& numbers) {
    if (numbers.empty())
        return 0;
    std::vector<int> sorted = numbers;
    std::sort(sorted.begin(), sorted.end());
    int last = sorted.front();
    for (std::size_t i = 1; i < sorted.size() && sorted[i] == last + 1; ++i)
        last = sorted[i];
    return last + 1;
}

bool CMapBook::SetActive(int mapNumber) {
    if (Find(mapNumber) == nullptr)
        return false;
    active_ = mapNumber;
    return true;
}

}  // namespace yarrow
