#pragma once
// The map window as the synchronisation sees it. The chat view owns the book
// (CMapBook) and applies every received map to it; when a window is attached
// it is told what the map asked for, and it only renders.

#include "map/CMapBook.h"

namespace yarrow {

class IMapView {
  public:
    virtual ~IMapView() = default;
    virtual bool IsMapWindowShown() const = 0;
    // A received map has been applied to page report.mapNumber. The window:
    // shows itself when report.showWindow (never taking the keyboard focus
    // from the input line), adds the tab "SubMap%02d" when
    // report.pageCreated, switches to the page when report.activatePage,
    // grows its client area to report.growth (keeping its position, each
    // dimension only when non-zero), then recounts the page's visible cells
    // for its client size, refreshes the tips and the toolbar, and repaints.
    virtual void OnMapReceived(const MapReceiveReport& report) = 0;
};

}  // namespace yarrow
