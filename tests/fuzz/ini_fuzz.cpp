// Any bytes must parse; writing a key must keep every other key readable and
// make the written value read back exactly.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "../unit/config/test_codec.h"
#include "config/ini_document.h"

namespace {

void Check(bool condition)
{
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using corvalinth::IniDocument;
    static const corvalinth::test::TestCodec codec;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    auto doc = IniDocument::Parse(bytes, codec);
    const std::string unchanged = doc.Serialize();
    // Nothing written: the bytes come back as they were (a UTF-16 file keeps its mark).
    Check(unchanged == bytes);

    const auto other = doc.Get(L"Section", L"Color");
    const auto elsewhere = doc.Get(L"Other", L"Num");

    // The value to write comes from the input too, so it may be anything.
    std::wstring value;
    for (std::size_t i = 0; i < size && i < 64; ++i) value += static_cast<wchar_t>(data[size - 1 - i] * 131u);
    const bool written = doc.Set(L"Section", L"Num", value);
    const auto reread = IniDocument::Parse(doc.Serialize(), codec);
    if (written) Check(reread.Get(L"Section", L"Num") == value);
    else Check(doc.Serialize() == unchanged);
    Check(reread.Get(L"Section", L"Color") == other);
    Check(reread.Get(L"Other", L"Num") == elsewhere);
    return 0;
}
