// The page's entry points into the module. The page holds one run at a time;
// the functions are called from its script only, on the page's one thread.
#include <emscripten/emscripten.h>

#include <memory>

#include "web/page_saver.h"

namespace {
struct Page {
    corvalinth::core::SeededRandom random;
    corvalinth::core::SystemClock clock;
    std::unique_ptr<corvalinth::web::PageSaver> saver;
};

Page& ThePage()
{
    static Page page;
    return page;
}
}  // namespace

extern "C" {

// Makes a run for a width x height canvas and returns its pixels (RGBA),
// where the page puts the picture before starting it.
EMSCRIPTEN_KEEPALIVE std::uint8_t* corvalinth_create(int width, int height, int dpi, int count, int mono)
{
    Page& page = ThePage();
    page.saver.reset();
    const corvalinth::web::PageSettings settings{count, mono != 0, dpi};
    page.saver = std::make_unique<corvalinth::web::PageSaver>(width, height, settings, page.random, page.clock);
    return page.saver->Canvas();
}

EMSCRIPTEN_KEEPALIVE int corvalinth_width() { return ThePage().saver ? ThePage().saver->Width() : 0; }
EMSCRIPTEN_KEEPALIVE int corvalinth_height() { return ThePage().saver ? ThePage().saver->Height() : 0; }

EMSCRIPTEN_KEEPALIVE void corvalinth_start(double nowMs)
{
    if (ThePage().saver) ThePage().saver->Start(nowMs);
}

// Advances the run to nowMs and returns how many rectangles to put.
EMSCRIPTEN_KEEPALIVE int corvalinth_frame(double nowMs)
{
    Page& page = ThePage();
    if (!page.saver) return 0;
    const auto& rects = page.saver->Frame(nowMs);
    return static_cast<int>(rects.size());
}

// The rectangles of the last frame, four 32-bit integers each: left, top, right, bottom.
EMSCRIPTEN_KEEPALIVE const int* corvalinth_puts()
{
    static_assert(sizeof(corvalinth::core::Rect) == 4 * sizeof(int));
    Page& page = ThePage();
    return page.saver ? reinterpret_cast<const int*>(page.saver->Puts().data()) : nullptr;
}

EMSCRIPTEN_KEEPALIVE int corvalinth_in_transition() { return ThePage().saver && ThePage().saver->InTransition(); }
EMSCRIPTEN_KEEPALIVE double corvalinth_ticks() { return ThePage().saver ? static_cast<double>(ThePage().saver->Ticks()) : 0; }

EMSCRIPTEN_KEEPALIVE void corvalinth_destroy() { ThePage().saver.reset(); }
}
