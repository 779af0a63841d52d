// The form description is read from a file: any bytes must decode or be refused
// cleanly, and whatever decodes must encode back to text that decodes the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "button/property_bag.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace corvalinth::button;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto bag = DecodeBag(text);
    if (!bag) return 0;
    const std::string encoded = EncodeBag(*bag);
    const auto again = DecodeBag(encoded);
    if (!again || EncodeBag(*again) != encoded) std::abort();
    return 0;
}
