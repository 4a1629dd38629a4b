// libFuzzer target: arbitrary bytes as a .map file. Reading may refuse them
// but must not crash, hang or allocate without bound; whatever it accepts
// must load into a page, and that page written out must read back the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "map/CMapFile.h"

using namespace yarrow;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CMapFile::Contents contents;
    if (!CMapFile::Parse(bytes, contents).changed)
        return 0;
    CMapPage page(1);
    page.SetClientSize(640, 480);
    const std::int32_t flags = contents.flags.value_or(page.MapFlags());
    page.ReplaceContents(contents.units, contents.tiles, flags, true, true);

    CMapFile::Contents again;
    if (!CMapFile::Parse(CMapFile::Format(page), again).changed)
        std::abort();
    if (again.units != contents.units || again.tiles != contents.tiles)
        std::abort();
    if (page.NearestFreeCell({0, 0}).has_value() == (contents.units.size() > 65535))
        std::abort();
    return 0;
}
