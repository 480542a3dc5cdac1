// The X server's answers through libxcb and its RandR extension.
#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <stdexcept>

#include "host/x_screen.h"

namespace quenor::host {

namespace {

// A reply of libxcb, freed with free() as libxcb wants.
template <typename T>
struct Reply {
    explicit Reply(T* reply) : value(reply) {}
    ~Reply() { std::free(value); }
    Reply(const Reply&) = delete;
    Reply& operator=(const Reply&) = delete;
    T* operator->() const { return value; }
    explicit operator bool() const { return value != nullptr; }
    T* value;
};

std::string whyNotConnected(int error, const std::string& display) {
    const std::string at = "the X server at DISPLAY " + display;
    switch (error) {
        case XCB_CONN_CLOSED_PARSE_ERR:
            return "DISPLAY \"" + display + "\" names no X display";
        case XCB_CONN_CLOSED_INVALID_SCREEN:
            return "DISPLAY " + display + " names a screen its X server does not have";
        case XCB_CONN_CLOSED_EXT_NOTSUPPORTED:
        case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
        case XCB_CONN_CLOSED_REQ_LEN_EXCEED:
            return at + " closed the connection";
        default:
            return at + " cannot be reached (not running, or it refused this user)";
    }
}

class XcbServer : public XServerAnswers {
  public:
    explicit XcbServer(const std::string& display) {
        int screenNumber = 0;
        connection_ = xcb_connect(display.c_str(), &screenNumber);
        if (const int error = xcb_connection_has_error(connection_)) {
            xcb_disconnect(connection_);
            throw std::runtime_error(whyNotConnected(error, display));
        }
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int i = 0; i < screenNumber && screens.rem > 0; ++i) xcb_screen_next(&screens);
        // libxcb reads ":0.-1" as screen -1, which no server has.
        if (screenNumber < 0 || screens.rem == 0) {
            xcb_disconnect(connection_);
            throw std::runtime_error(whyNotConnected(XCB_CONN_CLOSED_INVALID_SCREEN, display));
        }
        screen_ = *screens.data;
    }
    ~XcbServer() override { xcb_disconnect(connection_); }
    XcbServer(const XcbServer&) = delete;
    XcbServer& operator=(const XcbServer&) = delete;

    std::optional<Version> randrVersion() override {
        const xcb_query_extension_reply_t* extension =
            xcb_get_extension_data(connection_, &xcb_randr_id);
        if (!extension || !extension->present) return std::nullopt;
        Reply version(xcb_randr_query_version_reply(
            connection_, xcb_randr_query_version(connection_, 1, 3), nullptr));
        if (!version) return std::nullopt;
        return Version{version->major_version, version->minor_version};
    }

    std::uint32_t primaryOutput() override {
        Reply primary(xcb_randr_get_output_primary_reply(
            connection_, xcb_randr_get_output_primary(connection_, screen_.root), nullptr));
        return primary ? primary->output : 0;
    }

    std::vector<Output> outputs() override {
        Reply resources(xcb_randr_get_screen_resources_current_reply(
            connection_, xcb_randr_get_screen_resources_current(connection_, screen_.root),
            nullptr));
        if (!resources) return {};
        timestamp_ = resources->config_timestamp;
        const xcb_randr_output_t* ids =
            xcb_randr_get_screen_resources_current_outputs(resources.value);
        const int count = xcb_randr_get_screen_resources_current_outputs_length(resources.value);
        std::vector<Output> found;
        for (int i = 0; i < count; ++i) {
            Reply info(xcb_randr_get_output_info_reply(
                connection_, xcb_randr_get_output_info(connection_, ids[i], timestamp_), nullptr));
            if (!info) continue;
            found.push_back(
                {ids[i], info->connection == XCB_RANDR_CONNECTION_CONNECTED, info->crtc});
        }
        return found;
    }

    std::optional<ScreenSize> crtcSize(std::uint32_t crtc) override {
        Reply info(xcb_randr_get_crtc_info_reply(
            connection_, xcb_randr_get_crtc_info(connection_, crtc, timestamp_), nullptr));
        if (!info) return std::nullopt;
        // RandR gives a CRTC's size on the screen, with its rotation applied.
        return ScreenSize{info->width, info->height};
    }

    ScreenSize rootSize() override { return {screen_.width_in_pixels, screen_.height_in_pixels}; }

  private:
    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t screen_{};
    xcb_timestamp_t timestamp_ = XCB_CURRENT_TIME;
};

}  // namespace

std::unique_ptr<XServerAnswers> connectToXServer(const std::string& display) {
    return std::make_unique<XcbServer>(display);
}

}  // namespace quenor::host
