#include "lib/registry/wine/hive_renderer.h"

#include <map>
#include <stdexcept>
#include <unordered_map>

#include "lib/base/ascii.h"
#include "lib/registry/wine/stored_value.h"
#include "lib/registry/wine/wine_hive.h"
#include "lib/registry/wine/wine_text.h"

namespace quenor::reg::wine {

namespace {

bool isBlankLine(const std::string& raw) {
    return raw.find_first_not_of(" \t\r\n\v\f") == std::string::npos;
}

// The lines of an edited key as the file holds them: every section of it, parsed.
struct KeyLines {
    std::map<std::uint32_t, WineSection> sections;  // by section number
    RegKey values{""};                              // as the hive reads them (readValues)
    // The line that defines each value (its last one in the file), by lowered name.
    std::map<std::string, std::pair<std::uint32_t, std::size_t>> definingLine;
};

class HiveRenderer {
  public:
    HiveRenderer(const WineHive& hive, const RegKey& current, std::int64_t nowSeconds,
                 HiveIndex::Layout* layout)
        : hive_(hive), index_(hive.index()), current_(current), now_(nowSeconds), layout_(layout) {}

    std::string render() {
        out_.reserve(hive_.text().size() + 4096);
        collectReached();
        states_.assign(index_.keyCount(), State::Unknown);
        copy(0, index_.preambleEnd(), HiveIndex::kNone);
        for (std::uint32_t s = 0; s < index_.sections().size(); ++s) {
            const HiveIndex::Section& section = index_.sections()[s];
            switch (stateOf(section.key)) {
                case State::Unchanged:
                    copy(section.start, index_.sectionEnd(s), s);
                    break;
                case State::Reached:
                    renderSection(s, *reached_.at(section.key));
                    break;
                default:
                    break;  // the key was deleted
            }
        }
        if (layout_) {
            for (std::uint32_t k = 0; k < states_.size(); ++k) {
                if (states_[k] == State::Deleted) layout_->deletedKeys.push_back(k);
            }
        }
        appendNewKeys(current_, true);
        flush();
        if (addedFrom_ != std::string::npos)
            record({HiveIndex::Piece::Kind::Added, addedFrom_, out_.size(), 0, 0, 0});
        // A file whose last line had no line end (cut short, or edited by hand) gets one when
        // anything in it changes; saved unchanged, it stays byte for byte as it was.
        if (!out_.empty() && out_.back() != '\n' && out_ != hive_.text()) endLine();
        return std::move(out_);
    }

  private:
    enum class State : std::uint8_t { Unknown, Unchanged, Reached, Deleted };

    // The keys of the file that are in memory: loaded ones may have changed.
    void collectReached() {
        std::vector<std::pair<const RegKey*, std::uint32_t>> todo{{&current_, 0}};
        while (!todo.empty()) {
            const auto [key, keyNumber] = todo.back();
            todo.pop_back();
            reached_[keyNumber] = key;
            if (!key->isLoaded()) continue;
            for (const auto& sub : key->subKeys()) {
                if (sub->source() == &hive_) todo.emplace_back(sub.get(), sub->numberInSource());
            }
        }
    }

    // A key in memory is rewritten when it was edited; one only loaded (read) is copied as it
    // is. A key not in memory is unchanged when its nearest ancestor in memory was not edited,
    // and deleted when it was: a loaded key holds every sub-key that was not deleted, so a
    // sub-key missing from it was removed, which edits it.
    State stateOf(std::uint32_t k) {
        std::vector<std::uint32_t> below;
        std::uint32_t at = k;
        while (states_[at] == State::Unknown) {
            if (const auto found = reached_.find(at); found != reached_.end()) {
                states_[at] = found->second->isEdited() ? State::Reached : State::Unchanged;
                break;
            }
            below.push_back(at);
            at = index_.key(at).parent;
        }
        State above = states_[at];
        for (auto key = below.rbegin(); key != below.rend(); ++key) {
            above = above == State::Unchanged ? State::Unchanged : State::Deleted;
            states_[*key] = above;
        }
        return states_[k];
    }

