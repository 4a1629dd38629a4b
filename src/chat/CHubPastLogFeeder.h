#pragma once
// The hub's past log, made from the records it relays: the hub inside a
// hosting window and the windowless hub write the same lines. The rules are
// those of a window that did not act: whispers never, hidden dice and hidden
// cards only as their fixed lines, card moves between private piles as a
// count. The hosting user's own window shows its own hidden draws and private
// moves in full; that view must not reach newcomers.

#include <optional>
#include <string>
#include <vector>

#include "net/CMsg.h"

namespace yarrow {

class CHubPastLogFeeder {
  public:
    // The past-log line for a relayed record, or none. `members` is the
    // hub's member list, for the names of card receivers.
    static std::optional<std::string> LineFor(const CMsg& relayed,
                                              const std::vector<CMember>& members);

    // The text of the kind-16 line of a card move seen by another member.
    static std::string MoveCardText(const CMsg& move);
};

}  // namespace yarrow
