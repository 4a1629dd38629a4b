#pragma once
// What a map operation tells its caller: whether the page changed (the window
// repaints, refreshes its tips and, for shared edits, sends) and, when the
// user must be told something, the message box text, caption and icon. The
// core never shows anything itself.

#include <optional>
#include <string>

#include "map/MapTypes.h"
#include "platform/IPrompter.h"

namespace yarrow {

struct CMapResult {
    bool changed = false;
    std::string message;  // code page 932; empty: nothing to tell
    std::string caption;
    PromptIcon icon = PromptIcon::None;
    // The cell the operation ended on, when it has one (where a dropped or
    // copied item now stands, where a new item was put).
    std::optional<MapCell> cell;

    bool HasMessage() const { return !message.empty(); }

    static CMapResult Changed(std::optional<MapCell> at = std::nullopt) {
        CMapResult r;
        r.changed = true;
        r.cell = at;
        return r;
    }
    static CMapResult Message(std::string text, std::string caption, PromptIcon icon) {
        CMapResult r;
        r.message = std::move(text);
        r.caption = std::move(caption);
        r.icon = icon;
        return r;
    }
};

}  // namespace yarrow
