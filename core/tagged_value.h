#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quenor {

// A value that is empty, a 16-bit or 32-bit signed integer, a text (8-bit characters)
// or a list of bytes: the arguments and results of the registry routines.
class TaggedValue {
  public:
    enum class Kind { Empty, Int16, Int32, Text, Bytes };
    using Bytes = std::vector<std::uint8_t>;

    TaggedValue() = default;
    TaggedValue(std::int16_t v) : value_(v) {}
    TaggedValue(std::int32_t v) : value_(v) {}
    TaggedValue(std::string v) : value_(std::move(v)) {}
    TaggedValue(const char* v) : value_(std::string(v)) {}
    TaggedValue(Bytes v) : value_(std::move(v)) {}

    Kind kind() const { return static_cast<Kind>(value_.index()); }
    bool isEmpty() const { return kind() == Kind::Empty; }
    bool isInteger() const { return kind() == Kind::Int16 || kind() == Kind::Int32; }

    // Text form: empty gives "", an integer its signed decimal, a text itself and a list
    // of bytes its bytes as upper-case hex pairs separated by blanks ("01 A0 FF").
    std::string text() const;

    // Integer value of an integer kind (widened, sign kept); nullopt for other kinds.
    std::optional<std::int32_t> integer() const;

    const std::string* asText() const { return std::get_if<std::string>(&value_); }
    const Bytes* asBytes() const { return std::get_if<Bytes>(&value_); }

    // True for a value that counts as "nothing stored": empty, the empty text or integer 0.
    bool equalsEmpty() const;

    friend bool operator==(const TaggedValue&, const TaggedValue&) = default;

  private:
    std::variant<std::monostate, std::int16_t, std::int32_t, std::string, Bytes> value_;
};

// Reads a stored value into a signed settings field of the given width (16 or 32 bits).
// Empty gives 0; an integer is taken as it is; a text is read as a number with the user's
// decimal separator, blanks around it allowed, a fraction rounded half to even.
// Returns nullopt for a text that is not a number, a list of bytes, or a number that does
// not fit the field: the caller decides what such a value means.
std::optional<std::int32_t> toSettingsField(const TaggedValue& value, int bits,
                                            char decimalSeparator);

}  // namespace quenor
