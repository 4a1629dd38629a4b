#include "app/CCommandRouter.h"

namespace yarrow {

void CCommandRouter::SetHandler(int id, Handler handler, EnabledQuery enabled) {
    if (!handler) {
        entries_.erase(id);
        return;
    }
    entries_[id] = Entry{std::move(handler), std::move(enabled)};
}

bool CCommandRouter::HasHandler(int id) const {
    return entries_.count(id) != 0;
}

bool CCommandRouter::IsEnabled(int id) const {
    const auto it = entries_.find(id);
    if (it == entries_.end()) {
        return false;
    }
    return !it->second.enabled || it->second.enabled();
}

bool CCommandRouter::Run(int id) const {
    if (!IsEnabled(id)) {
        return false;
    }
    // A copy: the handler may replace its own registration while it runs.
    const Handler handler = entries_.at(id).handler;
    handler();
    return true;
}

}  // namespace yarrow
