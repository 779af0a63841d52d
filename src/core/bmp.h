#pragma once
// 24-bit BMP files: how the pictures the program ships are stored in the repo and
// in the program's resources.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/surface.h"

namespace corvalinth::core {

// A bottom-up 24-bit BMP file of the surface.
std::vector<std::uint8_t> EncodeBmp24(const SurfaceView& surface);
// Reads an uncompressed 24- or 32-bit BMP (top-down or bottom-up); nullopt for
// anything else or a damaged file.
std::optional<PixelSurface> DecodeBmp(std::span<const std::uint8_t> bytes);

}  // namespace corvalinth::core
