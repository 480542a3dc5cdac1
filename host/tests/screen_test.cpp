// The screen the game will be shown on: the choice among an X server's outputs, against a
// double of the server's RandR answers, the bound on a server that never answers, and a Wine
// prefix's virtual desktop.
#include <gtest/gtest.h>

#include <future>
#include <map>
#include <stdexcept>

#include "host/wine_virtual_desktop.h"
#include "host/x_screen.h"
#include "lib/registry/testing/memory_store.h"

namespace quenor::host {
namespace {

// An X server as its RandR answers describe it.
struct FakeServer : XServerAnswers {
    std::optional<Version> version = Version{1, 6};
    std::uint32_t primary = 0;
    std::vector<Output> listed;
    std::map<std::uint32_t, ScreenSize> crtcs;
    ScreenSize root{640, 480};

    std::optional<Version> randrVersion() override { return version; }
    std::uint32_t primaryOutput() override { return primary; }
    std::vector<Output> outputs() override { return listed; }
    std::optional<ScreenSize> crtcSize(std::uint32_t crtc) override {
        const auto found = crtcs.find(crtc);
        if (found == crtcs.end()) return std::nullopt;
        return found->second;
    }
    ScreenSize rootSize() override { return root; }
};

TEST(XScreen, TheSizeComesFromThePrimaryOutputElseTheFirstThatShowsSomething) {
    const ScreenSize deck{1280, 800};
    const ScreenSize tv{1920, 1080};
    struct Row {
        const char* name;
        FakeServer server;
        std::optional<ScreenSize> expected;
    };
    const auto server = [](std::uint32_t primary, std::vector<XServerAnswers::Output> outputs,
                           std::map<std::uint32_t, ScreenSize> crtcs) {
        FakeServer s;
        s.primary = primary;
        s.listed = std::move(outputs);
        s.crtcs = std::move(crtcs);
        return s;
    };
    std::vector<Row> rows = {
        {"the primary output", server(2, {{1, true, 10}, {2, true, 20}}, {{10, tv}, {20, deck}}),
         deck},
        {"no primary: the first connected output with a CRTC",
         server(0, {{1, false, 10}, {2, true, 0}, {3, true, 30}, {4, true, 40}},
                {{10, tv}, {30, deck}, {40, tv}}),
         deck},
        {"a primary that shows nothing: the first that does",
         server(1, {{1, true, 0}, {2, true, 20}}, {{20, tv}}), tv},
        {"a panel mounted sideways: its CRTC's turned size",
         server(1, {{1, true, 10}}, {{10, {1280, 800}}}), ScreenSize{1280, 800}},
        {"no output shows anything: the root window", server(0, {{1, false, 0}}, {}),
         ScreenSize{640, 480}},
        {"a CRTC that is off (0 x 0) is passed over",
         server(0, {{1, true, 10}, {2, true, 20}}, {{10, {0, 0}}, {20, tv}}), tv},
    };
    FakeServer noRandr = server(1, {{1, true, 10}}, {{10, deck}});
    noRandr.version = std::nullopt;
    rows.push_back({"RandR missing: the root window", noRandr, ScreenSize{640, 480}});
    FakeServer randr12 = server(2, {{1, true, 10}, {2, true, 20}}, {{10, tv}, {20, deck}});
    randr12.version = XServerAnswers::Version{1, 2};
    rows.push_back({"RandR 1.2 has no primary: the first output", randr12, tv});
    FakeServer empty = server(0, {}, {});
    empty.root = {0, 0};
    rows.push_back({"nothing at all", empty, std::nullopt});
    for (Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(screenSizeOf(row.server), row.expected);
    }
}

TEST(XScreen, SaysWhyThereIsNoScreenAndNeverWaitsLongerThanItsBound) {
    EXPECT_EQ(xScreen(std::nullopt, kScreenWait).source, "DISPLAY is not set");
    EXPECT_EQ(xScreen(std::string(), kScreenWait).source, "DISPLAY is not set");

    const Screen refused =
        xScreen(":5", kScreenWait, [](const std::string&) -> std::unique_ptr<XServerAnswers> {
            throw std::runtime_error("the X server at DISPLAY :5 cannot be reached");
        });
    EXPECT_FALSE(refused.size);
    EXPECT_EQ(refused.source, "the X server at DISPLAY :5 cannot be reached");

    const Screen answered = xScreen(":1", kScreenWait, [](const std::string& display) {
        EXPECT_EQ(display, ":1");
        auto server = std::make_unique<FakeServer>();
        server->root = {1920, 1080};
        return std::unique_ptr<XServerAnswers>(std::move(server));
    });
    ASSERT_TRUE(answered.size);
    EXPECT_EQ(*answered.size, (ScreenSize{1920, 1080}));
    EXPECT_EQ(answered.source, "DISPLAY :1");

    // A server that accepts the connection and never answers: the question is left behind.
    auto release = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    const auto started = std::chrono::steady_clock::now();
    const Screen stuck = xScreen(":2", std::chrono::milliseconds(50),
                                 [released](const std::string&) -> std::unique_ptr<XServerAnswers> {
                                     released.wait();
                                     throw std::runtime_error("released");
                                 });
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_FALSE(stuck.size);
    EXPECT_EQ(stuck.source, "no X server answered at DISPLAY :2 within 50 ms");
    release->set_value();
}

void setText(reg::MemoryStore& store, const char* path, const char* name, std::string text) {
    reg::Handle key = 0;
    ASSERT_EQ(store.createKey(reg::kCurrentUser, path, reg::kAllAccess, key, nullptr),
              reg::kSuccess);
    text.push_back('\0');
    ASSERT_EQ(
        store.setValue(key, name, reg::kSz, reinterpret_cast<const std::uint8_t*>(text.data()),
                       static_cast<std::uint32_t>(text.size())),
        reg::kSuccess);
    store.closeKey(key);
}

TEST(WineVirtualDesktop, TheDesktopNamedInThePrefixIsTheScreen) {
    struct Row {
        const char* desktop;  // "Desktop", nullptr: not set
        const char* entry;    // the entry of Desktops it names, nullptr: none
        std::optional<ScreenSize> expected;
    };
    const Row rows[] = {
        {"Default", "1024x768", ScreenSize{1024, 768}},
        {"Game", "1280x800", ScreenSize{1280, 800}},
        {nullptr, "1024x768", std::nullopt},
        {"", "1024x768", std::nullopt},
        {"root", "1024x768", std::nullopt},  // Wine's name for the X screen itself
        {"Default", nullptr, std::nullopt},
        {"Default", "1024 x 768", std::nullopt},
        {"Default", "1024x", std::nullopt},
        {"Default", "0x768", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.desktop ? row.desktop : "(none)") + " " +
                     (row.entry ? row.entry : "(none)"));
        reg::MemoryStore store;
        if (row.desktop) setText(store, "Software\\Wine\\Explorer", "Desktop", row.desktop);
        const std::string name = row.desktop && *row.desktop ? row.desktop : "Default";
        if (row.entry)
            setText(store, "Software\\Wine\\Explorer\\Desktops", name.c_str(), row.entry);
        const std::optional<Screen> desktop = wineVirtualDesktop(store);
        ASSERT_EQ(desktop.has_value(), row.expected.has_value());
        if (!desktop) continue;
        EXPECT_EQ(desktop->size, row.expected);
        EXPECT_EQ(desktop->source, "the prefix's Wine virtual desktop \"" + name + "\"");
    }
}

}  // namespace
}  // namespace quenor::host
