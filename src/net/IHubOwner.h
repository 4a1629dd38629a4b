#pragma once
// The operator's chat window as the hub sees it. The hub reports failed reads
// and sends there; a windowless hub reports to its standard error instead.

#include <string>

namespace yarrow {

class IHubOwner {
  public:
    virtual ~IHubOwner() = default;
    // Writes a markup notice into the operator's log (code page 932 bytes).
    virtual void AppendNoticeLine(const std::string& text) = 0;
    // The member-list command of the operator's window: while the operator is
    // a listed member it sends a member list reset (type 21), after which
    // every live participant re-announces itself.
    virtual void RunMemberListCommand() = 0;
};

}  // namespace yarrow
