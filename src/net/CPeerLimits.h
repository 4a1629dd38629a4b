#pragma once
// Limits for a hub on an open network: how many connections it keeps at once
// and how many of them may come from one address. Both are off (0) unless
// the operator sets them, so a game among friends is never refused.

#include <cstddef>
#include <map>
#include <optional>
#include <string>

namespace yarrow {

class CPeerLimits {
  public:
    // 0 (or less) turns a limit off.
    CPeerLimits(int maxPeers = 0, int maxPerAddress = 0)
        : maxPeers_(maxPeers), maxPerAddress_(maxPerAddress) {}

    // Counts a new connection from `address` when both limits allow it;
    // otherwise counts nothing and says which limit refused it.
    std::optional<std::string> Admit(const std::string& address);
    // A connection admitted from `address` has ended.
    void Release(const std::string& address);

    int Peers() const { return peers_; }
    int PeersFrom(const std::string& address) const;

  private:
    int maxPeers_;
    int maxPerAddress_;
    int peers_ = 0;
    std::map<std::string, int> perAddress_;  // only addresses with live connections
};

}  // namespace yarrow
