#include "map/CMapBook.h"

#include <algorithm>

#include "net/CMsg.h"
#include "platform/Cp932.h"
#include "platform/Trace.h"
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

CMsg CMapBook::BuildUpdate(const CMapPage& page, std::int32_t myId) {
    CMsg msg;
    msg.Type = UpdateMap;
    msg.ID = myId;
    msg.Param1 = page.MapFlags();
    msg.Param2 = page.MapNumber();
    msg.Units = page.Units();
    msg.Tiles = page.Tiles();
    return msg;
}

bool CMapBook::SendMap(const CMapPage& page, IMapHost& host) {
    if (!host.IsConnected())
        return false;
    CMsg msg = BuildUpdate(page, host.MyID());
    return host.DoSerialize(msg);
}

MapReceiveReport CMapBook::ReceiveMap(CMsg& msg, const MapReceiveContext& context) {
    MapReceiveReport report;
    const int number = msg.Param2;
    report.mapNumber = number;
    if (number < 0) {
        Trace("CMapBook::ReceiveMap(%d) ignored: negative map number\r\n", number);
        report.ignored = true;
        return report;
    }
    if (Find(number) == nullptr && PageCount() >= kMaxPages) {
        Trace("CMapBook::ReceiveMap(%d) ignored: already %d maps\r\n", number, kMaxPages);
        report.ignored = true;
        return report;
    }

    bool noted = false;
    if (!context.windowShown) {
        if (context.autoShow)
            report.showWindow = true;
        else
            noted = true;
    }
    CMapPage* page = GetOrCreate(number, &report.pageCreated);
    if (context.typing) {
        // Switching tabs under a typing user would be rude; a note tells
        // them instead, unless they are looking at that very page.
        noted = active_ != number;
    } else if (active_ != number) {
        active_ = number;
        report.activatePage = true;
    }
    report.growth = page->ReplaceContents(std::move(msg.Units), std::move(msg.Tiles), msg.Param1,
                                          /*takeSize=*/false, /*ignoreLock=*/false);
    msg.Units.clear();
    msg.Tiles.clear();
    if (noted) {
        static const std::string prefix = Sjis("◇ ");
        static const std::string suffix = Sjis("に更新がありました");
        report.notice = prefix + MapPageName(number) + suffix;
    }
    return report;
}

}  // namespace yarrow
