// Preloaded into the game in the sanitizer run. SDL opens X's libraries and the OpenGL driver
// at run time and closes them at SDL_Quit(); what they still held then would look leaked, from
// a library LeakSanitizer can no longer name. Kept loaded to the end of the process, their
// memory stays reachable and their names stay in every stack, whichever libraries a machine has.
extern "C" int dlclose(void*) {
  return 0;
}
