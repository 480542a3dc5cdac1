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
    try {
        registry.Value(value);
    } catch (const ToolError&) {
        if (const std::string cause = tool.services.registry.lastFailure(); !cause.empty())
            writeFailureLog(tool, "setRegistryValue failed - " + cause);
        throw;
    }
    writeLog(tool, "setRegistryValue done - OK");
}

TaggedValue getRegistryValue(Tool& tool, const TaggedValue& root, const TaggedValue& keyPath,
                             const TaggedValue& valueName) {
    writeLog(tool, "getRegistryValue start...");
    writeLog(tool, " " + root.text() + "_" + keyPath.text() + "_" + valueName.text());
    cRegistry registry = makeRegistry(tool);
    registry.ClassKey(asUnsigned32(root));
    registry.SectionKey(keyPath.text());
    registry.ValueKey(valueName.text());
    registry.ValueType(1);
    TaggedValue result = registry.Value();
    writeLog(tool, "getRegistryValue done");
    return result;
}

}  // namespace quenor
