#pragma once

// Helpers for tests that run against the registry of the Windows system (under Wine in CI):
// a scratch key per test, removed afterwards in both views, and Windows' own reg.exe to read
// back what the code under test wrote.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace quenor::reg::windows::testing {

// Runs a command line through the command interpreter and returns what it printed.
inline std::string runCommand(const std::string& commandLine) {
    std::string output;
    FILE* pipe = _popen(commandLine.c_str(), "rb");
    if (pipe == nullptr) return output;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    _pclose(pipe);
    return output;
}

// `reg query "<key>" /v "<name>"` (or /ve for the unnamed value): the line that shows the
// value ("    Name    REG_SZ    data"), with its blanks squeezed to one, or "" when reg.exe
// found no such value. `view` is "" (the program's own view), "32" or "64".
inline std::string regQueryLine(const std::string& key, const std::string& name,
                                const std::string& view = "") {
    std::string command = "reg query \"" + key + "\" ";
    command += name.empty() ? "/ve" : "/v \"" + name + "\"";
    if (!view.empty()) command += " /reg:" + view;
    command += " 2>nul";
    // reg.exe prints nothing on stdout only for a missing value; under a loaded Wine its
    // output is now and then lost on the way through the pipe, so an empty answer is asked
    // for again before it counts.
    std::string output;
    for (int attempt = 0; attempt < 3 && output.empty(); ++attempt) output = runCommand(command);
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        std::string line = output.substr(start, end - start);
        start = end + 1;
        if (line.rfind("    ", 0) != 0) continue;  // value lines are indented
        std::string squeezed;
        for (char c : line) {
            if (c == '\r') continue;
            if (c == ' ' && (squeezed.empty() || squeezed.back() == ' ')) continue;
            squeezed += c;
        }
        while (!squeezed.empty() && squeezed.back() == ' ') squeezed.pop_back();
        return squeezed;
    }
    return "";
}

// True when the key exists in the given view ("32" or "64").
inline bool keyExistsInView(HKEY root, const std::string& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

inline void deleteTree(HKEY root, const std::string& path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
        RegDeleteTreeA(key, nullptr);
        RegCloseKey(key);
        RegDeleteKeyExA(root, path.c_str(), view, 0);
    }
}

// A key path under Software unique to this test program and test, cleaned up in both views
// of HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE before and after the test.
class ScratchKeyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::string("Software\\QuenorTest\\") + std::to_string(GetCurrentProcessId()) + "_" +
               info->test_suite_name() + "_" + info->name();
        for (char& c : path) {
            if (c == '/') c = '_';
        }
        cleanUp();
    }
    void TearDown() override { cleanUp(); }

    void cleanUp() {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            deleteTree(root, path, KEY_WOW64_32KEY);
            deleteTree(root, path, KEY_WOW64_64KEY);
        }
    }

    std::string path;
};

}  // namespace quenor::reg::windows::testing
