// Writes the pictures the program carries into a folder: preview.bmp (the
// Windows program's preview, kept in src/resources) and sample-desktop.bmp
// (the desktop behind the README's pictures, at the size of the screens they
// are taken on, which the web page shows):
//   make_pictures <folder>
#include <cstdio>
#include <fstream>
#include <string>

#include "core/bmp.h"
#include "core/surface.h"
#include "resources/product_pictures.h"

namespace {
bool WriteBmp(const std::string& path, const corvalinth::core::SurfaceView& picture)
{
    const auto bytes = corvalinth::core::EncodeBmp24(picture);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("wrote %s\n", path.c_str());
    return true;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    corvalinth::core::PixelSurface desktop(1024, 768);
    corvalinth::resources::DrawSampleDesktop(desktop.View());
    const bool written = WriteBmp(folder + "/preview.bmp", corvalinth::resources::MakePreviewPicture().View()) &&
                         WriteBmp(folder + "/sample-desktop.bmp", desktop.View());
    return written ? 0 : 1;
}
