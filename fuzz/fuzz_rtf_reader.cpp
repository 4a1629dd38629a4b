// libFuzzer target: arbitrary bytes as one RTF line document of the chat log.
// The reader must not crash, must never give more text than the input could
// stand for, and must not leave empty runs behind.

#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "platform/CRtfReader.h"

using namespace yarrow;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto runs = CRtfReader::Read(fuzz::Bytes(data, size));
    std::size_t text = 0;
    for (const RtfRun& run : runs) {
        text += run.text.size();
        Check(run.paragraphBreak ? run.text.empty() : !run.text.empty(),
              "a run is neither text nor a paragraph break");
    }
    // Every input byte stands for at most one character of at most four
    // UTF-8 bytes (a replacement character is three).
    Check(text <= 4 * size && runs.size() <= size, "the runs grow faster than the input");
    CRtfReader::HadReplacements(runs);
    return 0;
}
