#include "tool/originals/originals_record.h"

#include "lib/base/code_page.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "lib/base/ascii.h"

namespace quenor::originals {

namespace {

using Json = nlohmann::ordered_json;

constexpr int kFormat = 1;
constexpr std::uint64_t kLargestValue = 1u << 20;  // a registry value's data, as hex below
constexpr std::size_t kLargestJournal = 64;        // versions one change writes (Reset: 8)

std::string hexOf(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

// Field access that names what is wrong instead of nlohmann's own exceptions.
const Json& field(const Json& object, const char* name, Json::value_t type) {
    if (!object.is_object() || !object.contains(name)) {
        throw RecordError(std::string("the field \"") + name + "\" is missing");
    }
    const Json& value = object.at(name);
    const bool matches = value.type() == type ||
                         (type == Json::value_t::number_unsigned && value.is_number_unsigned());
    if (!matches) throw RecordError(std::string("the field \"") + name + "\" has the wrong type");
    return value;
}

std::string text(const Json& object, const char* name) {
    return field(object, name, Json::value_t::string).get<std::string>();
}

std::uint64_t number(const Json& object, const char* name) {
    return field(object, name, Json::value_t::number_unsigned).get<std::uint64_t>();
}

std::string sha256Field(const Json& object, const char* name, bool mayBeEmpty) {
    std::string value = text(object, name);
    if (value.empty() && mayBeEmpty) return value;
    if (value.size() != 64 || value.find_first_not_of("0123456789abcdef") != std::string::npos) {
        throw RecordError(std::string("the field \"") + name + "\" is not a SHA-256");
    }
    return value;
}

std::vector<std::uint8_t> bytesOf(const std::string& hex) {
    if (hex.size() % 2 != 0 || hex.size() / 2 > kLargestValue) {
        throw RecordError("a value's data is not whole bytes in hexadecimal");
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        if (!base::isAsciiHexDigit(hex[i]) || !base::isAsciiHexDigit(hex[i + 1]))
            throw RecordError("a value's data is not hexadecimal");
        bytes.push_back(static_cast<std::uint8_t>(base::hexDigitValue(hex[i]) << 4 |
                                                  base::hexDigitValue(hex[i + 1])));
    }
    return bytes;
}

Json parseObject(std::string_view text, const char* what) {
    Json json = Json::parse(text.begin(), text.end(), nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        throw RecordError(std::string("it is not a ") + what + " (not a JSON object)");
    }
    if (number(json, "format") != kFormat) {
        throw RecordError("it has a format this version of Quenor does not know");
    }
    return json;
}

constexpr std::pair<WrittenRecord::State, const char*> kStateNames[] = {
    {WrittenRecord::State::Changing, "changing"},
    {WrittenRecord::State::Written, "written"},
    {WrittenRecord::State::Restored, "restored"},
};

}  // namespace

std::string originalsText(const OriginalsRecord& record) {
    Json json;
    json["format"] = kFormat;
    json["archive"] = nullptr;
    if (record.archive) {
        // The path is kept in UTF-8, as JSON text is, and read back in the run's code page.
        json["archive"] = {{"path", base::ansiCodePage().toUtf8(record.archive->toolPath)},
                           {"size", record.archive->size},
                           {"sha256", record.archive->sha256},
                           {"taken", record.archive->taken}};
    }
    json["registry"] = nullptr;
    if (record.registry) {
        Json keys = Json::array();
        for (const KeyOriginal& key : record.registry->keys)
            keys.push_back({{"path", key.path}, {"existed", key.existed}});
        Json values = Json::array();
        for (const ValueOriginal& value : record.registry->values) {
            Json entry = {{"key", value.keyPath}, {"name", value.name}};
            entry["type"] = value.type ? Json(*value.type) : Json(nullptr);
            entry["data"] = hexOf(value.data);
            values.push_back(entry);
        }
        json["registry"] = {{"keys", keys}, {"values", values}, {"taken", record.registry->taken}};
    }
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

OriginalsRecord parseOriginals(std::string_view source) {
    const Json json = parseObject(source, "record of originals");
    OriginalsRecord record;
    if (!json.contains("archive") || !json.contains("registry")) {
        throw RecordError("the parts \"archive\" and \"registry\" are missing");
    }
    if (const Json& archive = json.at("archive"); !archive.is_null()) {
        const std::string path = text(archive, "path");
        record.archive = ArchiveOriginal{
            base::ansiCodePage().fromUtf8(path).value_or(path), number(archive, "size"),
            sha256Field(archive, "sha256", false), text(archive, "taken")};
    }
    if (const Json& registry = json.at("registry"); !registry.is_null()) {
        RegistryOriginal kept;
        kept.taken = text(registry, "taken");
        for (const Json& key : field(registry, "keys", Json::value_t::array)) {
            kept.keys.push_back(
                {text(key, "path"), field(key, "existed", Json::value_t::boolean).get<bool>()});
        }
        for (const Json& value : field(registry, "values", Json::value_t::array)) {
            ValueOriginal entry{text(value, "key"), text(value, "name"), std::nullopt,
                                bytesOf(text(value, "data"))};
            if (!value.contains("type")) throw RecordError("the field \"type\" is missing");
            if (!value.at("type").is_null()) {
                const std::uint64_t type = number(value, "type");
                if (type > 0xFFFFFFFFu) throw RecordError("a value's type is out of range");
                entry.type = static_cast<std::uint32_t>(type);
            } else if (!entry.data.empty()) {
                throw RecordError("an absent value has data");
            }
            kept.values.push_back(std::move(entry));
        }
        record.registry = std::move(kept);
    }
    return record;
}

std::string writtenText(const WrittenRecord& record) {
    Json json;
    json["format"] = kFormat;
    for (const auto& [state, name] : kStateNames) {
        if (state == record.state) json["state"] = name;
    }
    json["archiveSha256"] = record.archiveSha256;
    json["when"] = record.when;
    json["writing"] = record.writing;
    json["wrote"] = record.wrote;
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

void WrittenRecord::noteWrote(const std::string& sha256) {
    if (sha256.empty() || std::find(wrote.begin(), wrote.end(), sha256) != wrote.end()) return;
    wrote.push_back(sha256);
    if (wrote.size() > kMostVersionsNoted)
        wrote.erase(wrote.begin(), wrote.end() - static_cast<std::ptrdiff_t>(kMostVersionsNoted));
}

WrittenRecord parseWritten(std::string_view source) {
    const Json json = parseObject(source, "record of the last change");
    WrittenRecord record;
    const std::string state = text(json, "state");
    bool known = false;
    for (const auto& [value, name] : kStateNames) {
        if (state == name) {
            record.state = value;
            known = true;
        }
    }
    if (!known) throw RecordError("the state \"" + state + "\" is unknown");
    record.archiveSha256 = sha256Field(json, "archiveSha256", true);
    record.when = text(json, "when");
    // Records of earlier versions have no journal: their cut-off change is not recognised.
    if (json.contains("writing")) {
        const Json& writing = field(json, "writing", Json::value_t::array);
        if (writing.size() > kLargestJournal)
            throw RecordError("the field \"writing\" is too long");
        for (const Json& digest : writing) {
            const Json holder = {{"digest", digest}};
            record.writing.push_back(sha256Field(holder, "digest", false));
        }
    }
    // Nor a list of the versions written.
    if (json.contains("wrote")) {
        const Json& wrote = field(json, "wrote", Json::value_t::array);
        if (wrote.size() > kMostVersionsNoted) throw RecordError("the field \"wrote\" is too long");
        for (const Json& digest : wrote) {
            const Json holder = {{"digest", digest}};
            record.wrote.push_back(sha256Field(holder, "digest", false));
        }
    }
    return record;
}

}  // namespace quenor::originals
