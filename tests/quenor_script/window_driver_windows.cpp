// quenor-window-driver: runs a script of user steps (see tool_script.h) against the real
// quenor.exe and its Win32 window, as a user would: it starts the program, sends each click,
// text and pick to the window's controls, and presses the answer's button on each message
// box quenor.exe shows. Each box shown is printed as "box: TITLE", as quenor-script prints
// it, so that the two can be compared.
//   quenor-window-driver QUENOR_EXE SCRIPT
// Exit status: 0 when every step ran, 1 when a step failed, 2 for a usage or script error.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/quenor_script/tool_script.h"
#include "window/quenor_layout.h"
#include "window/win32/utf16_text.h"
#include "window/win32/win32_form_view.h"
#include "window/win32/win32_quenor_window.h"

namespace {

using quenor::MessageAnswer;
using quenor::app::script::ScriptError;
using quenor::app::script::Step;
using Clock = std::chrono::steady_clock;
using quenor::ui::win32::narrow;
using quenor::ui::win32::widen;

// How long one step (or the start) may take before the run is given up.
constexpr auto kStepLimit = std::chrono::seconds(60);

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// The visible top-level window of a process with a window class.
HWND findTopLevel(DWORD processId, const wchar_t* windowClass) {
    struct Search {
        DWORD processId;
        const wchar_t* windowClass;
        HWND found;
    } search{processId, windowClass, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s.processId || !IsWindowVisible(window) ||
                classOf(window) != s.windowClass)
                return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int buttonFor(MessageAnswer answer) {
    switch (answer) {
        case MessageAnswer::Ok:
            return IDOK;
        case MessageAnswer::Cancel:
            return IDCANCEL;
        case MessageAnswer::Yes:
            return IDYES;
        case MessageAnswer::No:
            return IDNO;
        case MessageAnswer::Retry:
            return IDRETRY;
        case MessageAnswer::Closed:
            break;
    }
    return 0;
}

class WindowDriver {
  public:
    WindowDriver(std::string program, std::ostream& out)
        : program_(std::move(program)), out_(out), form_(quenor::ui::buildQuenorForm()) {}

    ~WindowDriver() {
        if (process_.hProcess != nullptr) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process_.hProcess, 3);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
    }

    void queue(MessageAnswer answer) { answers_.push_back(answer); }
    std::size_t pendingAnswers() const { return answers_.size(); }

    // Starts quenor.exe and waits for its window, answering the boxes of its start-up.
    void start() {
        if (process_.hProcess != nullptr) throw std::runtime_error("the tool was started already");
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + widen(program_) + L"\"";
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process_)) {
            throw std::runtime_error("cannot start " + program_ + " (error " +
                                     std::to_string(GetLastError()) + ")");
        }
        const auto deadline = Clock::now() + kStepLimit;
        while ((window_ = findTopLevel(process_.dwProcessId,
                                       quenor::ui::win32::kQuenorWindowClass)) == nullptr) {
            answerBoxes();
            if (ended()) {
                throw std::runtime_error(program_ + " ended before its window appeared (exit " +
                                         std::to_string(exitCode()) + ")");
            }
            if (Clock::now() > deadline) throw std::runtime_error("the window did not appear");
            Sleep(20);
        }
    }

    void click(const std::string& name, int index) {
        const auto [id, control] = controlFor(name, index);
        // BN_CLICKED and STN_CLICKED are both 0: what a button or a notifying label sends.
        send(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    }

    void type(const std::string& name, const std::string& text) {
        const auto [id, control] = controlFor(name, -1);
        // The edit control tells its window of the change (EN_CHANGE), as typing does.
        const std::wstring wide = widen(text);
        perform([control = control, wide] {
            SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        });
    }

    void pick(const std::string& name, int entry) {
        const auto [id, control] = controlFor(name, -1);
        perform([this, id = id, control = control, entry] {
            if (SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(entry), 0) == CB_ERR)
                return;
            SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(control));
        });
    }

    // Closes the window as the window manager does, and waits for the program to end.
    void close() {
        if (!ended()) send(window_, WM_CLOSE, 0, 0);
        waitForEnd();
    }

    bool started() const { return process_.hProcess != nullptr; }

    void waitForEnd() {
        const auto deadline = Clock::now() + kStepLimit;
        while (!ended()) {
            answerBoxes();
            if (Clock::now() > deadline) throw std::runtime_error(program_ + " did not end");
            Sleep(20);
        }
    }

  private:
    std::pair<int, HWND> controlFor(const std::string& name, int index) {
        if (ended()) throw std::runtime_error(program_ + " has ended");
        const int id = quenor::ui::win32::controlIdOf(form_, name, index);
        HWND control = id != 0 ? GetDlgItem(window_, id) : nullptr;
        if (control == nullptr) {
            throw std::runtime_error("the window has no control " +
                                     quenor::ui::describe(quenor::ui::ControlKey{name, index}));
        }
        if (!IsWindowEnabled(control)) {
            throw std::runtime_error("the control " +
                                     quenor::ui::describe(quenor::ui::ControlKey{name, index}) +
                                     " is disabled");
        }
        return {id, control};
    }

    void send(HWND to, UINT message, WPARAM wParam, LPARAM lParam) {
        perform([=] { SendMessageW(to, message, wParam, lParam); });
    }

    // Runs a call into the window on a thread of its own (it returns only when the window
    // has handled it, modal boxes included) and answers the boxes it shows meanwhile.
    void perform(const std::function<void()>& call) {
        std::atomic<bool> done{false};
        std::thread caller([&] {
            call();
            done = true;
        });
        const auto deadline = Clock::now() + kStepLimit;
        try {
            while (!done) {
                answerBoxes();
                if (Clock::now() > deadline)
                    throw std::runtime_error("the window did not finish the step");
                Sleep(10);
            }
            answerBoxes();
        } catch (...) {
            // The call cannot return while the program hangs: end the program, then the call.
            TerminateProcess(process_.hProcess, 3);
            caller.join();
            throw;
        }
        caller.join();
    }

    // Answers every box the program shows now, each with the next queued answer.
    void answerBoxes() {
        while (HWND box = findTopLevel(process_.dwProcessId, L"#32770")) {
            wchar_t title[256] = {};
            GetWindowTextW(box, title, 256);
            out_ << "box: " << narrow(title) << '\n';
            if (answers_.empty()) {
                throw std::runtime_error("the box \"" + narrow(title) +
                                         "\" found no answer in the script");
            }
            const MessageAnswer answer = answers_.front();
            answers_.erase(answers_.begin());
            if (const int button = buttonFor(answer)) {
                HWND control = GetDlgItem(box, button);
                if (control == nullptr) {
                    throw std::runtime_error("the box \"" + narrow(title) +
                                             "\" has no button for the script's answer");
                }
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                             reinterpret_cast<LPARAM>(control));
            } else {
                PostMessageW(box, WM_CLOSE, 0, 0);
            }
            // The same box must not be answered twice.
            const auto deadline = Clock::now() + kStepLimit;
            while (IsWindow(box) && IsWindowVisible(box)) {
                if (Clock::now() > deadline) {
                    throw std::runtime_error("the box \"" + narrow(title) + "\" did not close");
                }
                Sleep(10);
            }
        }
    }

    bool ended() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }

    DWORD exitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

    std::string program_;
    std::ostream& out_;
    quenor::ui::FormModel form_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    std::vector<MessageAnswer> answers_;
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open the script " + path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.size() > 64 * 1024) throw std::runtime_error("the script " + path + " is over 64 KiB");
    return text;
}

