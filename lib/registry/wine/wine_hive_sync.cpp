#include "lib/registry/wine/wine_hive_sync.h"

#include <map>
#include <set>

#include "lib/base/ascii.h"
#include "lib/registry/registry_store.h"
#include "lib/registry/wine/wine_text.h"

namespace quenor::reg::wine {

namespace {

std::vector<std::string> toCodePage(const std::vector<std::u16string>& path) {
    std::vector<std::string> out;
    out.reserve(path.size());
    for (const auto& name : path) out.push_back(wine::toCodePage(name));
    return out;
}

// A case-insensitive identity of a key path (names cannot hold "\").
std::string pathId(const std::vector<std::string>& path) {
    std::string id;
    for (const auto& name : path) {
        id += base::asciiLowered(name);
        id += '\\';
    }
    return id;
}

const RegKey* findPath(const RegKey& root, const std::vector<std::string>& path) {
    const RegKey* key = &root;
    for (const auto& name : path) {
        key = key->findSubKey(name);
        if (!key) return nullptr;
    }
    return key;
}

bool sameValue(const RegValue& a, const RegValue& b) {
    return a.type == b.type && a.data == b.data;
}

bool isBlankLine(const std::string& raw) {
    return raw.find_first_not_of(" \t\r\n\v\f") == std::string::npos;
}

void copyInto(const RegKey& from, RegKey& to) {
    for (const auto& value : from.values()) to.setValue(value);
    for (const auto& sub : from.subKeys()) copyInto(*sub, to.addSubKey(sub->name()));
}

// Writes a value of the 8-bit tree in the file's form; `name` is the Unicode name.
std::string valueLine(std::u16string_view name, const RegValue& value, const std::string& newline) {
    return formatValueLine(name, value.type, dataFromCodePage(value.type, value.data), newline);
}

class HiveRenderer {
  public:
    HiveRenderer(const WineRegDocument& document, const RegKey& current, const RegKey& saved,
                 std::int64_t nowSeconds)
        : doc_(document), current_(current), saved_(saved), now_(nowSeconds) {}

    std::string render() {
        indexDocument();
        for (const auto& line : doc_.preamble) emit(line.raw);
        for (std::size_t s = 0; s < doc_.sections.size(); ++s) renderSection(s);
        std::vector<std::string> path;
        appendNewKeys(current_, path, "");
        // A file whose last line had no line end (cut short, or edited by hand) gets one when
        // anything in it changes; saved unchanged, it stays byte for byte as it was.
        if (!out_.empty() && out_.back() != '\n' && out_ != renderUnchanged(doc_)) endLine();
        return std::move(out_);
    }

  private:
    // Appends whole lines. Only the last line of a file can lack its line end; anything
    // written after it starts on a line of its own, so no line runs into the next.
    void emit(std::string_view lines) {
        if (lines.empty()) return;
        if (!out_.empty() && out_.back() != '\n') endLine();
        out_ += lines;
    }

    // Ends a last line that had no line end. One that ends in a lone CR (its CR LF cut short)
    // gets the LF alone: a CR more would stay in the line's text when it is read again.
    void endLine() { out_ += out_.back() == '\r' ? std::string("\n") : doc_.newline; }

    void indexDocument() {
        paths8_.reserve(doc_.sections.size());
        for (std::size_t s = 0; s < doc_.sections.size(); ++s) {
            const auto& section = doc_.sections[s];
            paths8_.push_back(toCodePage(section.path));
            const auto& path8 = paths8_.back();
            // The ids of the path's keys, each its parent's id and one more name.
            std::string id;
            for (std::size_t k = 0; k < path8.size(); ++k) {
                id += base::asciiLowered(path8[k]);
                id += '\\';
                unicodeNames_.try_emplace(id, section.path[k]);
            }
            lastSection_[id] = s;
            for (std::size_t l = 0; l < section.lines.size(); ++l) {
                const auto& line = section.lines[l];
                if (line.kind != LineKind::Value) continue;
                definingLine_[id + '\n' + base::asciiLowered(wine::toCodePage(line.name))] = {s, l};
            }
            if (findPath(current_, path8)) writtenKeys_.insert(id);
        }
    }

    void renderSection(std::size_t s) {
        const auto& section = doc_.sections[s];
        const auto& path8 = paths8_[s];
        const RegKey* current = findPath(current_, path8);
        if (!current) return;  // the key was deleted
        const RegKey* saved = findPath(saved_, path8);
        const std::string id = pathId(path8);
        const bool lastOfKey = lastSection_[id] == s;

        std::size_t insertAt = 0;
        for (std::size_t l = 0; l < section.lines.size(); ++l) {
            if (!isBlankLine(section.lines[l].raw)) insertAt = l + 1;
        }
        emit(section.keyLine);
        for (std::size_t l = 0; l <= section.lines.size(); ++l) {
            if (l == insertAt && lastOfKey) appendNewValues(*current, saved);
            if (l == section.lines.size()) break;
            const auto& line = section.lines[l];
            if (line.kind != LineKind::Value) {
                emit(line.raw);
                continue;
            }
            const std::string name8 = wine::toCodePage(line.name);
            const RegValue* now = current->findValue(name8);
            const RegValue* before = saved ? saved->findValue(name8) : nullptr;
            if (!now) continue;  // deleted
            if (before && sameValue(*now, *before)) {
                emit(line.raw);
                continue;
            }
            auto defining = definingLine_.find(id + '\n' + base::asciiLowered(name8));
            if (defining != definingLine_.end() && defining->second == std::pair{s, l}) {
                emit(valueLine(line.name, *now, doc_.newline));
            }
        }
    }