    // Appends whole lines. Only the last line of a file can lack its line end; anything
    // written after it starts on a line of its own, so no line runs into the next.
    void emit(std::string_view lines) {
        flush();
        if (lines.empty()) return;
        startLine();
        out_ += lines;
    }
    // Lines of the file kept as they are (the lines before the first key, or section s),
    // gathered into one piece while they follow each other.
    void copy(std::size_t from, std::size_t to, std::uint32_t s) {
        if (from == to) return;
        if (pendingEnd_ != from) flush();
        if (pendingFrom_ == pendingEnd_) {
            pendingFrom_ = from;
            pendingSections_ = 0;
            pendingFirstSection_ = s;
        }
        if (s != HiveIndex::kNone) {
            if (pendingSections_ == 0) pendingFirstSection_ = s;
            ++pendingSections_;
        }
        pendingEnd_ = to;
    }
    void flush() {
        if (pendingFrom_ == pendingEnd_) return;
        const std::string_view piece =
            std::string_view(hive_.text()).substr(pendingFrom_, pendingEnd_ - pendingFrom_);
        const std::size_t oldStart = pendingFrom_;
        pendingFrom_ = pendingEnd_ = 0;
        startLine();
        const std::size_t at = out_.size();
        out_ += piece;
        record({HiveIndex::Piece::Kind::Copied, at, out_.size(), oldStart, pendingFirstSection_,
                pendingSections_});
    }
    // Lines written from here start on a line of their own.
    void startLine() {
        if (!out_.empty() && out_.back() != '\n') endLine();
    }
    void record(const HiveIndex::Piece& piece) {
        if (layout_) layout_->pieces.push_back(piece);
    }

    // Ends a last line that had no line end. One that ends in a lone CR (its CR LF cut short)
    // gets the LF alone: a CR more would stay in the line's text when it is read again.
    void endLine() { out_ += out_.back() == '\r' ? std::string("\n") : newline(); }
    const std::string& newline() const { return index_.facts().newline; }

    const KeyLines& linesOf(std::uint32_t k) {
        auto [place, added] = files_.try_emplace(k);
        KeyLines& file = place->second;
        if (!added) return file;
        hive_.readValues(k, file.values);
        for (std::uint32_t s = index_.key(k).firstSection; s != HiveIndex::kNone;
             s = index_.sections()[s].nextOfKey) {
            const std::size_t start = index_.sections()[s].start;
            auto parts = parseWineSections(
                std::string_view(hive_.text()).substr(start, index_.sectionEnd(s) - start),
                hive_.fileName());
            const auto& lines = parts.front().lines;
            for (std::size_t l = 0; l < lines.size(); ++l) {
                if (lines[l].kind != LineKind::Value) continue;
                file.definingLine[base::asciiLowered(toCodePage(lines[l].name))] = {s, l};
            }
            file.sections.emplace(s, std::move(parts.front()));
        }
        return file;
    }

    void renderSection(std::uint32_t s, const RegKey& current) {
        const std::uint32_t k = index_.sections()[s].key;
        const KeyLines& file = linesOf(k);
        const WineSection& section = file.sections.at(s);  // s is one of k's sections
        const bool lastOfKey = index_.lastSection(k) == s;

        std::size_t insertAt = 0;
        for (std::size_t l = 0; l < section.lines.size(); ++l) {
            if (!isBlankLine(section.lines[l].raw)) insertAt = l + 1;
        }
        flush();
        startLine();
        const std::size_t start = out_.size();
        emit(section.keyLine);
        for (std::size_t l = 0; l <= section.lines.size(); ++l) {
            if (l == insertAt && lastOfKey) appendNewValues(current, file.values);
            if (l == section.lines.size()) break;
            const auto& line = section.lines[l];
            if (line.kind != LineKind::Value) {
                emit(line.raw);
                continue;
            }
            const std::string name8 = toCodePage(line.name);
            const RegValue* now = current.findValue(name8);
            const RegValue* before = file.values.findValue(name8);
            if (!now) continue;  // deleted
            if (before && sameValue(*now, *before)) {
                emit(line.raw);
                continue;
            }
            const auto defining = file.definingLine.find(base::asciiLowered(name8));
            if (defining != file.definingLine.end() && defining->second == std::pair{s, l}) {
                emit(valueLineOf(line.name, *now, newline()));
            }
        }
        record({HiveIndex::Piece::Kind::Rewritten, start, out_.size(), 0, s, 1});
    }

