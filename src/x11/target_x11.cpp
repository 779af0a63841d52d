#include "x11/target_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <bit>
#include <cstdio>
#include <vector>

#include "x11/x_errors_x11.h"

namespace corvalinth::x11 {

namespace {
int BitsPerPixel(Display* display, int depth)
{
    int count = 0;
    int bits = 0;
    if (XPixmapFormatValues* formats = XListPixmapFormats(display, &count)) {
        for (int i = 0; i < count; ++i)
            if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
        XFree(formats);
    }
    return bits;
}

VisualKind KindOf(int visualClass)
{
    switch (visualClass) {
    case TrueColor: return VisualKind::TrueColour;
    case DirectColor: return VisualKind::DirectColour;
    case PseudoColor: return VisualKind::PseudoColour;
    case StaticColor: return VisualKind::StaticColour;
    case GrayScale: return VisualKind::GreyScale;
    default: return VisualKind::StaticGrey;
    }
}

VisualFacts FactsOf(Display* display, const Visual* visual, int depth)
{
    VisualFacts facts;
    facts.kind = visual ? KindOf(visual->c_class) : VisualKind::StaticGrey;
    facts.depth = depth;
    facts.bitsPerPixel = BitsPerPixel(display, depth);
    facts.msbFirst = ImageByteOrder(display) == MSBFirst;
    if (visual) {
        facts.redMask = static_cast<std::uint32_t>(visual->red_mask);
        facts.greenMask = static_cast<std::uint32_t>(visual->green_mask);
        facts.blueMask = static_cast<std::uint32_t>(visual->blue_mask);
    }
    return facts;
}

// The pixels of a window or pixmap; empty when the server cannot give them.
core::PixelSurface ReadPixels(Display* display, Drawable drawable, int width, int height, const PixelFormat& format)
{
    ErrorTrap trap(display);
    XImage* image = XGetImage(display, drawable, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (trap.Check() || !image) {
        if (image) XDestroyImage(image);
        return {};
    }
    core::PixelSurface pixels(width, height);
    const core::SurfaceView view = pixels.View();
    const bool swap = image->byte_order != (std::endian::native == std::endian::little ? LSBFirst : MSBFirst);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image->data + static_cast<std::ptrdiff_t>(y) * image->bytes_per_line);
        for (int x = 0; x < width; ++x) {
            std::uint32_t v = image->bits_per_pixel == 32 ? row[x] : static_cast<std::uint32_t>(XGetPixel(image, x, y));
            if (swap && image->bits_per_pixel == 32) v = __builtin_bswap32(v);
            view.Row(y)[x] = format.FromWire(v);
        }
    }
    XDestroyImage(image);
    return pixels;
}

// The format of a picture of `depth`: the window's own when the depths agree.
std::optional<PixelFormat> FormatForDepth(Display* display, const DrawTarget& target, int depth)
{
    if (depth == target.depth) return target.format;
    XVisualInfo info{};
    if (!XMatchVisualInfo(display, DefaultScreen(display), depth, TrueColor, &info)) return std::nullopt;
    return PixelFormat::For(FactsOf(display, info.visual, depth));
}

// The daemon leaves the desktop as it was before blanking on its window.
core::PixelSurface DaemonScreenshot(Display* display, const DrawTarget& target)
{
    const Atom name = XInternAtom(display, "_SCREENSAVER_SCREENSHOT", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    Pixmap pixmap = None;
    if (XGetWindowProperty(display, target.window, name, 0, 1, False, XA_PIXMAP, &type, &format, &items, &after,
                           &data) == Success && type == XA_PIXMAP && format == 32 && items == 1)
        pixmap = static_cast<Pixmap>(*reinterpret_cast<unsigned long*>(data));
    if (data) XFree(data);
    if (pixmap == None) return {};
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    // A pixmap already freed (the daemon's screenshot of an earlier blanking)
    // is no screenshot: its error is the trap's, not the run's.
    ErrorTrap trap(display);
    const bool known = XGetGeometry(display, pixmap, &root, &x, &y, &width, &height, &border, &depth) != 0;
    if (trap.Check() || !known) return {};
    const auto pixelFormat = FormatForDepth(display, target, static_cast<int>(depth));
    if (!pixelFormat) return {};
    return ReadPixels(display, pixmap, static_cast<int>(width), static_cast<int>(height), *pixelFormat);
}

core::PixelSurface GrabRoot(Display* display)
{
    const int screen = DefaultScreen(display);
    const auto format = PixelFormat::For(FactsOf(display, DefaultVisual(display, screen), DefaultDepth(display, screen)));
    if (!format) return {};
    return ReadPixels(display, RootWindow(display, screen), XDisplayWidth(display, screen),
                      XDisplayHeight(display, screen), *format);
}

// The screen's best TrueColor visual (BestVisual), or nullopt.
std::optional<XVisualInfo> ChooseVisual(Display* display)
{
    const int screen = DefaultScreen(display);
    XVisualInfo wanted{};
    wanted.screen = screen;
    wanted.c_class = TrueColor;
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(display, VisualScreenMask | VisualClassMask, &wanted, &count);
    std::vector<VisualFacts> facts;
    std::size_t preferred = 0;
    for (int i = 0; i < count; ++i) {
        facts.push_back(FactsOf(display, found[i].visual, found[i].depth));
        if (found[i].visual == DefaultVisual(display, screen)) preferred = facts.size() - 1;
    }
    std::optional<XVisualInfo> best;
    if (const auto index = BestVisual(facts, preferred)) best = found[*index];
    if (found) XFree(found);
    return best;
}

// The corner an offset is measured from, for the window manager: with -0-0
// the window's bottom-right corner stays at the screen's.
int GravityOf(const Options::Offset& offset)
{
    if (offset.fromRight) return offset.fromBottom ? SouthEastGravity : NorthEastGravity;
    return offset.fromBottom ? SouthWestGravity : NorthWestGravity;
}

Window CreateOwnWindow(Display* display, const Options& options, const XVisualInfo& visual, Colormap colormap)
{
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    attributes.colormap = colormap;
    attributes.event_mask = ExposureMask | StructureNotifyMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask;
    int x = 0, y = 0;
    if (const auto& offset = options.offset) {
        x = offset->fromRight ? XDisplayWidth(display, screen) - options.width - offset->x : offset->x;
        y = offset->fromBottom ? XDisplayHeight(display, screen) - options.height - offset->y : offset->y;
    }
    const Window window = XCreateWindow(display, RootWindow(display, screen), x, y,
                                        static_cast<unsigned>(options.width), static_cast<unsigned>(options.height), 0,
                                        visual.depth, InputOutput, visual.visual,
                                        CWBackPixel | CWBorderPixel | CWColormap | CWEventMask, &attributes);
    // A place the user asked for, which a window manager should keep.
    XSizeHints hints{};
    hints.flags = USSize | (options.offset ? USPosition | PWinGravity : 0);
    hints.win_gravity = options.offset ? GravityOf(*options.offset) : NorthWestGravity;
    hints.x = x;
    hints.y = y;
    hints.width = options.width;
    hints.height = options.height;
    XSetWMNormalHints(display, window, &hints);
    XStoreName(display, window, "Corvalinth");
    XClassHint hint{const_cast<char*>("corvalinth"), const_cast<char*>("Corvalinth")};
    XSetClassHint(display, window, &hint);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    return window;
}

std::string Hex(unsigned long id)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
}
}  // namespace

