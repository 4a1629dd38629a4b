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

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "map/CMapPage.h"
#include "map/IMapHost.h"

namespace yarrow {

class CMsg;
class CSettings;

// What the receiver's window looks like when a map arrives.
struct MapReceiveContext {
    bool windowShown = false;  // the map window is visible
    bool autoShow = true;      // the IsAutoMapShow setting (false without a window)
    bool typing = false;       // the input line has announced typing (NowSaying)
};

// What applying a received map asks of the window and the log.
struct MapReceiveReport {
    bool ignored = false;  // nothing was applied (see ReceiveMap)
    int mapNumber = 0;
    bool pageCreated = false;   // add a tab for the new page
    bool showWindow = false;    // show the hidden window (without taking the focus)
    bool activatePage = false;  // switch the window to this page
    MapGrowth growth;           // client area wanted for the farthest cell
    std::string notice;         // a notice line for the log, or empty
};

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

    // ---- Synchronisation --------------------------------------------------
    //
    // Maps are shared whole: after every shared edit the editing participant
    // sends one UpdateMap record with all items and tiles of the page, the hub
    // relays it to everybody (the sender too) and every receiver replaces its
    // copy. Sent, by the window:
    //   - tile fill, recolour or delete with the mouse: once, on release
    //     (every release with the fill or delete tool sends);
    //   - moving or copying an item by dragging: on release (also a drop on
    //     the start cell);
    //   - adding a unit, placing a chip, editing a unit or a tile label: on the
    //     dialog's OK;
    //   - deleting an item or a tile from the context menu, turning a unit:
    //     at once;
    //   - reset (after the confirmation), slide (on OK);
    //   - switching shape, hex direction or background: at once;
    //   - a successfully loaded map file; "Mapを送信する(&S)".
    // Not sent: cell size, lock, fill colour, tool and rectangle mode,
    // snapshots, creating or deleting a map.

    // The UpdateMap record for a page: Param1 its flags, Param2 its number,
    // every item and tile.
    static CMsg BuildUpdate(const CMapPage& page, std::int32_t myId);
    // Sends a page. False when not connected or when the send failed: the edit
    // stays local and the caller repaints the page. (After a successful send
    // the echo repaints it.)
    static bool SendMap(const CMapPage& page, IMapHost& host);

    // Applies a received UpdateMap (taking its items and tiles out of `msg`):
    //   - a negative map number, or a new page beyond kMaxPages, is ignored
    //     with a trace line;
    //   - a hidden window is shown when auto-show is on, otherwise the update
    //     is noted;
    //   - the page is found or created;
    //   - while the user types, the active page stays and the update is noted
    //     exactly when another page is active; otherwise the page becomes
    //     active;
    //   - the page takes the items, shape, direction and background; a locked
    //     page keeps its own tiles; the cell size stays local;
    //   - a noted update gives the notice "◇ %sに更新がありました" with the
    //     page name.
    MapReceiveReport ReceiveMap(CMsg& msg, const MapReceiveContext& context);

  private:
    SettingsSource settings_;
    std::map<int, std::unique_ptr<CMapPage>> pages_;
    int active_ = 0;
};

}  // namespace yarrow
