#include "tool/registry/c_registry.h"

#include <cstring>

#include "core/tool_error.h"
#include "lib/registry/opened_key.h"
#include "lib/registry/store_values.h"

namespace quenor {

namespace {

// A text is stored as REG_EXPAND_SZ when it holds a "%" and a further "%" at least two
// places after it (something must stand between them).
bool holdsEnvironmentReference(const std::string& text) {
    std::size_t first = text.find('%');
    if (first == std::string::npos) return false;
    return text.find('%', first + 2) != std::string::npos;
}

std::int32_t littleEndian(const std::uint8_t bytes[4]) {
    std::uint32_t v =
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return static_cast<std::int32_t>(v);
}

}  // namespace

std::string rootKeyText(std::uint32_t root) {
    return std::to_string(static_cast<std::int32_t>(root));
}

cRegistry::cRegistry(reg::RegistryStore& store, const Environment& environment,
                     const std::string& programName)
    : store_(store), environment_(environment), source_(programName + ".cRegistry") {}

void cRegistry::raise(std::int32_t number, const std::string& description) const {
    throw ToolError(number, source_, description);
}

std::string cRegistry::rootText() const {
    return rootKeyText(classKey_);
}

std::string cRegistry::setValueError(const TaggedValue& value) const {
    return "Failed to set registry value Key: '" + rootText() + "',Section: '" + sectionKey_ +
           "',Key: '" + valueKey_ + "' to value: '" + value.text() + "'";
}

void cRegistry::Machine(const std::string& sMachine) {
    if (sMachine.size() < 3) {
        machine_.clear();
    } else if (sMachine.compare(0, 2, "\\\\") != 0) {
        machine_ = "\\\\" + sMachine;
    } else {
        machine_ = sMachine;
    }
}

bool cRegistry::connect(reg::Handle& root) {
    root = classKey_;
    if (machine_.empty()) return true;
    return store_.connectRegistry(machine_, classKey_, root) == reg::kSuccess;
}

void cRegistry::disconnect(reg::Handle root) {
    if (!machine_.empty()) store_.closeKey(root);
}

bool cRegistry::KeyExists() {
    return reg::OpenedKey::open(store_, classKey_, sectionKey_).opened();
}

bool cRegistry::CreateKey() {
    if (!reg::OpenedKey::create(store_, classKey_, sectionKey_).opened()) {
        raise(registry_error::kKeyOperation, "Failed to create registry Key: '" + sectionKey_);
    }
    return true;
}

bool cRegistry::DeleteKey() {
    if (store_.deleteKey(classKey_, sectionKey_) != reg::kSuccess) {
        raise(registry_error::kKeyOperation,
              "Failed to delete registry Key: '" + rootText() + "',Section: '" + sectionKey_);
    }
    return true;
}

bool cRegistry::DeleteValue() {
    const auto key = reg::OpenedKey::open(store_, classKey_, sectionKey_, reg::kAllAccess);
    if (!key.opened()) {
        raise(registry_error::kKeyOperation, "Failed to open key '" + rootText() + "',Section: '" +
                                                 sectionKey_ + "' for delete access");
    }
    if (store_.deleteValue(key.handle(), valueKey_) != reg::kSuccess) {
        raise(registry_error::kKeyOperation, "Failed to delete registry Key: '" + rootText() +
                                                 "',Section: '" + sectionKey_ + "',Key: '" +
                                                 valueKey_);
    }
    return true;
}

TaggedValue cRegistry::Value() {
    reg::Handle root = 0;
    if (!connect(root)) return default_;
    std::optional<reg::RegValue> stored = reg::readStoreValue(store_, root, sectionKey_, valueKey_);
    disconnect(root);
    if (!stored) return default_;
    const std::uint32_t type = stored->type;
    std::vector<std::uint8_t>& data = stored->data;
    valueType_ = type;

    switch (type) {
        case reg::kSz:
        case reg::kExpandSz:
        case reg::kMultiSz: {
            // The stored text without its terminating zero. Data stored without one
            // keeps all its characters.
            std::string text(data.begin(), data.end());
            if (!text.empty() && text.back() == '\0') text.pop_back();
            if (type == reg::kExpandSz) text = ExpandEnvironmentText(text);
            return TaggedValue(std::move(text));
        }
        case reg::kDword:
        case reg::kDwordBigEndian: {
            // At most four bytes are read; shorter data reads as zero-padded.
            std::uint8_t bytes[4] = {0, 0, 0, 0};
            if (!data.empty())
                std::memcpy(bytes, data.data(), std::min<std::size_t>(4, data.size()));
            std::int32_t number = littleEndian(bytes);
            if (type == reg::kDwordBigEndian) number = ReverseByteOrder(number);
            return TaggedValue(number);
        }
        default:
            return TaggedValue(std::move(data));
    }
}

void cRegistry::Value(const TaggedValue& vValue) {
    reg::Handle root = 0;
    if (!connect(root)) {
        // An unreachable remote registry is a failed write, not a silent success.
        raise(registry_error::kKeyOperation, setValueError(vValue));
    }
    // The remote registry is let go after the key, however this ends.
    const struct Connection {
        cRegistry& registry;
        reg::Handle root;
        ~Connection() { registry.disconnect(root); }
    } connection{*this, root};
    const auto opened = reg::OpenedKey::create(store_, root, sectionKey_);
    if (!opened.opened()) raise(registry_error::kKeyOperation, setValueError(vValue));
    const reg::Handle key = opened.handle();

    reg::Status status = reg::kSuccess;
    bool supported = true;
    switch (valueType_) {
        case reg::kSz:
        case reg::kExpandSz: {
            std::string text = vValue.text();
            std::uint32_t type = holdsEnvironmentReference(text) ? reg::kExpandSz : reg::kSz;
            std::vector<std::uint8_t> data(text.begin(), text.end());
            data.push_back(0);
            status = store_.setValue(key, valueKey_, type, data.data(),
                                     static_cast<std::uint32_t>(data.size()));
            break;
        }
        case reg::kBinary: {
            const TaggedValue::Bytes* bytes = vValue.asBytes();
            if (!bytes) throw ToolError(registry_error::kKeyOperation, "", "");
            status = store_.setValue(key, valueKey_, reg::kBinary, bytes->data(),
                                     static_cast<std::uint32_t>(bytes->size()));
            break;
        }
        case reg::kDword:
        case reg::kDwordBigEndian: {
            std::optional<std::int32_t> number = vValue.integer();
            if (!number) {
                // Only integers can be stored as a 32-bit number: refuse the rest openly.
                supported = false;
                break;
            }
            auto bits = static_cast<std::uint32_t>(*number);
            std::uint8_t data[4] = {
                static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
            status = store_.setValue(key, valueKey_, reg::kDword, data, 4);
            break;
        }
        default:
            supported = false;
            break;
    }
    if (!supported || status != reg::kSuccess) {
        raise(registry_error::kSetValue, setValueError(vValue));
    }
}

TaggedValue cRegistry::ValueEx(std::uint32_t classKey, const std::string& sectionKey,
                               const std::string& valueKey, std::uint32_t valueType,
                               const TaggedValue& defaultValue) {
    ClassKey(classKey);
    SectionKey(sectionKey);
    ValueKey(valueKey);
    ValueType(valueType);
    Default(defaultValue);
    return Value();
}

void cRegistry::ValueEx(std::uint32_t classKey, const std::string& sectionKey,
                        const std::string& valueKey, std::uint32_t valueType,
                        const TaggedValue& defaultValue, const TaggedValue& newValue) {
    ClassKey(classKey);
    SectionKey(sectionKey);
    ValueKey(valueKey);
    ValueType(valueType);
    Default(defaultValue);
    if (valueType_ == reg::kSz && newValue.text().empty()) {
        Value(default_);
    } else {
        Value(newValue);
    }
}

std::int32_t cRegistry::ReverseByteOrder(std::int32_t value) {
    std::uint8_t in[4];
    std::uint8_t out[4];
    std::memcpy(in, &value, 4);
    for (int i = 0; i < 4; ++i) out[i] = in[3 - i];
    std::int32_t result = 0;
    std::memcpy(&result, out, 4);
    return result;
}

std::string cRegistry::ExpandEnvironmentText(const std::string& text) const {
    return environment_.expandReferences(text);
}

}  // namespace quenor