    void appendNewValues(const RegKey& current, const RegKey& saved) {
        for (const auto& value : current.values()) {
            if (saved.findValue(value.name)) continue;
            emit(valueLineOf(fromCodePage(value.name), value, newline()));
        }
    }

    bool fromFile(const RegKey& key) const { return key.source() == &hive_; }

    // Writes the keys below `key` (the root when isRoot) that the file does not hold yet; keys
    // of the file that were never loaded are unchanged, and so is everything below them.
    void appendNewKeys(const RegKey& key, bool isRoot) {
        const bool ownsLines = isRoot || fromFile(key);
        const std::uint32_t keyNumber = isRoot ? 0 : key.numberInSource();
        const bool wanted =
            isRoot ? !key.values().empty() : !key.values().empty() || key.subKeys().empty();
        const bool written = ownsLines && index_.key(keyNumber).firstSection != HiveIndex::kNone;
        if (wanted && !written) {
            if (addedFrom_ == std::string::npos) {
                flush();
                startLine();
                addedFrom_ = out_.size();
            }
            // A blank line before the new section, unless one is there already: the one a
            // section deleted since left behind, which would otherwise pile up.
            if (!endsWithBlankLine()) emit(newline());
            emit(formatKeyLines(pathOfVisited(), now_, newline()));
            for (const auto& value : key.values()) {
                emit(valueLineOf(fromCodePage(value.name), value, newline()));
            }
        }
        for (const auto& sub : key.subKeys()) {
            if (fromFile(*sub) && !sub->isLoaded()) continue;
            visited_.push_back(sub.get());
            appendNewKeys(*sub, false);
            visited_.pop_back();
        }
    }

    // The Unicode path of the key being visited, looked up only when a section is written for
    // it: the keys of the file (the first ones on the way) as one of its key lines spells them,
    // the keys made in memory from their 8-bit names. Naming each key on the way as it is
    // reached would read a key line per key, which a deep path makes quadratic.
    std::vector<std::u16string> pathOfVisited() const {
        std::size_t fileKeys = 0;
        while (fileKeys < visited_.size() && fromFile(*visited_[fileKeys])) ++fileKeys;
        std::vector<std::u16string> path;
        if (fileKeys > 0) path = hive_.unicodePath(visited_[fileKeys - 1]->numberInSource());
        for (std::size_t i = fileKeys; i < visited_.size(); ++i)
            path.push_back(fromCodePage(visited_[i]->name()));
        return path;
    }

    bool endsWithBlankLine() {
        flush();
        const std::string twice = newline() + newline();
        return out_.size() >= twice.size() &&
               out_.compare(out_.size() - twice.size(), twice.size(), twice) == 0;
    }

    const WineHive& hive_;
    const HiveIndex& index_;
    const RegKey& current_;
    std::int64_t now_;
    std::unordered_map<std::uint32_t, const RegKey*> reached_;
    std::vector<const RegKey*> visited_;  // the keys from the root's sub-key to the one visited
    std::vector<State> states_;
    std::map<std::uint32_t, KeyLines> files_;
    HiveIndex::Layout* layout_;
    std::size_t pendingFrom_ = 0;
    std::uint32_t pendingFirstSection_ = 0;
    std::uint32_t pendingSections_ = 0;
    std::size_t addedFrom_ = std::string::npos;
    std::size_t pendingEnd_ = 0;
    std::string out_;
};

}  // namespace

std::string renderHive(const WineHive& hive, const RegKey& current, std::int64_t nowSeconds,
                       HiveIndex::Layout* layout) {
    return HiveRenderer(hive, current, nowSeconds, layout).render();
}

}  // namespace quenor::reg::wine
