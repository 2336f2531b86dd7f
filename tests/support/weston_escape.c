/* A weston module for the Wayland tests: a keyboard that presses Escape, as a player would, once
 * the window it has the focus of shows the game's frame rate in its title. Loaded with
 * weston --modules=/path/weston_escape.so; what it pressed, and where, goes to weston's log. */
#include <libweston/libweston.h>
#include <libweston/version.h>

#include <linux/input-event-codes.h>
#include <string.h>

/* libweston exports these to its backends and shells, but installs no header for them, or moved
 * it between weston's versions: declared here as weston 10 to 16 have them. */
void weston_seat_init(struct weston_seat* seat, struct weston_compositor* compositor,
                      const char* name);
int weston_seat_init_keyboard(struct weston_seat* seat, struct xkb_keymap* keymap);
#if WESTON_VERSION_MAJOR >= 16
void notify_key(const struct weston_key_event* event);
#else
void notify_key(struct weston_seat* seat, const struct timespec* time, uint32_t key,
                enum wl_keyboard_key_state state, enum weston_key_state_update update_state);
#endif
struct weston_desktop_surface* weston_surface_get_desktop_surface(struct weston_surface* surface);
const char* weston_desktop_surface_get_title(struct weston_desktop_surface* surface);

int wet_module_init(struct weston_compositor* compositor, int* argc, char* argv[]);

enum { CHECK_EVERY_MS = 50 };
static const char game_title[] = "OpenGL Demo - ";

static struct weston_seat seat;
static struct wl_event_source* check_timer;

/* The title of the window with the keyboard's focus, or "" when there is none. */
static const char* focused_title(void) {
  struct weston_surface* focus = weston_seat_get_keyboard(&seat)->focus;
  struct weston_desktop_surface* window =
      focus != NULL ? weston_surface_get_desktop_surface(focus) : NULL;
  const char* title = window != NULL ? weston_desktop_surface_get_title(window) : NULL;
  return title != NULL ? title : "";
}

/* The game's caption once it shows a rate: "OpenGL Demo - 59.94 ". */
static int shows_frame_rate(const char* title) {
  const size_t length = strlen(game_title);
  return strncmp(title, game_title, length) == 0 && title[length] >= '0' && title[length] <= '9';
}

/* Held, not released: the game reads held keys, and ends at its next frame. */
static void press_escape(void) {
  struct timespec now;
  weston_compositor_get_time(&now);
#if WESTON_VERSION_MAJOR >= 16
  struct weston_key_event event;
  weston_key_event_init(&event, &now, &seat, KEY_ESC, WL_KEYBOARD_KEY_STATE_PRESSED,
                        STATE_UPDATE_AUTOMATIC);
  notify_key(&event);
#else
  notify_key(&seat, &now, KEY_ESC, WL_KEYBOARD_KEY_STATE_PRESSED, STATE_UPDATE_AUTOMATIC);
#endif
}

static int check_focused_window(void* data) {
  (void)data;
  const char* title = focused_title();
  if (!shows_frame_rate(title)) {
    wl_event_source_timer_update(check_timer, CHECK_EVERY_MS);
    return 0;
  }
  press_escape();
  weston_log("weston_escape: pressed Escape in the window titled '%s'\n", title);
  return 0;
}

WL_EXPORT int wet_module_init(struct weston_compositor* compositor, int* argc, char* argv[]) {
  (void)argc;
  (void)argv;
  /* The shell gives a new window the focus of every seat, this one's included. */
  weston_seat_init(&seat, compositor, "weston_escape");
  if (weston_seat_init_keyboard(&seat, NULL) < 0) {
    return -1;
  }
  check_timer = wl_event_loop_add_timer(wl_display_get_event_loop(compositor->wl_display),
                                        check_focused_window, NULL);
  if (check_timer == NULL || wl_event_source_timer_update(check_timer, CHECK_EVERY_MS) != 0) {
    return -1;
  }
  weston_log("weston_escape: the keyboard is ready\n");
  return 0;
}
