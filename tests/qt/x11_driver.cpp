#include "x11_driver.h"

#include <xcb/xcb.h>

#include <stdlib.h>
#include <string.h>

X11Display::X11Display()
{
    if (getenv("DISPLAY") == nullptr)
        return;
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    root_ = screens.data->root;
}

X11Display::~X11Display()
{
    if (connection_ != nullptr)
        xcb_disconnect(connection_);
}

bool X11Display::IsOpen() const
{
    return connection_ != nullptr;
}

uint32_t X11Display::Atom(const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, strlen(name), name), nullptr);
    if (reply == nullptr)
        return XCB_ATOM_NONE;
    const uint32_t atom = reply->atom;
    free(reply);
    return atom;
}

// The bytes of property `property` of `window`, empty when it has none.
static QByteArray Property(xcb_connection_t* connection, uint32_t window, uint32_t property)
{
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), nullptr);
    if (reply == nullptr)
        return QByteArray();
    const QByteArray bytes(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    free(reply);
    return bytes;
}

uint32_t X11Display::FindWindowOf(int64_t pid)
{
    const uint32_t pidAtom = Atom("_NET_WM_PID");
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr);
    if (tree == nullptr)
        return 0;
    uint32_t found = 0;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && found == 0; ++i) {
        const QByteArray owner = Property(connection_, children[i], pidAtom);
        if (owner.size() != 4 || *reinterpret_cast<const uint32_t*>(owner.constData()) != pid)
            continue;
        xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, children[i]), nullptr);
        const bool viewable = attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        free(attributes);
        if (viewable && !Title(children[i]).isEmpty())
            found = children[i];
    }
    free(tree);
    return found;
}

QString X11Display::Title(uint32_t window)
{
    const QByteArray name = Property(connection_, window, Atom("_NET_WM_NAME"));
    if (!name.isEmpty())
        return QString::fromUtf8(name);
    return QString::fromLatin1(Property(connection_, window, XCB_ATOM_WM_NAME));
}

bool X11Display::PressKey(uint32_t window, uint32_t keysym)
{
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, setup->min_keycode, count), nullptr);
    if (mapping == nullptr)
        return false;
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping);
    int keycode = 0;
    for (int i = 0; i < count * mapping->keysyms_per_keycode && keycode == 0; ++i) {
        if (symbols[i] == keysym)
            keycode = setup->min_keycode + i / mapping->keysyms_per_keycode;
    }
    free(mapping);
    if (keycode == 0)
        return false;
    for (uint8_t type : {uint8_t(XCB_KEY_PRESS), uint8_t(XCB_KEY_RELEASE)}) {
        xcb_key_press_event_t event;
        memset(&event, 0, sizeof event);
        event.response_type = type;
        event.detail = static_cast<xcb_keycode_t>(keycode);
        event.time = XCB_CURRENT_TIME;
        event.root = root_;
        event.event = window;
        event.same_screen = 1;
        xcb_send_event(connection_, 0, window,
                       type == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
                       reinterpret_cast<const char*>(&event));
    }
    return xcb_flush(connection_) > 0;
}

bool X11Display::RequestClose(uint32_t window)
{
    xcb_client_message_event_t event;
    memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Atom("WM_PROTOCOLS");
    event.data.data32[0] = Atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    return xcb_flush(connection_) > 0;
}
