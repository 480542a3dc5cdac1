// Fuzz target over stored settings texts (a hand-edited settings key): any text reads as a
// number of the field's range or as nothing; blanks around it change nothing; the decimal
// text of a number in range reads back as that number.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "core/tagged_value.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using quenor::TaggedValue;
    if (size == 0) return 0;
    // The first byte: the field's width and the user's decimal separator.
    const int bits = (data[0] & 1) != 0 ? 32 : 16;
    const char separator = (data[0] & 2) != 0 ? ',' : '.';
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const long long low = bits == 16 ? std::numeric_limits<std::int16_t>::min()
                                     : std::numeric_limits<std::int32_t>::min();
    const long long high = bits == 16 ? std::numeric_limits<std::int16_t>::max()
                                      : std::numeric_limits<std::int32_t>::max();

    const auto field = quenor::toSettingsField(TaggedValue(text), bits, separator);
    if (field && (*field < low || *field > high)) __builtin_trap();
    if (quenor::toSettingsField(TaggedValue(" \t" + text + "  "), bits, separator) != field) {
        __builtin_trap();
    }
    if (field) {
        const auto again =
            quenor::toSettingsField(TaggedValue(std::to_string(*field)), bits, separator);
        if (again != field) __builtin_trap();
    }
    return 0;
}
