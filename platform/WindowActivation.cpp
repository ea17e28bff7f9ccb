#include "platform/WindowActivation.h"

#include "framework/UWindowSystem.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    xcb_atom_t atom = reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

xcb_window_t RootOf(xcb_connection_t* connection, xcb_window_t window)
{
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    xcb_window_t root = tree != nullptr ? tree->root : static_cast<xcb_window_t>(XCB_WINDOW_NONE);
    std::free(tree);
    return root;
}

// Asks the window manager, as the application (source 1) and at the launch's time, to activate window.
void RequestActiveWindow(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window, uint32_t time)
{
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Atom(connection, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 1;
    event.data.data32[1] = time;
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
        reinterpret_cast<const char*>(&event));
}

// Ends the launcher's startup notification (its busy cursor and task bar entry): the launch it announced
// ended in this program's window.
void EndStartupNotification(
    xcb_connection_t* connection, xcb_window_t root, xcb_window_t window, const std::string& startupId)
{
    std::string message = "remove: ID=\"" + startupId + "\"";
    message.push_back('\0');
    xcb_atom_t begin = Atom(connection, "_NET_STARTUP_INFO_BEGIN");
    xcb_atom_t more = Atom(connection, "_NET_STARTUP_INFO");
    for (size_t sent = 0; sent < message.size(); sent += 20) {
        xcb_client_message_event_t event {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = window;
        event.type = sent == 0 ? begin : more;
        std::memcpy(event.data.data8, message.data() + sent, std::min<size_t>(20, message.size() - sent));
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE, reinterpret_cast<const char*>(&event));
    }
}

}

std::optional<uint32_t> WindowActivation::StartupTime(const std::string& startupId)
{
    size_t at = startupId.rfind("_TIME");
    if (at == std::string::npos)
        return std::nullopt;
    std::string_view digits = std::string_view(startupId).substr(at + 5);
    uint32_t time = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), time);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty())
        return std::nullopt;
    return time;
}

void WindowActivation::Activate(QWidget& window, const std::string& startupId, const std::string& activationToken)
{
    // Qt's Wayland client hands this token to the compositor at the window's next activation request, and
    // then forgets it.
    if (UWindowSystem::IsWayland() && !activationToken.empty())
        qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(activationToken));
    window.raise();
    window.activateWindow();
    if (UWindowSystem::IsWayland() || startupId.empty())
        return;
    // Qt asks for the focus with the time of the last event it saw, which a window manager may find older
    // than the user's last click elsewhere; the launcher's time is that of the user's request.
    if (qGuiApp == nullptr || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return;
    auto id = static_cast<xcb_window_t>(window.winId());
    xcb_window_t root = RootOf(connection, id);
    if (root == XCB_WINDOW_NONE)
        return;
    if (std::optional<uint32_t> time = StartupTime(startupId))
        RequestActiveWindow(connection, root, id, *time);
    EndStartupNotification(connection, root, id, startupId);
    xcb_flush(connection);
}
