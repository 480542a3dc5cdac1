#include "window/terminal/terminal_message_boxes.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quenor::ui::terminal {
namespace {

const MessageBoxRequest kQuestion{"Apply changes?", "Are you sure?\rReally.", MessageButtons::YesNo,
                                  MessageIcon::None, 0};
const MessageBoxRequest kReset{"Reset all changes?", "Sure?", MessageButtons::OkCancel,
                               MessageIcon::None, 0};

TEST(TerminalMessageBoxes, QuestionsAreAskedAnsweredByYesOrTakenAsNo) {
    struct Case {
        const char* name;
        std::string typed;
        bool interactive;
        bool answerYes;
        MessageAnswer apply;
        MessageAnswer reset;
        bool unasked;
    };
    const Case cases[] = {
        {"answered y", "y\nYES\n", true, false, MessageAnswer::Yes, MessageAnswer::Ok, false},
        {"answered n", "n\nyeah\n", true, false, MessageAnswer::No, MessageAnswer::Cancel, false},
        {"input ended", "", true, false, MessageAnswer::No, MessageAnswer::Cancel, false},
        {"--yes", "", false, true, MessageAnswer::Yes, MessageAnswer::Ok, false},
        {"no terminal", "y\ny\n", false, false, MessageAnswer::No, MessageAnswer::Cancel, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::istringstream in(c.typed);
        std::ostringstream out;
        std::ostringstream errors;
        TerminalMessageBoxes boxes(in, out, errors, c.interactive, c.answerYes);
        EXPECT_EQ(boxes.show(kQuestion), c.apply);
        EXPECT_EQ(boxes.show(kReset), c.reset);
        EXPECT_EQ(boxes.unasked().has_value(), c.unasked);
        if (c.unasked) {
            EXPECT_EQ(*boxes.unasked(), "Apply changes?");
        }
        EXPECT_NE(out.str().find("Apply changes?\n  Are you sure?\n  Really.\n"), std::string::npos)
            << out.str();
        EXPECT_TRUE(errors.str().empty());
    }
}

TEST(TerminalMessageBoxes, TextsKeepTheirLineBreaksOnATerminal) {
    EXPECT_EQ(terminalLines("Wine is running for /p12.\rWhile it runs...\r\rClose NHL 09"),
              "Wine is running for /p12.\nWhile it runs...\n\nClose NHL 09");
    EXPECT_EQ(terminalLines("a\r\nb"), "a\nb");
}

// Only a player at the terminal waits again; a script never waits without end.
TEST(TerminalMessageBoxes, OnlyAPlayerAtTheTerminalRetries) {
    const MessageBoxRequest busy{"NHL 09 is being changed", "Another Quenor...",
                                 MessageButtons::RetryCancel, MessageIcon::Exclamation, 0};
    struct Case {
        const char* name;
        std::string typed;
        bool interactive;
        bool answerYes;
        MessageAnswer answer;
    };
    const Case cases[] = {
        {"answered r", "r\n", true, false, MessageAnswer::Retry},
        {"answered anything else", "y\n", true, false, MessageAnswer::Cancel},
        {"--yes", "r\n", true, true, MessageAnswer::Cancel},
        {"no terminal", "r\n", false, false, MessageAnswer::Cancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::istringstream in(c.typed);
        std::ostringstream out;
        std::ostringstream errors;
        TerminalMessageBoxes boxes(in, out, errors, c.interactive, c.answerYes);
        EXPECT_EQ(boxes.show(busy), c.answer);
        EXPECT_FALSE(boxes.unasked()) << "a refusal to wait is no unanswered question";
        boxes.note("waiting up to 10 seconds");
        EXPECT_EQ(errors.str(), "waiting up to 10 seconds\n");
    }
}

// The printed answer names who gave it: the player's --yes, or quenorctl run for a launcher.
TEST(TerminalMessageBoxes, AnAnswerGivenForThePlayerSaysWhoGaveIt) {
    const MessageBoxRequest ask{"Apply changes?", "Sure?", MessageButtons::YesNo, MessageIcon::None,
                                0};
    const MessageBoxRequest busy{"NHL 09 is being changed", "Another Quenor...",
                                 MessageButtons::RetryCancel, MessageIcon::Exclamation, 0};
    for (const char* by : {"--yes", "quenorctl run"}) {
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream errors;
        TerminalMessageBoxes boxes(in, out, errors, false, true, by);
        boxes.show(ask);
        boxes.show(busy);
        EXPECT_NE(out.str().find("[y/N] y (" + std::string(by) + ")\n"), std::string::npos)
            << out.str();
        EXPECT_NE(out.str().find("[r/C] c (" + std::string(by) + ": no longer wait)\n"),
                  std::string::npos)
            << out.str();
    }
}

TEST(TerminalMessageBoxes, AFailureBoxGoesToTheErrorsAndIsRemembered) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream errors;
    TerminalMessageBoxes boxes(in, out, errors, false, false);
    EXPECT_EQ(boxes.show({"All done!", "Changes have been applied.", MessageButtons::Ok,
                          MessageIcon::None, 0}),
              MessageAnswer::Ok);
    EXPECT_FALSE(boxes.failed());
    boxes.show({"Quenor - operation failed", "Could not take sgsm1.cfg out.", MessageButtons::Ok,
                MessageIcon::Critical, 0});
    EXPECT_TRUE(boxes.failed());
    EXPECT_NE(errors.str().find("Could not take sgsm1.cfg out."), std::string::npos);
    EXPECT_EQ(out.str().find("Could not"), std::string::npos);
}

}  // namespace
}  // namespace quenor::ui::terminal
