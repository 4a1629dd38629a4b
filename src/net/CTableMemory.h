#pragma once
// What lies on the table: the last chart sent, the chart lock as the table
// has it, and the last contents of every map. The hub notes each record as it
// relays it, keeping the very bytes everybody received, and hands a newcomer
// the same bytes once it has joined, so a latecomer sees the chart and the
// maps without waiting for somebody to send them again.
//
// Only records the windows would take are kept: a map with a negative number
// or a map beyond the 64 a window holds is not. Maps are bounded in bytes as
// well; past the bound the map updated longest ago is forgotten.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/CMsg.h"

namespace yarrow {

class CTableMemory {
  public:
    using Bytes = std::shared_ptr<const std::string>;
    // One kept record: its type and sender for reports, and its bytes.
    struct Kept {
        std::int32_t type = 0;
        std::int32_t id = 0;
        Bytes bytes;
        std::string text;         // a lock's editor name
        std::uint64_t noted = 0;  // when it was noted, in notes
    };

    // The windows keep at most this many map pages.
    static constexpr std::size_t kMaxMaps = 64;
    static constexpr std::size_t kMaxMapBytes = 64u * 1024u * 1024u;

    // Off, nothing is noted and nothing is replayed.
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }

    // Whether Note keeps records of this type (the relay hands over the
    // bytes of only these).
    bool Keeps(std::int32_t type) const {
        return enabled_ && (type == Chart || type == ChartLock || type == UpdateMap);
    }
    // `record` was relayed to everybody as `bytes`.
    void Note(const CMsg& record, const Bytes& bytes);
    // Notes so far: a connection accepted now receives every later record by
    // relay, before it has even joined.
    std::uint64_t Notes() const { return notes_; }
    // What a newcomer receives, in order: the chart, the lock, then the maps
    // by ascending map number. A record noted after `relayedAfter` already
    // reached it by relay and is left out, except a lock that must follow the
    // chart it receives (a chart lifts every lock).
    std::vector<Kept> Replay(std::uint64_t relayedAfter = UINT64_MAX) const;
    void Clear();

    std::size_t MapCount() const { return maps_.size(); }
    std::size_t MapBytes() const { return mapBytes_; }
    bool HasMap(std::int32_t number) const { return maps_.count(number) != 0; }

  private:
    struct Map {
        Kept record;
    };
    void NoteMap(std::int32_t number, Kept record);

    bool enabled_ = true;
    std::optional<Kept> chart_;
    // The last lock announced after the last chart: a chart lifts every lock.
    std::optional<Kept> lock_;
    std::map<std::int32_t, Map> maps_;
    std::size_t mapBytes_ = 0;
    std::uint64_t notes_ = 0;
};

}  // namespace yarrow
