#pragma once
// The windowless hub's past log. A hub inside the chat program gets its past
// log from the operator's window, which hands over every typed line it
// writes; the windowless hub has no window, so it makes the same lines from
// the records it relays, with the same rules: whispers never, hidden dice and
// hidden cards only as their fixed lines, card actions described as the
// receiving windows describe them to a member who did not act.

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
