// Writes the sample desktop, the picture behind the README's pictures, as a BMP
// file for the web page (run under node at build time):
//   sample_desktop <file.bmp> <width> <height>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "core/bmp.h"
#include "resources/product_pictures.h"

int main(int argc, char** argv)
{
    const int width = argc == 4 ? std::atoi(argv[2]) : 0, height = argc == 4 ? std::atoi(argv[3]) : 0;
    if (width < 1 || height < 1 || width > 8192 || height > 8192) {
        std::fprintf(stderr, "usage: sample_desktop <file.bmp> <width 1..8192> <height 1..8192>\n");
        return 2;
    }
    corvalinth::core::PixelSurface picture(width, height);
    corvalinth::resources::DrawSampleDesktop(picture.View());
    const auto bytes = corvalinth::core::EncodeBmp24(picture.View());
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
