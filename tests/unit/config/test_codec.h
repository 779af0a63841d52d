#pragma once
// A small double-byte code page standing in for the system's one in native
// tests: ASCII, single bytes A0..DF as half-width letters, and lead bytes
// 81..9F whose trail byte (40..FC) may be '[', ']' or '\' like the real ones.
#include <optional>
#include <string>
#include <string_view>

#include "config/ini_document.h"

namespace corvalinth::test {

class TestCodec final : public AnsiCodec {
public:
    std::optional<std::wstring> Decode(std::string_view bytes) const override
    {
        std::wstring out;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const unsigned b = static_cast<unsigned char>(bytes[i]);
            const unsigned t = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
            if (b < 0x80) out += static_cast<wchar_t>(b);
            else if (b >= 0xA0 && b <= 0xDF) out += static_cast<wchar_t>(0xFF60 + b - 0xA0);
            else if (b >= 0x81 && b <= 0x9F && t >= 0x40 && t <= 0xFC) out += static_cast<wchar_t>(0x4E00 + (b - 0x81) * 256 + t), ++i;
            else return std::nullopt;
        }
        return out;
    }

    std::optional<std::string> Encode(std::wstring_view text) const override
    {
        std::string out;
        for (wchar_t c : text) {
            const auto u = static_cast<std::uint32_t>(c), lead = (u - 0x4E00) / 256, trail = (u - 0x4E00) % 256;
            if (u < 0x80) out += static_cast<char>(u);
            else if (u >= 0xFF60 && u <= 0xFF9F) out += static_cast<char>(0xA0 + u - 0xFF60);
            else if (u >= 0x4E00 && lead < 31 && trail >= 0x40 && trail <= 0xFC) out += {static_cast<char>(0x81 + lead), static_cast<char>(trail)};
            else return std::nullopt;
        }
        return out;
    }
};

}  // namespace corvalinth::test
