#pragma once
// Every map page this participant knows, by map number: the main map (0),
// created with the book and never deleted, and the sub maps (1, 2, ...),
// created by "新しいMapの作成", by a received map or a loaded file, and deleted
// locally from their tab. The book also remembers which page is active (the
// window's current tab), since a received map's rules depend on it.
//
// Pages live at stable addresses until deleted, so the window may keep
// pointers to them. At most kMaxPages pages exist: a peer cannot make a
// window open thousands of tabs.

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "map/CMapPage.h"

namespace yarrow {

class CSettings;

class CMapBook {
  public:
    static constexpr int kMaxPages = 64;

    // Where a new page takes its initial shape, direction and chips from.
    using SettingsSource = std::function<MapInitialSettings()>;

    // Creates the main map. Without a source, pages start with the defaults.
    explicit CMapBook(SettingsSource settings = {});

    // IsUseSquareMap and HexDirection of the settings file. Chips are not
    // filled in here.
    static MapInitialSettings InitialSettingsFrom(const CSettings& settings);

    CMapPage& MainPage() { return *pages_.at(0); }
    CMapPage* Find(int mapNumber);
    const CMapPage* Find(int mapNumber) const;

    // The page with this number, created (and initialised from the settings)
    // when missing; a negative number stands for NextMapNumber(). Null when a
    // new page would exceed kMaxPages. `created` tells whether it is new.
    CMapPage* GetOrCreate(int mapNumber, bool* created = nullptr);
    // Removes a sub map; the main map (or an unknown number) is refused.
    // When the active page goes, the main map becomes active.
    bool Delete(int mapNumber);

    // The map numbers in ascending order (the main map first).
    std::vector<int> Numbers() const;
    int PageCount() const { return static_cast<int>(pages_.size()); }

    // After the run of consecutive numbers that starts at the smallest one,
    // the next number: pages 0, 1, 2 give 3; pages 0, 2 give 1.
    int NextMapNumber() const;
    static int NextMapNumber(const std::vector<int>& numbers);

    // The page shown in the window's current tab (the main map at first).
    int ActiveNumber() const { return active_; }
    CMapPage& ActivePage() { return *pages_.at(active_); }
    // False (and nothing changes) for an unknown number.
    bool SetActive(int mapNumber);

  private:
    SettingsSource settings_;
    std::map<int, std::unique_ptr<CMapPage>> pages_;
    int active_ = 0;
};

}  // namespace yarrow
