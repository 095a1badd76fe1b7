#include "MapWatcher.h"

#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace {

// xcb hands out events and replies that the caller frees.
template <typename T> struct Freed
{
    explicit Freed(T *pointer) : get(pointer) {}
    ~Freed() { std::free(get); }
    Freed(const Freed &) = delete;
    Freed &operator=(const Freed &) = delete;
    T *get;
};

} // namespace

MapWatcher::MapWatcher()
{
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(m_connection))
        return;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int index = 0; index < screenNumber && screens.rem > 0; ++index)
        xcb_screen_next(&screens);
    if (screens.rem == 0)
        return;
    const xcb_window_t root = screens.data->root;

    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    const Freed<xcb_generic_error_t> error(xcb_request_check(
        m_connection,
        xcb_change_window_attributes_checked(m_connection, root, XCB_CW_EVENT_MASK, &mask)));
    if (error.get)
        return;

    const char name[] = "_NET_WM_PID";
    const Freed<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, std::strlen(name), name), nullptr));
    if (!atom.get)
        return;
    m_pidAtom = atom.get->atom;
    m_root = root;
}

MapWatcher::~MapWatcher()
{
    xcb_disconnect(m_connection);
}

void MapWatcher::drain()
{
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection))
        std::free(event);
}

std::optional<MapWatcher::Clock::time_point> MapWatcher::waitForWindowOf(pid_t pid,
                                                                         Clock::time_point deadline)
{
    for (;;) {
        while (xcb_generic_event_t *raw = xcb_poll_for_event(m_connection)) {
            const Clock::time_point seen = Clock::now();
            const Freed<xcb_generic_event_t> event(raw);
            if ((event.get->response_type & 0x7f) != XCB_MAP_NOTIFY)
                continue;
            const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event.get);
            // Menus and tooltips bypass the window manager; the window itself does not.
            if (!map->override_redirect && windowPid(map->window) == pid)
                return seen;
        }
        if (xcb_connection_has_error(m_connection))
            return std::nullopt;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd socket{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        ::poll(&socket, 1, static_cast<int>(left.count()));
    }
}

std::optional<pid_t> MapWatcher::windowPid(xcb_window_t window)
{
    const Freed<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1),
        nullptr));
    if (!reply.get || reply.get->format != 32 || xcb_get_property_value_length(reply.get) != 4)
        return std::nullopt;
    return static_cast<pid_t>(*static_cast<const uint32_t *>(xcb_get_property_value(reply.get)));
}
