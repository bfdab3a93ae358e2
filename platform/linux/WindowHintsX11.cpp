// Window-manager hints the toolkit has no call for, set through the toolkit's own X connection,
// and the one look at other programs' windows: whether a menu is open.
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/linux/LinuxPlatform.h"

namespace kelvo {
namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(strlen(name)), name),
                              nullptr),
        &std::free);
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// A window the manager has taken over (normal or iconic) carries WM_STATE; a withdrawn one
// does not, or has it at 0.
bool isManaged(xcb_connection_t* c, xcb_window_t w) {
    const xcb_atom_t wmState = atom(c, "WM_STATE");
    Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, wmState, wmState, 0, 1), nullptr),
        &std::free);
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) < 4)
        return false;
    return *static_cast<const uint32_t*>(xcb_get_property_value(r.get())) != 0;
}

xcb_window_t rootOf(xcb_connection_t* c, xcb_window_t w) {
    Reply<xcb_get_geometry_reply_t> r(xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr),
                                      &std::free);
    return r ? r->root : xcb_window_t{XCB_WINDOW_NONE};
}

// A request about window `w` to the window manager, which listens on the root.
void messageToManager(xcb_connection_t* c, xcb_window_t w, xcb_atom_t type,
                      const std::array<uint32_t, 5>& data) {
    const xcb_window_t root = rootOf(c, w);
    if (type == XCB_ATOM_NONE || root == XCB_WINDOW_NONE)
        return;
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = w;
    ev.type = type;
    std::copy(data.begin(), data.end(), ev.data.data32);
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
}

// The managed window's state belongs to the window manager: ask it.
void requestState(xcb_connection_t* c, xcb_window_t w, xcb_atom_t netWmState, xcb_atom_t state,
                  bool on) {
    // _NET_WM_STATE_ADD or _REMOVE; the last 1: from a normal application.
    messageToManager(c, w, netWmState, {on ? 1u : 0u, state, 0, 1, 0});
}

// A withdrawn window's state is read by the manager when it is mapped: edit the property,
// keeping the states the toolkit put there.
void editStateProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t netWmState, xcb_atom_t state,
                       bool on) {
    Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, netWmState, XCB_ATOM_ATOM, 0, 64),
                               nullptr),
        &std::free);
    std::vector<xcb_atom_t> states;
    if (r && r->format == 32) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(r.get()));
        states.assign(data, data + xcb_get_property_value_length(r.get()) / 4);
    }
    std::erase(states, state);
    if (on)
        states.push_back(state);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, netWmState, XCB_ATOM_ATOM, 32,
                        static_cast<uint32_t>(states.size()), states.data());
}

bool isPopupMenuType(xcb_connection_t* c, xcb_window_t w, xcb_atom_t type,
                     std::initializer_list<xcb_atom_t> menus) {
    Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, type, XCB_ATOM_ATOM, 0, 8), nullptr),
        &std::free);
    if (!r || r->format != 32)
        return false;
    const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(r.get()));
    const int n = xcb_get_property_value_length(r.get()) / 4;
    for (int i = 0; i < n; ++i)
        for (xcb_atom_t menu : menus)
            if (data[i] == menu)
                return true;
    return false;
}

}  // namespace

// A menu is an override-redirect window mapped straight onto the root, typed as a menu by every
// toolkit of today. The windows' attributes are asked for all at once: one round trip.
bool LinuxPlatform::isPopupMenuShown() {
    xcb_connection_t* c = x11Connection();
    if (!c)
        return false;
    const xcb_atom_t type = atom(c, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t popup = atom(c, "_NET_WM_WINDOW_TYPE_POPUP_MENU");
    const xcb_atom_t dropdown = atom(c, "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU");
    for (auto s = xcb_setup_roots_iterator(xcb_get_setup(c)); s.rem; xcb_screen_next(&s)) {
        Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, s.data->root), nullptr), &std::free);
        if (!tree)
            continue;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        const int n = xcb_query_tree_children_length(tree.get());
        std::vector<xcb_get_window_attributes_cookie_t> cookies;
        cookies.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            cookies.push_back(xcb_get_window_attributes(c, children[i]));
        std::vector<xcb_window_t> candidates;
        for (int i = 0; i < n; ++i) {
            Reply<xcb_get_window_attributes_reply_t> a(
                xcb_get_window_attributes_reply(c, cookies[static_cast<size_t>(i)], nullptr),
                &std::free);
            if (a && a->override_redirect && a->map_state == XCB_MAP_STATE_VIEWABLE)
                candidates.push_back(children[i]);
        }
        for (xcb_window_t w : candidates)
            if (isPopupMenuType(c, w, type, {popup, dropdown}))
                return true;
    }
    return false;
}

void LinuxPlatform::setSkipTaskBar(NativeWindow window, bool skip) {
    xcb_connection_t* c = x11Connection();
    if (!c || window == 0)
        return;
    const auto w = static_cast<xcb_window_t>(window);
    const xcb_atom_t netWmState = atom(c, "_NET_WM_STATE");
    const xcb_atom_t skipTaskBar = atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    if (netWmState == XCB_ATOM_NONE || skipTaskBar == XCB_ATOM_NONE)
        return;
    // A window just mapped may be taken over by the manager after it read the property but
    // before WM_STATE says so: the message, queued behind the map, covers that case.
    if (!isManaged(c, w))
        editStateProperty(c, w, netWmState, skipTaskBar, skip);
    requestState(c, w, netWmState, skipTaskBar, skip);
    xcb_flush(c);
}

// The toolkit sends its own cancel at a release only for some input devices, and then names the
// root window, which no window manager moves.
void LinuxPlatform::cancelWindowMove(NativeWindow window) {
    xcb_connection_t* c = x11Connection();
    if (!c || window == 0)
        return;
    // 11: _NET_WM_MOVERESIZE_CANCEL; the last 1: from a normal application.
    messageToManager(c, static_cast<xcb_window_t>(window), atom(c, "_NET_WM_MOVERESIZE"),
                     {0, 0, 11, 0, 1});
    xcb_flush(c);
}

}  // namespace kelvo
