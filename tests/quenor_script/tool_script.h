#pragma once

#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/message_box.h"
#include "core/testing/scripted_message_boxes.h"
#include "window/quenor_window.h"

namespace quenor::app::script {

// A script of what a user does with the tool, one step per line ('#' starts a comment):
//   start                  start the tool as its program does (Form_Load)
//   answer Yes|No|Ok|Cancel|Retry|Closed
//                          the answer to the next message box (queue it before the step
//                          that shows the box)
//   click NAME [INDEX]     a button or label, or member INDEX of an option array
//   type NAME TEXT         replace a text box's text (TEXT runs to the end of the line)
//   pick NAME ENTRY        choose entry ENTRY (from 0) of a drop-down list
//   close                  close the window (Form_Unload)
struct Step {
    enum class Kind { Start, Answer, Click, Type, Pick, Close };
    Kind kind = Kind::Start;
    int line = 0;
    std::string control;
    int number = -1;  // the option index of a click, the entry of a pick
    std::string text;
    MessageAnswer answer = MessageAnswer::Ok;
};

// A script that cannot be read or a step that failed; the text names the script and line.
class ScriptError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads a script; `source` names it in errors.
std::vector<Step> parseScript(std::string_view text, std::string_view source);

// Runs the steps against the tool: `start` starts it and returns its window's behaviour, or
// null when it ended without a window. Answers go to `boxes`; every box shown is written to
// `out` as one line, "box: TITLE". Throws ScriptError naming the step that failed: input
// the window refused, a box without an answer, a failed start, or answers left unused at
// the end. The window is closed at the end if the script did not close it.
void runScript(const std::vector<Step>& steps, std::string_view source,
               const std::function<ui::Quenor*()>& start,
               quenor::testing::ScriptedMessageBoxes& boxes, std::ostream& out);

}  // namespace quenor::app::script
