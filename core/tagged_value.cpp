#include "core/tagged_value.h"

#include <algorithm>
#include <limits>

namespace quenor {

std::string TaggedValue::text() const {
    switch (kind()) {
        case Kind::Empty:
            return {};
        case Kind::Int16:
            return std::to_string(std::get<std::int16_t>(value_));
        case Kind::Int32:
            return std::to_string(std::get<std::int32_t>(value_));
        case Kind::Text:
            return std::get<std::string>(value_);
        case Kind::Bytes: {
            static constexpr char kHex[] = "0123456789ABCDEF";
            std::string out;
            for (std::uint8_t b : std::get<Bytes>(value_)) {
                if (!out.empty()) out += ' ';
                out += kHex[b >> 4];
                out += kHex[b & 0xF];
            }
            return out;
        }
    }
    return {};
}

std::optional<std::int32_t> TaggedValue::integer() const {
    if (kind() == Kind::Int16) return std::get<std::int16_t>(value_);
    if (kind() == Kind::Int32) return std::get<std::int32_t>(value_);
    return std::nullopt;
}

bool TaggedValue::equalsEmpty() const {
    switch (kind()) {
        case Kind::Empty:
            return true;
        case Kind::Int16:
        case Kind::Int32:
            return *integer() == 0;
        case Kind::Text:
            return std::get<std::string>(value_).empty();
        case Kind::Bytes:
            return false;
    }
    return false;
}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads [blanks][sign]digits[separator digits][blanks] (digits on at least one side of the
// separator) and rounds it to the nearest integer, a half to the even neighbour. The
// magnitude saturates far beyond any field's range. nullopt when the text is not a number.
std::optional<long long> parseRounded(const std::string& text, char separator) {
    constexpr long long kSaturated = 1'000'000'000'000LL;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long whole = 0;
    std::size_t digits = 0;
    while (i < n && isDigit(text[i])) {
        whole = std::min(kSaturated, whole * 10 + (text[i] - '0'));
        ++i;
        ++digits;
    }
    int firstFraction = 0;     // first digit after the separator
    bool restNonZero = false;  // any non-zero digit after the first
    if (i < n && text[i] == separator) {
        ++i;
        bool first = true;
        while (i < n && isDigit(text[i])) {
            if (first) {
                firstFraction = text[i] - '0';
                first = false;
            } else if (text[i] != '0') {
                restNonZero = true;
            }
            ++i;
            ++digits;
        }
    }
    while (i < n && isBlank(text[i])) ++i;
    if (digits == 0 || i != n) return std::nullopt;
    bool roundUp = firstFraction > 5 || (firstFraction == 5 && (restNonZero || whole % 2 != 0));
    if (roundUp) ++whole;
    return negative ? -whole : whole;
}

}  // namespace

std::optional<std::int32_t> toSettingsField(const TaggedValue& value, int bits,
                                            char decimalSeparator) {
    const long long low = bits == 16 ? std::numeric_limits<std::int16_t>::min()
                                     : std::numeric_limits<std::int32_t>::min();
    const long long high = bits == 16 ? std::numeric_limits<std::int16_t>::max()
                                      : std::numeric_limits<std::int32_t>::max();
    long long number = 0;
    switch (value.kind()) {
        case TaggedValue::Kind::Empty:
            return 0;
        case TaggedValue::Kind::Int16:
        case TaggedValue::Kind::Int32:
            number = *value.integer();
            break;
        case TaggedValue::Kind::Text: {
            auto parsed = parseRounded(*value.asText(), decimalSeparator);
            if (!parsed) return std::nullopt;
            number = *parsed;
            break;
        }
        case TaggedValue::Kind::Bytes:
            return std::nullopt;
    }
    if (number < low || number > high) return std::nullopt;
    return static_cast<std::int32_t>(number);
}

}  // namespace quenor
