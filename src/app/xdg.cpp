// The player's folders by the XDG base directory convention.
#include "app/xdg.h"

#include <cstdlib>

std::string baseDirectory(const char* variable, const char* homeFolder) {
  // The convention: a relative path in the variable is to be ignored.
  const char* set = std::getenv(variable);
  if (set != nullptr && set[0] == '/') {
    return set;
  }
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') {
    return std::string(home) + "/" + homeFolder;
  }
  return "";
}
