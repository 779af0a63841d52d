// Writes the pictures the program carries into the resources folder:
//   make_pictures <resources folder>
#include <cstdio>
#include <fstream>
#include <string>

#include "core/bmp.h"
#include "resources/product_pictures.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures <resources folder>\n");
        return 2;
    }
    const std::string path = std::string(argv[1]) + "/preview.bmp";
    const auto bytes = corvalinth::core::EncodeBmp24(corvalinth::resources::MakePreviewPicture().View());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    std::printf("wrote %s\n", path.c_str());
    return 0;
}
