#pragma once
// The help strings of the commands: a status-bar text and a tooltip, written
// as one string "status\ntooltip" as the string table keeps them.

#include <QString>

namespace yarrow {

// The whole string-table entry of a command; empty when it has none.
QString CommandHelpText(int id);
// The part before the line feed, shown in the status bar while the menu item is
// highlighted (a carriage return that ends it is not shown).
QString CommandStatusText(int id);
// The part after the line feed.
QString CommandToolTip(int id);

}  // namespace yarrow
