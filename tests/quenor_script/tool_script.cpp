#include "tests/quenor_script/tool_script.h"

#include <charconv>
#include <optional>
#include <sstream>

#include "window/testing/scripted_input.h"

namespace quenor::app::script {

namespace {

std::optional<MessageAnswer> answerNamed(std::string_view name) {
    struct Named {
        std::string_view name;
        MessageAnswer answer;
    };
    static constexpr Named kAnswers[] = {
        {"Ok", MessageAnswer::Ok},       {"Cancel", MessageAnswer::Cancel},
        {"Yes", MessageAnswer::Yes},     {"No", MessageAnswer::No},
        {"Retry", MessageAnswer::Retry}, {"Closed", MessageAnswer::Closed}};
    for (const Named& named : kAnswers) {
        if (named.name == name) return named.answer;
    }
    return std::nullopt;
}

std::optional<int> numberIn(std::string_view word) {
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || value < 0) return std::nullopt;
    return value;
}

// Splits off the next blank-separated word of `rest`.
std::string_view nextWord(std::string_view& rest) {
    const std::size_t start = rest.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(start);
    const std::size_t end = rest.find_first_of(" \t");
    const std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end);
    return word;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    const std::size_t end = text.find_last_not_of(" \t");
    return text.substr(start, end - start + 1);
}

class LineReader {
  public:
    LineReader(std::string_view source, int line) : source_(source), line_(line) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw ScriptError(std::string(source_) + ":" + std::to_string(line_) + ": " + what);
    }

    Step parse(std::string_view text) const {
        Step step;
        step.line = line_;
        std::string_view rest = text;
        const std::string_view command = nextWord(rest);
        if (command == "start" || command == "close") {
            step.kind = command == "start" ? Step::Kind::Start : Step::Kind::Close;
            expectEnd(rest, command);
        } else if (command == "answer") {
            step.kind = Step::Kind::Answer;
            const std::string_view name = nextWord(rest);
            const auto answer = answerNamed(name);
            if (!answer)
                fail("\"" + std::string(name) + "\" is not Yes, No, Ok, Cancel, Retry or Closed");
            step.answer = *answer;
            expectEnd(rest, command);
        } else if (command == "click") {
            step.kind = Step::Kind::Click;
            step.control = controlName(rest, command);
            if (const std::string_view index = nextWord(rest); !index.empty())
                step.number = number(index, "option index");
            expectEnd(rest, command);
        } else if (command == "pick") {
            step.kind = Step::Kind::Pick;
            step.control = controlName(rest, command);
            step.number = number(nextWord(rest), "list entry");
            expectEnd(rest, command);
        } else if (command == "type") {
            step.kind = Step::Kind::Type;
            step.control = controlName(rest, command);
            // One blank separates the name from the text; the rest is the text as it stands.
            if (!rest.empty()) rest.remove_prefix(1);
            step.text = std::string(rest);
        } else {
            fail("unknown step \"" + std::string(command) +
                 "\" (start, answer, click, type, pick or close)");
        }
        return step;
    }

  private:
    std::string controlName(std::string_view& rest, std::string_view command) const {
        const std::string_view name = nextWord(rest);
        if (name.empty()) fail(std::string(command) + " needs a control name");
        return std::string(name);
    }

    int number(std::string_view word, const char* what) const {
        const auto value = numberIn(word);
        if (!value)
            fail(std::string(what) + " \"" + std::string(word) + "\" is not a number from 0");
        return *value;
    }

    void expectEnd(std::string_view rest, std::string_view command) const {
        if (!trimmed(rest).empty()) {
            fail("unexpected \"" + std::string(trimmed(rest)) + "\" after " + std::string(command));
        }
    }

    std::string_view source_;
    int line_;
};

}  // namespace

std::vector<Step> parseScript(std::string_view text, std::string_view source) {
    std::vector<Step> steps;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (trimmed(line).empty() || trimmed(line).front() == '#') continue;
        steps.push_back(LineReader(source, lineNumber).parse(trimmed(line)));
    }
    return steps;
}

void runScript(const std::vector<Step>& steps, std::string_view source,
               const std::function<ui::Quenor*()>& start,
               quenor::testing::ScriptedMessageBoxes& boxes, std::ostream& out) {
    ui::Quenor* window = nullptr;
    std::size_t answersQueued = 0;
    std::size_t boxesReported = 0;
    const auto reportBoxes = [&] {
        for (; boxesReported < boxes.shown().size(); ++boxesReported)
            out << "box: " << boxes.shown()[boxesReported].title << '\n';
    };
    for (const Step& step : steps) {
        const LineReader at(source, step.line);
        if (step.kind == Step::Kind::Answer) {
            boxes.expect(step.answer);
            ++answersQueued;
            continue;
        }
        if (step.kind == Step::Kind::Start) {
            if (window != nullptr) at.fail("the tool was started already");
        } else if (window == nullptr) {
            at.fail("start the tool first");
        }
        try {
            switch (step.kind) {
                case Step::Kind::Start:
                    window = start();
                    if (window == nullptr) {
                        reportBoxes();
                        at.fail("the tool did not start");
                    }
                    break;
                case Step::Kind::Click:
                    ui::testing::clickControl(window->form(), step.control, step.number);
                    break;
                case Step::Kind::Type:
                    ui::testing::typeInto(window->form(), step.control, step.text);
                    break;
                case Step::Kind::Pick:
                    ui::testing::pickEntry(window->form(), step.control, step.number);
                    break;
                case Step::Kind::Close:
                    window->Form_Unload();
                    break;
                case Step::Kind::Answer:
                    break;
            }
        } catch (const ScriptError&) {
            throw;
        } catch (const std::exception& error) {
            reportBoxes();
            at.fail(error.what());
        }
        reportBoxes();
        // The tool turns a box that found no answer into its own failure box, and goes on;
        // the script stops at the first one.
        if (boxes.shown().size() > answersQueued) {
            at.fail("the box \"" + boxes.shown()[answersQueued].title +
                    "\" found no answer in the script");
        }
    }
    if (window != nullptr) window->Form_Unload();
    reportBoxes();
    if (boxes.pendingAnswers() != 0) {
        throw ScriptError(std::string(source) + ": " + std::to_string(boxes.pendingAnswers()) +
                          " answer(s) left over: the boxes they were for were not shown");
    }
}

}  // namespace quenor::app::script
