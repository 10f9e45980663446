// Driving another process's window on an X display as a user's desktop
// would: finding it by its process, reading its title, a key press, and
// the window manager's request to close it.
#pragma once

#include <QString>

#include <stdint.h>

struct xcb_connection_t;

// A connection to the X display named by DISPLAY.
class X11Display {
public:
    X11Display();
    ~X11Display();
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;
    // False when there is no display to talk to.
    bool IsOpen() const;
    // The mapped top-level window of process `pid` that has a title, or 0.
    uint32_t FindWindowOf(int64_t pid);
    // The window's title (_NET_WM_NAME, else WM_NAME).
    QString Title(uint32_t window);
    // Sends a press and a release of the key that yields `keysym` to the
    // window; false when no key yields it or sending failed.
    bool PressKey(uint32_t window, uint32_t keysym);
    // Asks the window to close as a window manager does (WM_DELETE_WINDOW).
    bool RequestClose(uint32_t window);

private:
    uint32_t Atom(const char* name);
    xcb_connection_t* connection_ = nullptr;
    uint32_t root_ = 0;
};
