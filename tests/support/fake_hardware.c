/* Preloaded into the real game by the tests: a display with vertical sync at any refresh rate,
 * and a gamepad, where the machine has neither.
 *   FAKE_REFRESH_HZ=N   each buffer swap returns at the next of N refreshes a second, as a display
 *                       with vertical sync makes it; 0 or unset, at once
 *   FAKE_SWAP_LOG=FILE  one line per swap: the monotonic clock's nanoseconds when it returned
 *   FAKE_PAD=FILE       the pad's state, read at every swap and when the game starts its joysticks:
 *                       "plugged" (a game controller; "raw": a joystick SDL has no layout for),
 *                       then the buttons held (a back up down left right) and the left stick's
 *                       axes (x=N y=N, -32768 to 32767); anything else, or no file, is unplugged.
 *   FAKE_KEYS=FILE      a key script (the replay tool's format: "FIRST[-LAST] KEY...", Left Right
 * Up Escape) whose keys the keyboard holds in frame N, N being the swaps so far: the real game
 * played frame for frame, on top of the keys xdotool holds. The pad is SDL 2's virtual joystick, in
 * the SDL 2 that the SDL 1.2 library has loaded. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { kSdl2InitJoystick = 0x200, kSdl2InitGameController = 0x2000, kSdl12InitJoystick = 0x200 };
enum { kTypeUnknown = 0, kTypeGameController = 1, kPadAxes = 6, kPadButtons = 15 };
static const char* const kButtonNames[kPadButtons] = {"a", "", "", "",   "back", "",     "",     "",
                                                      "",  "", "", "up", "down", "left", "right"};

static struct {
  int (*initSubSystem)(uint32_t);
  int (*attachVirtual)(int, int, int, int);
  int (*detachVirtual)(int);
  int (*numJoysticks)(void);
  int (*isVirtual)(int);
  void* (*open)(int);
  void (*close)(void*);
  int (*setButton)(void*, int, uint8_t);
  int (*setAxis)(void*, int, int16_t);
} sdl2;
static void* pad;
static char padState[256] = "unplugged";
static int swaps;

/* SDL 1.2's key symbols of the game's keys. */
enum { kSdl12Escape = 27, kSdl12Up = 273, kSdl12Right = 275, kSdl12Left = 276, kMostKeys = 1024 };
static struct KeyRange { int first, last, key; } keyRanges[4096];
static int keyRangeCount = -1; /* not read yet */

static int64_t nowNanoseconds(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (int64_t)now.tv_sec * 1000000000 + now.tv_nsec;
}

