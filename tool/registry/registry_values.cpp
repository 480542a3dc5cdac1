#include "tool/registry/registry_values.h"

#include "core/operation_log.h"
#include "core/tool_error.h"
#include "tool/registry/c_registry.h"

namespace quenor {

namespace {

std::uint32_t asUnsigned32(const TaggedValue& value) {
    return static_cast<std::uint32_t>(value.integer().value_or(0));
}

cRegistry makeRegistry(Tool& tool) {
    return cRegistry(tool.services.registry, tool.services.environment, tool.services.programName);
}

}  // namespace

void setRegistryValue(Tool& tool, const TaggedValue& root, const TaggedValue& keyPath,
                      const TaggedValue& valueName, const TaggedValue& valueType,
                      const TaggedValue& value) {
    writeLog(tool, "setRegistryValue start");
    writeLog(tool, root.text() + "_" + keyPath.text() + "_" + valueName.text() + "_" +
                       valueType.text() + "_" + value.text());
    cRegistry registry = makeRegistry(tool);
    registry.ClassKey(asUnsigned32(root));
    registry.SectionKey(keyPath.text());
    registry.ValueKey(valueName.text());
    registry.ValueType(asUnsigned32(valueType));
    registry.Value(value);
    writeLog(tool, "setRegistryValue done - OK");
}

void saveRegistryValues(Tool& tool, RegistryChange& registry) {
    try {
        registry.commit();
    } catch (const ToolError& error) {
        writeFailureLog(tool, "Saving the registry failed - " + error.description());
        throw;
    }
}

TaggedValue readRegistryValue(const PlatformServices& services, std::uint32_t root,
                              const std::string& keyPath, const std::string& valueName,
                              const std::function<void(const std::string&)>& log) {
    if (log) {
        log("getRegistryValue start...");
        log(" " + std::to_string(static_cast<std::int32_t>(root)) + "_" + keyPath + "_" +
            valueName);
    }
    cRegistry registry(services.registry, services.environment, services.programName);
    registry.ClassKey(root);
    registry.SectionKey(keyPath);
    registry.ValueKey(valueName);
    registry.ValueType(reg::kSz);
    TaggedValue result = registry.Value();
    if (log) log("getRegistryValue done");
    return result;
}

TaggedValue getRegistryValue(Tool& tool, const TaggedValue& root, const TaggedValue& keyPath,
                             const TaggedValue& valueName) {
    return readRegistryValue(tool.services, asUnsigned32(root), keyPath.text(), valueName.text(),
                             [&tool](const std::string& line) { writeLog(tool, line); });
}

}  // namespace quenor
