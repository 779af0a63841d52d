#pragma once
// Writes a pixel surface as an 8-bit RGB PNG with stored (uncompressed) deflate
// blocks: enough for the documentation's screenshots, with no library needed.
#include <algorithm>
#include <filesystem>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "core/surface.h"

namespace corvalinth::testing {

inline std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0)
{
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline bool WritePng(const std::wstring& path, const core::PixelSurface& image)
{
    const auto w = static_cast<std::uint32_t>(image.Width()), h = static_cast<std::uint32_t>(image.Height());
    std::vector<std::uint8_t> raw;
    for (std::uint32_t y = 0; y < h; ++y) {
        raw.push_back(0);  // no filter
        for (std::uint32_t x = 0; x < w; ++x) {
            const core::Pixel p = image.At(static_cast<int>(x), static_cast<int>(y));
            raw.push_back(static_cast<std::uint8_t>(core::RedOf(p)));
            raw.push_back(static_cast<std::uint8_t>(core::GreenOf(p)));
            raw.push_back(static_cast<std::uint8_t>(core::BlueOf(p)));
        }
    }
    std::vector<std::uint8_t> z = {0x78, 0x01};
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0; at < raw.size() || at == 0;) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        const bool last = at + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(static_cast<std::uint8_t>(n & 0xFF));
        z.push_back(static_cast<std::uint8_t>(n >> 8));
        z.push_back(static_cast<std::uint8_t>(~n & 0xFF));
        z.push_back(static_cast<std::uint8_t>((~n >> 8) & 0xFF));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
        if (last) break;
    }
    const std::uint32_t adler = (b << 16) | a;
    for (int s = 24; s >= 0; s -= 8) z.push_back(static_cast<std::uint8_t>(adler >> s));

    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&](const char* type, const std::vector<std::uint8_t>& data) {
        const auto n = static_cast<std::uint32_t>(data.size());
        for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(n >> s));
        std::vector<std::uint8_t> body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        out.insert(out.end(), body.begin(), body.end());
        const std::uint32_t crc = Crc32(body.data(), body.size());
        for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(crc >> s));
    };
    std::vector<std::uint8_t> header;
    for (std::uint32_t v : {w, h})
        for (int s = 24; s >= 0; s -= 8) header.push_back(static_cast<std::uint8_t>(v >> s));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
    chunk("IHDR", header);
    chunk("IDAT", z);
    chunk("IEND", {});

    std::ofstream file(std::filesystem::path(path), std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

}  // namespace corvalinth::testing
