// Arbitrary command lines: the decision must never crash, read out of bounds or
// give a preview handle outside the range a handle can have.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "startup/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::wstring full;
    full.reserve(size / 2 + 1);
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        full.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    }
    const std::wstring_view args = corvalinth::ArgumentText(full);
    if (args.size() > full.size() || (!args.empty() && args.data() + args.size() != full.data() + full.size())) {
        std::abort();
    }
    const corvalinth::StartupDecision d = corvalinth::DecideStartup(args);
    if (d.mode == corvalinth::StartMode::Preview) {
        if (d.loadSettings) std::abort();
        if (d.parentHandle && (*d.parentHandle < -(std::int64_t{1} << 31) ||
                               *d.parentHandle > (std::int64_t{1} << 32) - 1)) {
            std::abort();
        }
    } else if (d.parentHandle || !d.loadSettings) {
        std::abort();
    }
    // Only /s runs the saver; nothing at all asks for the settings.
    if (args.empty() && d.mode != corvalinth::StartMode::Settings) std::abort();
    return 0;
}
