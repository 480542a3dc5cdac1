#include "tool/patching/drift.h"

#include <algorithm>

#include "core/change_plan.h"
#include "core/game_installation.h"
#include "tool/patching/keyed_lines.h"
#include "tool/patching/planned_change.h"
#include "tool/registry/registry_values.h"

namespace quenor::patching {

namespace {

std::string joined(const std::vector<std::string>& values) {
    std::string text;
    for (const std::string& value : values) text += (text.empty() ? "" : ", ") + value;
    return text;
}

void archiveDifferences(Tool& tool, const ChangePlan& plan, std::vector<Difference>& out) {
    for (const auto& [entry, values] : plan.entries) {
        const std::optional<std::string> text = plainEntryText(tool, entry);
        for (const auto& [key, value] : values) {
            if (!text) {
                out.push_back({entry + " " + key, "the entry cannot be read", value});
                continue;
            }
            // Each line that holds the key must hold the value; the ones that do not are named.
            std::vector<std::string> differing = keyedValues(*text, key);
            const bool noLine = differing.empty();
            std::erase(differing, value);
            if (noLine || !differing.empty())
                out.push_back({entry + " " + key, noLine ? "no line" : joined(differing), value});
        }
    }
}

void compareDword(Tool& tool, const std::string& keyPath, const std::string& name,
                  std::int32_t expected, std::vector<Difference>& out) {
    const TaggedValue value = readRegistryValue(tool.services, reg::kCurrentUser, keyPath, name);
    if (value.isInteger() && value.integer() == expected) return;
    std::string found = "not set";
    if (value.isInteger()) {
        found = std::to_string(*value.integer());
    } else if (!value.isEmpty()) {
        found = "\"" + value.text() + "\"";
    }
    out.push_back({name, found, std::to_string(expected)});
}

}  // namespace

std::vector<Difference> differencesFromApply(Tool& tool, const PlayerChoices& chosen) {
    std::vector<Difference> out;
    if (sizeOfOwnRefused(chosen)) {
        out.push_back(
            {"the stored size of your own",
             chosen.width + " x " + chosen.height + ", frame " + std::to_string(chosen.frame),
             "a valid size and frame"});
        return out;
    }
    const ChangePlan plan = plannedApply(chosen);
    archiveDifferences(tool, plan, out);
    for (const PlannedDword& value : plan.registry)
        compareDword(tool, value.keyPath, value.name, value.value, out);
    return out;
}

}  // namespace quenor::patching
