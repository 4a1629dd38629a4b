#include "net/CPeerLimits.h"

namespace yarrow {

std::optional<std::string> CPeerLimits::Admit(const std::string& address) {
    if (maxPeers_ > 0 && peers_ >= maxPeers_)
        return "the hub has " + std::to_string(peers_) + " connections (--max-peers " +
               std::to_string(maxPeers_) + ")";
    const int from = PeersFrom(address);
    if (maxPerAddress_ > 0 && from >= maxPerAddress_)
        return address + " has " + std::to_string(from) + " connections (--max-per-address " +
               std::to_string(maxPerAddress_) + ")";
    ++peers_;
    ++perAddress_[address];
    return std::nullopt;
}

void CPeerLimits::Release(const std::string& address) {
    auto it = perAddress_.find(address);
    if (it == perAddress_.end())
        return;  // never admitted: nothing to give back
    if (--it->second == 0)
        perAddress_.erase(it);
    --peers_;
}

int CPeerLimits::PeersFrom(const std::string& address) const {
    const auto it = perAddress_.find(address);
    return it == perAddress_.end() ? 0 : it->second;
}

}  // namespace yarrow
