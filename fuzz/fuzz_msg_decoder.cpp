// libFuzzer target: arbitrary bytes from a peer, fed to the stream decoder in
// arbitrary pieces and to the hub's read loop. Neither may crash, hang or
// allocate without bound; every record that decodes must encode back to
// bytes that decode to the same record.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "net/CMsgDecoder.h"
#include "net/CYarrowServ.h"

using namespace yarrow;

namespace {

class NullConnection : public IHubConnection {
  public:
    bool Write(std::string_view bytes, std::string&) override {
        written += bytes.size();
        return true;
    }
    std::size_t UnsentBytes() const override { return 0; }
    void SetReadingPaused(bool) override {}
    void CloseGracefully() override {}
    void Abort() override {}
    std::size_t written = 0;
};

class NullListener : public IHubListener {
  public:
    bool Listen(int, std::string&, int&) override { return true; }
    void StopListening() override {}
    int Port() const override { return 1; }
};

bool Same(const CMsg& a, const CMsg& b) {
    return a.ID == b.ID && a.Close == b.Close && a.Type == b.Type && a.Name == b.Name &&
           a.Color == b.Color && a.Text == b.Text && a.Param1 == b.Param1 && a.Param2 == b.Param2 &&
           a.Members == b.Members && a.Strings == b.Strings && a.Units == b.Units &&
           a.Tiles == b.Tiles && a.Recipients == b.Recipients && a.ChartRows == b.ChartRows &&
           a.ChartColumns == b.ChartColumns && a.ChartSpin == b.ChartSpin;
}

void CheckRoundTrip(const CMsg& msg) {
    CMsgDecoder again;
    again.Feed(msg.Encode());
    CMsg copy;
    if (again.Next(copy) != CMsgDecoder::Status::Record || !Same(msg, copy) ||
        again.HasBufferedBytes()) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte picks the piece size, so splits land everywhere.
    const std::size_t piece = 1 + data[0] % 64;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    CMsgDecoder decoder;
    CMsg msg;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        decoder.Feed(bytes.substr(at, piece));
        CMsgDecoder::Status status;
        while ((status = decoder.Next(msg)) == CMsgDecoder::Status::Record)
            CheckRoundTrip(msg);
        if (status == CMsgDecoder::Status::Bad)
            break;
    }

    NullListener listener;
    CYarrowServ hub(&listener);
    hub.ConnectSocket(0);
    NullConnection a, b;
    const std::int32_t id = hub.ProcessPendingAccept(&a);
    hub.ProcessPendingAccept(&b);
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        hub.ProcessPendingRead(id, bytes.substr(at, piece));
    }
    hub.Disconnection();
    return 0;
}
