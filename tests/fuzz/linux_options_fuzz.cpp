// Arbitrary argument lists for the Linux program, as the daemon or a user may
// pass them: parsing must never crash, and what it accepts stays in range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "linux/options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // NUL separates the arguments; the first one stands for XSCREENSAVER_WINDOW.
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) parts.emplace_back();
        else parts.back().push_back(static_cast<char>(data[i]));
    }
    const std::vector<std::string_view> args(parts.begin() + 1, parts.end());
    const auto parsed = corvalinth::linux_host::ParseOptions(args, parts.front().c_str());
    if (!parsed.options) {
        if (parsed.error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    const corvalinth::linux_host::Options& o = *parsed.options;
    if (o.count < corvalinth::linux_host::kMinCount || o.count > corvalinth::linux_host::kMaxCount) std::abort();
    if (o.width < 1 || o.height < 1 || (o.target == corvalinth::linux_host::Target::WindowId && o.windowId == 0)) std::abort();
    return 0;
}
