#include "X11FrameExtents.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

namespace {

// A window manager answers before it would frame anything; one that takes
// longer is not waited for, and the frame is then fitted once it is seen.
constexpr std::chrono::milliseconds AnswerTimeout{500};
constexpr std::chrono::milliseconds PollInterval{2};

struct FreeReply {
    void operator()(void* reply) const noexcept { std::free(reply); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeReply>;

enum AtomName : std::size_t { Supported, SupportingWmCheck, RequestFrameExtents, FrameExtentsAtom, AtomCount };

std::array<xcb_atom_t, AtomCount> InternAtoms(xcb_connection_t* connection)
{
    constexpr std::array<std::string_view, AtomCount> names{"_NET_SUPPORTED", "_NET_SUPPORTING_WM_CHECK",
                                                            "_NET_REQUEST_FRAME_EXTENTS", "_NET_FRAME_EXTENTS"};
    // All asked for before any answer is waited for: one round trip.
    std::array<xcb_intern_atom_cookie_t, AtomCount> cookies{};
    for (std::size_t i = 0; i < AtomCount; ++i)
        cookies[i] = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(names[i].size()), names[i].data());
    std::array<xcb_atom_t, AtomCount> atoms{};
    for (std::size_t i = 0; i < AtomCount; ++i) {
        Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookies[i], nullptr));
        atoms[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    return atoms;
}

// The 32-bit values of `property` on `window` if it has that type, at most
// `most` of them.
std::vector<std::uint32_t> Values(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                                  xcb_atom_t type, std::uint32_t most)
{
    Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, property, type, 0, most), nullptr));
    if (!reply || reply->type != type || reply->format != 32)
        return {};
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

// Whether a window manager runs and says it answers `request`. A window
// manager that has ended may have left its list behind on the root window;
// the window it names as its own is then gone or no longer names itself.
bool WindowManagerSupports(xcb_connection_t* connection, xcb_window_t root,
                           const std::array<xcb_atom_t, AtomCount>& atoms, xcb_atom_t request)
{
    const auto check = Values(connection, root, atoms[SupportingWmCheck], XCB_ATOM_WINDOW, 1);
    if (check.empty() || Values(connection, check[0], atoms[SupportingWmCheck], XCB_ATOM_WINDOW, 1) != check)
        return false;
    const auto supported = Values(connection, root, atoms[Supported], XCB_ATOM_ATOM, 4096);
    return std::find(supported.begin(), supported.end(), request) != supported.end();
}

}  // namespace

std::optional<FrameExtents> FrameExtentsBeforeMapping(QWidget& window)
{
    // Not X11: no X calls at all. The offscreen platform, too, may answer as
    // an X11 application, one without an X connection.
    if (QGuiApplication::platformName() != u"xcb")
        return std::nullopt;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return std::nullopt;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const auto atoms = InternAtoms(connection);
    if (std::find(atoms.begin(), atoms.end(), xcb_atom_t{XCB_ATOM_NONE}) != atoms.end())
        return std::nullopt;
    Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection, xcb_query_tree(connection, id), nullptr));
    if (!tree || !WindowManagerSupports(connection, tree->root, atoms, atoms[RequestFrameExtents]))
        return std::nullopt;

    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = id;
    request.type = atoms[RequestFrameExtents];
    xcb_send_event(connection, 0, tree->root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&request));
    xcb_flush(connection);

    // The answer is a property on the window. Its change arrives as an event
    // too, but events are Qt's to read, so the property is read until set.
    const auto deadline = std::chrono::steady_clock::now() + AnswerTimeout;
    do {
        const auto extents = Values(connection, id, atoms[FrameExtentsAtom], XCB_ATOM_CARDINAL, 4);
        if (extents.size() == 4)
            return FrameExtents{.Left = static_cast<int>(extents[0]),
                                .Right = static_cast<int>(extents[1]),
                                .Top = static_cast<int>(extents[2]),
                                .Bottom = static_cast<int>(extents[3])};
        std::this_thread::sleep_for(PollInterval);
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}
