#include "saver/present_win.h"

#include <cstring>

#include "forms/handles_win.h"

namespace corvalinth::saver {

namespace {
COLOR16 Channel(int value) { return static_cast<COLOR16>(value << 8); }

// Each square is a two-vertex "gradient" of one colour: the whole tick is one
// call, whose cost follows the number of dots, not the screen's area.
bool FillSolid(HDC target, const std::vector<core::Rect>& changed, const std::vector<core::Pixel>& colours,
               PresentScratch& scratch)
{
    const std::size_t count = changed.size();
    scratch.vertices.resize(count * 2);
    scratch.meshes.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const core::Rect& r = changed[i];
        const core::Pixel p = colours[i];
        TRIVERTEX& a = scratch.vertices[2 * i];
        TRIVERTEX& b = scratch.vertices[2 * i + 1];
        a.x = r.left;
        a.y = r.top;
        b.x = r.right;
        b.y = r.bottom;
        a.Red = b.Red = Channel(core::RedOf(p));
        a.Green = b.Green = Channel(core::GreenOf(p));
        a.Blue = b.Blue = Channel(core::BlueOf(p));
        a.Alpha = b.Alpha = 0;
        scratch.meshes[i] = {static_cast<ULONG>(2 * i), static_cast<ULONG>(2 * i + 1)};
    }
    return ::GradientFill(target, scratch.vertices.data(), static_cast<ULONG>(count * 2),
                          scratch.meshes.data(), static_cast<ULONG>(count), GRADIENT_FILL_RECT_H) != FALSE;
}
}  // namespace

void PresentChanged(HDC target, const forms::DibSurface& surface,
                    const std::vector<core::Rect>& changed, const std::vector<core::Pixel>& colours,
                    PresentMode mode, PresentScratch& scratch)
{
    if (changed.empty() || !target || !surface.Valid()) return;
    if (mode == PresentMode::SolidDots) {
        if (colours.size() == changed.size() && FillSolid(target, changed, colours, scratch)) return;
        mode = PresentMode::PerRect;
    }
    core::Rect bounds;
    for (const core::Rect& r : changed) bounds = core::Union(bounds, r);
    if (changed.size() == 1 || mode == PresentMode::PerRect) {
        for (const core::Rect& r : changed) surface.Present(target, r);
        return;
    }
    // One clip region and one transfer: the copy touches only the squares, so
    // its cost follows their number, not the area they are spread over.
    const std::size_t count = changed.size();
    scratch.region.resize(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
    RGNDATAHEADER header{};
    header.dwSize = sizeof(header);
    header.iType = RDH_RECTANGLES;
    header.nCount = static_cast<DWORD>(count);
    header.nRgnSize = static_cast<DWORD>(count * sizeof(RECT));
    header.rcBound = {bounds.left, bounds.top, bounds.right, bounds.bottom};
    std::memcpy(scratch.region.data(), &header, sizeof(header));
    std::byte* out = scratch.region.data() + sizeof(header);
    for (const core::Rect& r : changed) {
        const RECT rect{r.left, r.top, r.right, r.bottom};
        std::memcpy(out, &rect, sizeof(rect));
        out += sizeof(rect);
    }
    forms::Region region(::ExtCreateRegion(nullptr, static_cast<DWORD>(scratch.region.size()),
                                           reinterpret_cast<const RGNDATA*>(scratch.region.data())));
    if (!region) {
        for (const core::Rect& r : changed) surface.Present(target, r);
        return;
    }
    ::SelectClipRgn(target, region.Get());
    surface.Present(target, bounds);
    ::SelectClipRgn(target, nullptr);
}

void PresentOuterCopies(HDC target, HDC latest, const std::vector<swarm::SplitScreen::OuterCopy>& copies)
{
    for (const auto& copy : copies) {
        const core::Rect& r = copy.target;
        ::BitBlt(target, r.left, r.top, r.Width(), r.Height(), latest, r.left - copy.offsetX, r.top, SRCCOPY);
    }
}

void PendingPresent::Add(const std::vector<core::Rect>& changed, const std::vector<core::Pixel>& colours)
{
    if (colours.size() == changed.size()) {
        dots_.insert(dots_.end(), changed.begin(), changed.end());
        colours_.insert(colours_.end(), colours.begin(), colours.end());
    } else {
        rects_.insert(rects_.end(), changed.begin(), changed.end());
    }
}

void PendingPresent::Present(HDC target, const forms::DibSurface& surface, PresentMode mode)
{
    PresentChanged(target, surface, dots_, colours_, mode, scratch_);
    PresentChanged(target, surface, rects_, {}, PresentMode::PerRect, scratch_);
    Clear();
}

void PendingPresent::Clear()
{
    dots_.clear();
    colours_.clear();
    rects_.clear();
}

}  // namespace corvalinth::saver
