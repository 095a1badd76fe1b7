#pragma once

#include <chrono>
#include <optional>
#include <sys/types.h>
#include <xcb/xcb.h>

// Watches an X display for the moment a given process maps its first
// top-level window: it listens for MapNotify on the root window's
// substructure and asks each newly mapped window for its _NET_WM_PID.
class MapWatcher
{
public:
    using Clock = std::chrono::steady_clock;

    // Connects to the display named by DISPLAY.
    MapWatcher();
    ~MapWatcher();
    MapWatcher(const MapWatcher &) = delete;
    MapWatcher &operator=(const MapWatcher &) = delete;

    bool isConnected() const { return m_root != XCB_WINDOW_NONE; }

    // Throws away what earlier windows left in the queue.
    void drain();
    // When the event that mapped a window of pid was read; nothing when the
    // deadline passes or the connection fails first.
    std::optional<Clock::time_point> waitForWindowOf(pid_t pid, Clock::time_point deadline);

private:
    std::optional<pid_t> windowPid(xcb_window_t window);

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
};
