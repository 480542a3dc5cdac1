// quenor-script: the tool without its window, driven by a script of the user's steps (see
// tool_script.h) on this machine's real platform: the registry, files, folders, clock and
// Windows version the tool's own program would use. It exists to compare whole runs of the
// Linux and Windows builds on the same Wine prefix; message boxes are answered from the
// script, and each box shown is printed.
//   quenor-script SCRIPT
// Exit status: 0 when every step ran, 1 when a step failed, 2 for a usage or script error.

#include <exception>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "core/testing/scripted_message_boxes.h"
#include "host/start_quenor.h"
#include "tests/quenor_script/executable_path.h"
#include "tests/quenor_script/tool_script.h"

namespace {

// Scripts are a few lines; anything larger is not one.
constexpr std::streamoff kLargestScript = 64 * 1024;

std::string readScript(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open the script " + path);
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kLargestScript)
        throw std::runtime_error("the script " + path + " is not a script (over 64 KiB)");
    in.seekg(0);
    std::string text(static_cast<std::size_t>(size), '\0');
    if (!in.read(text.data(), size)) throw std::runtime_error("cannot read the script " + path);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quenor;
    if (argc != 2) {
        std::cerr << "usage: quenor-script SCRIPT\n";
        return 2;
    }
    std::vector<app::script::Step> steps;
    try {
        steps = app::script::parseScript(readScript(argv[1]), argv[1]);
    } catch (const std::exception& error) {
        std::cerr << "quenor-script: " << error.what() << '\n';
        return 2;
    }
    quenor::testing::ScriptedMessageBoxes boxes;
    std::unique_ptr<host::StartedQuenor> started;
    try {
        const std::filesystem::path executable = app::script::ownExecutablePath();
        app::script::runScript(
            steps, argv[1],
            [&]() -> ui::Quenor* {
                started = host::StartedQuenor::start(executable, files::systemFileIo(), boxes);
                return started ? &started->window() : nullptr;
            },
            boxes, std::cout);
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << "quenor-script: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
