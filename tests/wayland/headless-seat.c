/* A weston module for tests: gives the headless backend, which has no input
 * devices, a seat with a keyboard. Without one a client gets no keyboard
 * focus and the compositor takes no clipboard selection from it, so neither
 * the app's copy button nor wl-paste could be tried there.
 *
 *   weston --backend=headless-backend.so --modules=/path/to/this.so
 */
#include <libweston/libweston.h>
#include <stdlib.h>

/* Exported by libweston but declared only in its internal headers. */
void weston_seat_init(struct weston_seat *seat, struct weston_compositor *compositor,
                      const char *name);
void weston_seat_release(struct weston_seat *seat);
int weston_seat_init_keyboard(struct weston_seat *seat, struct xkb_keymap *keymap);

struct headless_seat {
    struct weston_seat seat;
    struct wl_listener compositor_destroyed;
};

static void release(struct wl_listener *listener, void *data)
{
    struct headless_seat *headless = wl_container_of(listener, headless, compositor_destroyed);
    (void)data;
    wl_list_remove(&headless->compositor_destroyed.link);
    weston_seat_release(&headless->seat);
    free(headless);
}

WL_EXPORT int wet_module_init(struct weston_compositor *compositor, int *argc, char *argv[])
{
    (void)argc;
    (void)argv;
    struct headless_seat *headless = calloc(1, sizeof *headless);
    if (!headless)
        return -1;
    weston_seat_init(&headless->seat, compositor, "default");
    headless->compositor_destroyed.notify = release;
    wl_signal_add(&compositor->destroy_signal, &headless->compositor_destroyed);
    /* NULL: the compositor's default keymap. */
    return weston_seat_init_keyboard(&headless->seat, NULL);
}