void run(const std::vector<Step>& steps, const std::string& source, WindowDriver& driver) {
    for (const Step& step : steps) {
        const std::string at = source + ":" + std::to_string(step.line) + ": ";
        try {
            if (step.kind != Step::Kind::Start && step.kind != Step::Kind::Answer &&
                !driver.started()) {
                throw std::runtime_error("start the tool first");
            }
            switch (step.kind) {
                case Step::Kind::Start:
                    driver.start();
                    break;
                case Step::Kind::Answer:
                    driver.queue(step.answer);
                    break;
                case Step::Kind::Click:
                    driver.click(step.control, step.number);
                    break;
                case Step::Kind::Type:
                    driver.type(step.control, step.text);
                    break;
                case Step::Kind::Pick:
                    driver.pick(step.control, step.number);
                    break;
                case Step::Kind::Close:
                    driver.close();
                    break;
            }
        } catch (const std::exception& error) {
            throw ScriptError(at + error.what());
        }
    }
    if (driver.started()) driver.close();
    if (driver.pendingAnswers() != 0) {
        throw ScriptError(source + ": " + std::to_string(driver.pendingAnswers()) +
                          " answer(s) left over: the boxes they were for were not shown");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: quenor-window-driver QUENOR_EXE SCRIPT\n";
        return 2;
    }
    std::vector<Step> steps;
    try {
        steps = quenor::app::script::parseScript(readFile(argv[2]), argv[2]);
    } catch (const std::exception& error) {
        std::cerr << "quenor-window-driver: " << error.what() << '\n';
        return 2;
    }
    try {
        WindowDriver driver(argv[1], std::cout);
        run(steps, argv[2], driver);
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << "quenor-window-driver: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
