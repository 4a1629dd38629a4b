// libFuzzer target: whatever records a hub (or a peer through it) sends, fed
// to a connected chat window's session and dispatcher over recording
// windows, with the questions they put off answered and the member check
// timer firing now and then. Nothing may crash or hang, and no record may
// make the window do more than its contents call for.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "net/CMsgDecoder.h"
#include "support/ClientSessionFakes.h"

using namespace yarrow;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    // The first byte picks this window's member ID, the second how the user
    // answers the questions records raise.
    test::Window window;
    window.Join(data[0] % 8);
    for (int bit = 0; bit < 8; ++bit)
        window.prompter.answers.push_back((data[1] >> bit) & 1 ? PromptAnswer::Yes
                                                               : PromptAnswer::No);

    CMsgDecoder decoder;
    decoder.Feed(fuzz::Bytes(data + 2, size - 2));
    CMsg msg;
    std::size_t records = 0;
    while (decoder.Next(msg) == CMsgDecoder::Status::Record) {
        const std::size_t before = window.rec.events.size();
        window.Receive(msg);
        window.RunLater();
        // A handful of calls per record, and one more per member or card it
        // lists (a pass of 24 cards puts 24 cards into the hand).
        Check(window.rec.events.size() - before <= 16 + msg.Members.size() + msg.Strings.size(),
              "one record made too many window calls");
        if (++records % 8 == 0)
            window.dispatcher.OnMemberCheckTimer();
    }
    return 0;
}
