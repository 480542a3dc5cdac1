#include "core/testing/tool_fixture.h"

namespace quenor::testing {

ToolFixture::ToolFixture(reg::RegistryStore& registry, MessageBoxes* boxes) {
    tool_ = std::make_unique<Tool>(PlatformServices{files, clock, format, environment, system,
                                                    boxes ? *boxes : ownBoxes, registry,
                                                    reg::liveRegistry(), folder_.str(), "quenor"});
}

std::vector<std::string> ToolFixture::logMessages() const {
    const std::string content = log();
    if (content == "<missing>") return {};
    const std::string prefix = std::string(kFixedStamp) + "     ";
    std::vector<std::string> messages;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t end = content.find("\r\n", pos);
        if (end == std::string::npos) throw std::runtime_error("log line without CR LF");
        std::string line = content.substr(pos, end - pos);
        // A line without the stamp can only be the empty line after a CR LF message.
        if (line.compare(0, prefix.size(), prefix) == 0) {
            line.erase(0, prefix.size());
        } else if (!line.empty()) {
            throw std::runtime_error("log line without time stamp: " + line);
        }
        messages.push_back(line);
        pos = end + 2;
    }
    return messages;
}

}  // namespace quenor::testing