    void appendNewValues(const RegKey& current, const RegKey* saved) {
        for (const auto& value : current.values()) {
            if (saved && saved->findValue(value.name)) continue;
            emit(valueLine(fromCodePage(value.name), value, doc_.newline));
        }
    }

    // Writes the keys below `key` that the file does not hold yet; `id` is the key's id, so
    // that each sub-key's id costs one name, not the whole path again.
    void appendNewKeys(const RegKey& key, std::vector<std::string>& path, const std::string& id) {
        const bool wanted =
            path.empty() ? !key.values().empty() : !key.values().empty() || key.subKeys().empty();
        if (wanted && writtenKeys_.count(id) == 0) {
            // A blank line before the new section, unless one is there already: the one a
            // section deleted since left behind, which would otherwise pile up.
            if (!endsWithBlankLine()) emit(doc_.newline);
            emit(formatKeyLines(unicodePath(path), now_, doc_.newline));
            for (const auto& value : key.values()) {
                emit(valueLine(fromCodePage(value.name), value, doc_.newline));
            }
        }
        for (const auto& sub : key.subKeys()) {
            path.push_back(sub->name());
            appendNewKeys(*sub, path, id + base::asciiLowered(sub->name()) + '\\');
            path.pop_back();
        }
    }

    bool endsWithBlankLine() const {
        const std::string twice = doc_.newline + doc_.newline;
        return out_.size() >= twice.size() &&
               out_.compare(out_.size() - twice.size(), twice.size(), twice) == 0;
    }

    // The Unicode names of a path: those of keys the file already names, so that a new
    // key below a key whose name has no Windows-1252 form lands under that very key.
    std::vector<std::u16string> unicodePath(const std::vector<std::string>& path) const {
        std::vector<std::u16string> out;
        std::string id;
        for (const auto& name : path) {
            id += base::asciiLowered(name);
            id += '\\';
            auto known = unicodeNames_.find(id);
            out.push_back(known != unicodeNames_.end() ? known->second : fromCodePage(name));
        }
        return out;
    }

    const WineRegDocument& doc_;
    const RegKey& current_;
    const RegKey& saved_;
    std::int64_t now_;
    std::vector<std::vector<std::string>> paths8_;
    std::map<std::string, std::size_t> lastSection_;
    std::map<std::string, std::pair<std::size_t, std::size_t>> definingLine_;
    std::map<std::string, std::u16string> unicodeNames_;
    std::set<std::string> writtenKeys_;
    std::string out_;
};

}  // namespace

std::vector<std::uint8_t> dataToCodePage(std::uint32_t type,
                                         const std::vector<std::uint8_t>& data) {
    if (!isStringType(type)) return data;
    const std::string text = wine::toCodePage(fromUtf16Bytes(data));
    return {text.begin(), text.end()};
}

std::vector<std::uint8_t> dataFromCodePage(std::uint32_t type,
                                           const std::vector<std::uint8_t>& data) {
    if (!isStringType(type)) return data;
    return toUtf16Bytes(fromCodePage(std::string(data.begin(), data.end())));
}

void loadHive(const WineRegDocument& document, RegKey& root) {
    for (const auto& section : document.sections) {
        RegKey* key = &root;
        for (const auto& name : section.path) key = &key->addSubKey(wine::toCodePage(name));
        for (const auto& line : section.lines) {
            if (line.kind != LineKind::Value) continue;
            key->setValue(RegValue{wine::toCodePage(line.name), line.type,
                                   dataToCodePage(line.type, line.data)});
        }
    }
}

std::string renderHive(const WineRegDocument& document, const RegKey& current, const RegKey& saved,
                       std::int64_t nowSeconds) {
    return HiveRenderer(document, current, saved, nowSeconds).render();
}

std::unique_ptr<RegKey> cloneTree(const RegKey& root) {
    auto copy = std::make_unique<RegKey>(root.name());
    copyInto(root, *copy);
    return copy;
}

bool sameTree(const RegKey& a, const RegKey& b) {
    if (a.name() != b.name() || a.values() != b.values()) return false;
    if (a.subKeys().size() != b.subKeys().size()) return false;
    for (std::size_t i = 0; i < a.subKeys().size(); ++i) {
        if (!sameTree(*a.subKeys()[i], *b.subKeys()[i])) return false;
    }
    return true;
}

}  // namespace quenor::reg::wine
