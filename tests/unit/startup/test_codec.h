#pragma once
// A small double-byte code page standing in for the system's one in native
// tests: ASCII, single bytes A0..DF as half-width letters, and lead bytes
// 81..9F whose trail byte (40..FC) may be '[', ']' or '\' like the real ones.
#include <optional>
#include <string>
#include <string_view>

#include "startup/ini_document.h"

namespace corvalinth::test {

class TestCodec final : public AnsiCodec {
public:
    std::optional<std::wstring> Decode(std::string_view bytes) const override
    {
        std::wstring out;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            if (b < 0x80) {
                out += static_cast<wchar_t>(b);
            } else if (b >= 0xA0 && b <= 0xDF) {
                out += static_cast<wchar_t>(0xFF60 + (b - 0xA0));
            } else if (b >= 0x81 && b <= 0x9F && i + 1 < bytes.size() &&
                       static_cast<unsigned char>(bytes[i + 1]) >= 0x40 &&
                       static_cast<unsigned char>(bytes[i + 1]) <= 0xFC) {
                out += static_cast<wchar_t>(0x4E00 + (b - 0x81) * 256 + static_cast<unsigned char>(bytes[++i]));
            } else {
                return std::nullopt;
            }
        }
        return out;
    }

    std::optional<std::string> Encode(std::wstring_view text) const override
    {
        std::string out;
        for (wchar_t c : text) {
            const auto u = static_cast<std::uint32_t>(c);
            if (u < 0x80) {
                out += static_cast<char>(u);
            } else if (u >= 0xFF60 && u <= 0xFF9F) {
                out += static_cast<char>(0xA0 + (u - 0xFF60));
            } else if (u >= 0x4E00 && u < 0x4E00 + 31 * 256 && (u - 0x4E00) % 256 >= 0x40 &&
                       (u - 0x4E00) % 256 <= 0xFC) {
                out += static_cast<char>(0x81 + (u - 0x4E00) / 256);
                out += static_cast<char>((u - 0x4E00) % 256);
            } else {
                return std::nullopt;
            }
        }
        return out;
    }
};

}  // namespace corvalinth::test
