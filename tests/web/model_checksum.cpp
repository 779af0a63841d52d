// The reference run in the WebAssembly build, under node: its checksum must be
// the one the native unit test checks.
#include <cstdio>

#include "web/reference_run.h"

int main()
{
    using namespace corvalinth::web::testing;
    const std::uint32_t sum = ReferenceRunChecksum();
    const bool same = sum == kReferenceChecksum;
    std::printf("checksum after 5000 ticks: %08x, expected %08x\n%d passed, %d failed\n", sum, kReferenceChecksum,
                same ? 1 : 0, same ? 0 : 1);
    return same ? 0 : 1;
}
