#pragma once
// The run the native and the WebAssembly builds must agree on (the unit test and
// tests/web/model_checksum.cpp): 1000 dots over a fixed picture, a fixed seed and
// clock, 60 frames a second up to 5000 ticks. A model that draws differently on
// purpose sets the new checksum here.
#include <cstdint>

#include "core/random.h"
#include "web/page_saver.h"

namespace corvalinth::web::testing {

constexpr std::uint32_t kReferenceChecksum = 0x1c1527e1u;

inline std::uint32_t ReferenceRunChecksum(std::int64_t ticks = 5000)
{
    core::SeededRandom random;
    core::FixedClock clock(45296.75f);  // 12:34:56.75: the swarm's seed is T^56
    PageSaver saver(640, 480, PageSettings{}, random, clock);
    std::uint8_t* canvas = saver.Canvas();
    for (int i = 0; i < 640 * 480; ++i) {
        const std::uint8_t rgba[] = {static_cast<std::uint8_t>(i % 251), static_cast<std::uint8_t>(i / 640), 90, 255};
        for (int k = 0; k < 4; ++k) canvas[4 * i + k] = rgba[k];
    }
    saver.Start(0);
    for (int frame = 1; saver.Ticks() < ticks; ++frame) saver.Frame(frame * 1000.0 / 60);
    return Checksum(saver.Display());
}

}  // namespace corvalinth::web::testing
