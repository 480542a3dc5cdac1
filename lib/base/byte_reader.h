#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

namespace quenor::base {

// A cursor over untrusted bytes (an archive directory, a RefPack stream, a registry file).
// Every read is checked against the end: a read that would pass it reads nothing, returns zero
// or an empty span, leaves the cursor where it was, and is remembered. The failure sticks:
// every later read fails too (a search that finds nothing is not a failure, but finds nothing
// once the reader has failed), so a parser can read a whole record and check ok() once without
// a shorter read after a failed one going on from the wrong place. Reads of several bytes come
// in both byte orders.
class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : data_(bytes) {}
    explicit ByteReader(std::string_view text)
        : data_(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()) {}

    std::size_t offset() const { return pos_; }
    std::size_t size() const { return data_.size(); }
    std::size_t remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return pos_ == data_.size(); }
    // False once any read ran past the end.
    bool ok() const { return ok_; }

    std::uint8_t u8() {
        if (!take(1)) return 0;
        return data_[pos_++];
    }
    // An unsigned number of `width` bytes (1 to 4), most significant byte first.
    std::uint32_t bigEndian(std::size_t width) {
        if (!take(width)) return 0;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < width; ++i) value = (value << 8) | data_[pos_++];
        return value;
    }
    // The same, least significant byte first.
    std::uint32_t littleEndian(std::size_t width) {
        if (!take(width)) return 0;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < width; ++i) value |= std::uint32_t{data_[pos_++]} << (8 * i);
        return value;
    }
    std::uint32_t u16be() { return bigEndian(2); }
    std::uint32_t u24be() { return bigEndian(3); }
    std::uint32_t u32be() { return bigEndian(4); }
    std::uint32_t u32le() { return littleEndian(4); }

    std::span<const std::uint8_t> bytes(std::size_t count) {
        if (!take(count)) return {};
        const auto out = data_.subspan(pos_, count);
        pos_ += count;
        return out;
    }
    std::string_view text(std::size_t count) {
        const auto out = bytes(count);
        return {reinterpret_cast<const char*>(out.data()), out.size()};
    }
    bool skip(std::size_t count) {
        if (!take(count)) return false;
        pos_ += count;
        return true;
    }

    // Looking ahead, without moving and without counting as a read: the byte `ahead` bytes
    // on (0 past the end or once the reader failed), and whether the bytes start with a text.
    std::uint8_t peek(std::size_t ahead = 0) const {
        return ok_ && ahead < remaining() ? data_[pos_ + ahead] : 0;
    }
    bool lookingAt(std::string_view prefix) const {
        return ok_ && remaining() >= prefix.size() &&
               (prefix.empty() ||
                std::memcmp(data_.data() + pos_, prefix.data(), prefix.size()) == 0);
    }
    // Moves past `prefix` when the bytes start with it.
    bool consume(std::string_view prefix) {
        if (!lookingAt(prefix)) return false;
        pos_ += prefix.size();
        return true;
    }
    // The bytes before the first `stop` byte among the next `window` bytes, with the cursor
    // moved past that stop byte; nothing (and the cursor unmoved) when there is none.
    std::optional<std::span<const std::uint8_t>> upTo(std::uint8_t stop,
                                                      std::size_t window = SIZE_MAX) {
        if (!ok_) return std::nullopt;
        const std::size_t scan = window < remaining() ? window : remaining();
        const void* found = scan == 0 ? nullptr : std::memchr(data_.data() + pos_, stop, scan);
        if (found == nullptr) return std::nullopt;
        const std::size_t length = static_cast<std::size_t>(
            static_cast<const std::uint8_t*>(found) - (data_.data() + pos_));
        const auto out = data_.subspan(pos_, length);
        pos_ += length + 1;
        return out;
    }
    // What is left, as text, without moving.
    std::string_view restText() const {
        return {reinterpret_cast<const char*>(data_.data()) + pos_, remaining()};
    }

  private:
    bool take(std::size_t count) {
        if (ok_ && count <= remaining()) return true;
        ok_ = false;
        return false;
    }

    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace quenor::base
