#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "corvalinth_version.h"
#include "linux/options.h"
#include "x11/host_x11.h"

int main(int argc, char** argv)
{
    using namespace corvalinth::linux_host;
    using corvalinth::x11::RunHost;
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ParsedOptions parsed = ParseOptions(args, std::getenv("XSCREENSAVER_WINDOW"));
    if (!parsed.options) {
        std::fprintf(stderr, "corvalinth: %s\n%.*s", parsed.error.c_str(), static_cast<int>(UsageText().size()),
                     UsageText().data());
        return 2;
    }
    if (parsed.options->help) {
        std::fwrite(UsageText().data(), 1, UsageText().size(), stdout);
        return 0;
    }
    if (parsed.options->version) {
        std::puts("corvalinth " CORVALINTH_VERSION);
        return 0;
    }
    return RunHost(*parsed.options);
}
