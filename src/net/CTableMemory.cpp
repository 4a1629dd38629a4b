#include "net/CTableMemory.h"

#include <algorithm>

#include "platform/Trace.h"

namespace yarrow {

void CTableMemory::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled_)
        Clear();
}

void CTableMemory::Clear() {
    chart_.reset();
    lock_.reset();
    maps_.clear();
    mapBytes_ = 0;
}

void CTableMemory::Note(const CMsg& record, const Bytes& bytes) {
    if (!enabled_ || !bytes)
        return;
    Kept kept{record.Type, record.ID, bytes, {}, ++notes_};
    switch (record.Type) {
        case Chart:
            chart_ = std::move(kept);
            lock_.reset();
            break;
        case ChartLock:
            kept.text = record.Text;
            lock_ = std::move(kept);
            break;
        case UpdateMap:
            NoteMap(record.Param2, std::move(kept));
            break;
        default:
            break;
    }
}

void CTableMemory::NoteMap(std::int32_t number, Kept record) {
    // The windows ignore these, so a newcomer is not given them either.
    if (number < 0) {
        Trace(" CTableMemory: map %d not kept (negative number)\r\n", number);
        return;
    }
    auto it = maps_.find(number);
    if (it == maps_.end()) {
        if (maps_.size() >= kMaxMaps) {
            Trace(" CTableMemory: map %d not kept (%zu maps kept already)\r\n", number,
                  maps_.size());
            return;
        }
        it = maps_.emplace(number, Map{}).first;
    } else {
        mapBytes_ -= it->second.record.bytes->size();
    }
    mapBytes_ += record.bytes->size();
    it->second.record = std::move(record);

    while (mapBytes_ > kMaxMapBytes && maps_.size() > 1) {
        auto oldest =
            std::min_element(maps_.begin(), maps_.end(), [](const auto& a, const auto& b) {
                return a.second.record.noted < b.second.record.noted;
            });
        Trace(" CTableMemory: map %d forgotten (%zu bytes of maps kept, at most %zu)\r\n",
              oldest->first, mapBytes_, kMaxMapBytes);
        mapBytes_ -= oldest->second.record.bytes->size();
        maps_.erase(oldest);
    }
}

std::vector<CTableMemory::Kept> CTableMemory::Replay(std::uint64_t relayedAfter) const {
    std::vector<Kept> records;
    if (!enabled_)
        return records;
    records.reserve(2 + maps_.size());
    const bool chart = chart_ && chart_->noted <= relayedAfter;
    if (chart)
        records.push_back(*chart_);
    if (lock_ && (chart || lock_->noted <= relayedAfter))
        records.push_back(*lock_);
    for (const auto& [number, map] : maps_) {
        if (map.record.noted <= relayedAfter)
            records.push_back(map.record);
    }
    return records;
}

}  // namespace yarrow