OpenedTarget OpenTarget(Display* display, const Options& options)
{
    DrawTarget target;
    if (options.target == Target::OwnWindow) {
        const auto visual = ChooseVisual(display);
        if (!visual) {
            const int screen = DefaultScreen(display);
            const VisualFacts facts = FactsOf(display, DefaultVisual(display, screen), DefaultDepth(display, screen));
            return {std::nullopt, "the screen offers no TrueColor visual to draw with (its own is " + Describe(facts) + ")", true};
        }
        // Taken before the window is shown, so that it is the desktop alone.
        target.picture = GrabRoot(display);
        target.colormap = XCreateColormap(display, DefaultRootWindow(display), visual->visual, AllocNone);
        target.window = CreateOwnWindow(display, options, *visual, target.colormap);
        target.own = true;
    } else {
        target.window = options.target == Target::Root ? DefaultRootWindow(display) : options.windowId;
    }
    XWindowAttributes attributes{};
    ErrorTrap trap(display);
    if (!XGetWindowAttributes(display, target.window, &attributes) || trap.Check())
        return {std::nullopt, "there is no window " + Hex(target.window) + " on this display"};
    if (attributes.c_class == InputOnly)
        return {std::move(target), "window " + Hex(target.window) + " is input-only: there is nothing to draw on", true};
    target.visual = attributes.visual;
    target.depth = attributes.depth;
    target.width = attributes.width;
    target.height = attributes.height;
    std::string why;
    const auto format = PixelFormat::For(FactsOf(display, target.visual, target.depth), &why);
    if (!format) return {std::move(target), "cannot draw in window " + Hex(target.window) + ": " + why, true};
    target.format = *format;
    if (options.target == Target::WindowId) {
        target.picture = DaemonScreenshot(display, target);
        // Another client may also listen for input there; these masks are shareable.
        XSelectInput(display, target.window, ExposureMask | StructureNotifyMask);
    } else if (options.target == Target::Root) {
        target.picture = GrabRoot(display);
        XSelectInput(display, target.window, ExposureMask | StructureNotifyMask);
    } else {
        XMapWindow(display, target.window);
    }
    return {std::move(target), {}};
}

void CloseTarget(Display* display, const DrawTarget& target)
{
    if (target.own && target.window) XDestroyWindow(display, target.window);
    if (target.colormap) XFreeColormap(display, target.colormap);
    // Nobody repaints the root: give it its own background back.
    if (target.window == DefaultRootWindow(display)) XClearWindow(display, target.window);
}

}  // namespace corvalinth::x11