static int findSdl2(void) {
  if (sdl2.attachVirtual)
    return 1;
  void* library = dlopen("libSDL2-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
  if (!library)
    return 0;
  *(void**)&sdl2.initSubSystem = dlsym(library, "SDL_InitSubSystem");
  *(void**)&sdl2.detachVirtual = dlsym(library, "SDL_JoystickDetachVirtual");
  *(void**)&sdl2.numJoysticks = dlsym(library, "SDL_NumJoysticks");
  *(void**)&sdl2.isVirtual = dlsym(library, "SDL_JoystickIsVirtual");
  *(void**)&sdl2.open = dlsym(library, "SDL_JoystickOpen");
  *(void**)&sdl2.close = dlsym(library, "SDL_JoystickClose");
  *(void**)&sdl2.setButton = dlsym(library, "SDL_JoystickSetVirtualButton");
  *(void**)&sdl2.setAxis = dlsym(library, "SDL_JoystickSetVirtualAxis");
  *(void**)&sdl2.attachVirtual = dlsym(library, "SDL_JoystickAttachVirtual");
  /* The tests' own hold on SDL 2's joysticks: the game restarting its own keeps the pad. */
  return sdl2.attachVirtual && sdl2.initSubSystem(kSdl2InitJoystick | kSdl2InitGameController) == 0;
}

static void unplug(void) {
  if (!pad)
    return;
  sdl2.close(pad);
  pad = NULL;
  for (int i = sdl2.numJoysticks() - 1; i >= 0; --i)
    if (sdl2.isVirtual(i))
      sdl2.detachVirtual(i);
}

static void applyPadState(void) {
  const char* path = getenv("FAKE_PAD");
  char state[sizeof padState] = "";
  FILE* file = path ? fopen(path, "r") : NULL;
  if (file) {
    size_t length = fread(state, 1, sizeof state - 1, file);
    state[length] = '\0';
    fclose(file);
  }
  if (strcmp(state, padState) == 0 || !findSdl2())
    return;
  strcpy(padState, state);
  const int raw = strncmp(state, "raw", 3) == 0;
  if (!raw && strncmp(state, "plugged", 7) != 0) {
    unplug();
    return;
  }
  if (!pad) {
    const int index =
        sdl2.attachVirtual(raw ? kTypeUnknown : kTypeGameController, kPadAxes, kPadButtons, 0);
    pad = index < 0 ? NULL : sdl2.open(index);
    if (!pad)
      return;
  }
  uint8_t held[kPadButtons] = {0};
  int x = 0, y = 0;
  for (char* word = strtok(state, " \n"); word; word = strtok(NULL, " \n")) {
    if (sscanf(word, "x=%d", &x) == 1 || sscanf(word, "y=%d", &y) == 1)
      continue;
    for (int button = 0; button < kPadButtons; ++button)
      held[button] |= *kButtonNames[button] && strcmp(word, kButtonNames[button]) == 0;
  }
  for (int button = 0; button < kPadButtons; ++button)
    sdl2.setButton(pad, button, held[button]);
  sdl2.setAxis(pad, 0, (int16_t)x);
  sdl2.setAxis(pad, 1, (int16_t)y);
}

static void readKeyScript(void) {
  keyRangeCount = 0;
  FILE* file = fopen(getenv("FAKE_KEYS"), "r");
  char line[512];
  while (file && fgets(line, sizeof line, file)) {
    line[strcspn(line, "#\n")] = '\0';
    int first, last;
    char* words = strtok(line, " \t");
    if (!words)
      continue;
    if (sscanf(words, "%d-%d", &first, &last) != 2) {
      last = first = atoi(words);
    }
    for (char* name = strtok(NULL, " \t"); name; name = strtok(NULL, " \t")) {
      const int key = strcmp(name, "Left") == 0     ? kSdl12Left
                      : strcmp(name, "Right") == 0  ? kSdl12Right
                      : strcmp(name, "Up") == 0     ? kSdl12Up
                      : strcmp(name, "Escape") == 0 ? kSdl12Escape
                                                    : -1;
      if (key >= 0 && keyRangeCount < (int)(sizeof keyRanges / sizeof *keyRanges))
        keyRanges[keyRangeCount++] = (struct KeyRange){first, last, key};
    }
  }
  if (file)
    fclose(file);
}

uint8_t* SDL_GetKeyState(int* numkeys) {
  static uint8_t* (*real)(int*);
  static uint8_t held[kMostKeys];
  if (!real)
    *(void**)&real = dlsym(RTLD_NEXT, "SDL_GetKeyState");
  int count = 0;
  uint8_t* keys = real(&count);
  if (numkeys)
    *numkeys = count;
  if (!getenv("FAKE_KEYS") || count > kMostKeys)
    return keys;
  if (keyRangeCount < 0)
    readKeyScript();
  memcpy(held, keys, (size_t)count);
  for (int i = 0; i < keyRangeCount; ++i)
    if (swaps >= keyRanges[i].first && swaps <= keyRanges[i].last)
      held[keyRanges[i].key] = 1;
  return held;
}

int SDL_InitSubSystem(uint32_t flags) {
  static int (*real)(uint32_t);
  if (!real)
    *(void**)&real = dlsym(RTLD_NEXT, "SDL_InitSubSystem");
  if (flags & kSdl12InitJoystick)
    applyPadState();
  return real(flags);
}

void SDL_GL_SwapBuffers(void) {
  static void (*real)(void);
  static FILE* log;
  static int64_t firstSwap;
  if (!real) {
    *(void**)&real = dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers");
    const char* path = getenv("FAKE_SWAP_LOG");
    log = path ? fopen(path, "w") : NULL;
  }
  real();
  const char* hz = getenv("FAKE_REFRESH_HZ");
  const int64_t refresh = hz && atoi(hz) > 0 ? 1000000000 / atoi(hz) : 0;
  int64_t now = nowNanoseconds();
  if (refresh > 0) {
    if (!firstSwap)
      firstSwap = now;
    const int64_t next = firstSwap + ((now - firstSwap) / refresh + 1) * refresh;
    const struct timespec until = {next / 1000000000, next % 1000000000};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, NULL) != 0) {
    }
    now = nowNanoseconds();
  }
  if (log) {
    fprintf(log, "%lld\n", (long long)now);
    fflush(log);
  }
  ++swaps;
  applyPadState();
}
