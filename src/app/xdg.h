// The player's folders by the XDG base directory convention.
#pragma once

#include <string>

// The folder the variable names (XDG_CONFIG_HOME, XDG_DATA_HOME), or $HOME's homeFolder
// (".config", ".local/share") where it is unset or relative; empty when neither names one.
std::string baseDirectory(const char* variable, const char* homeFolder);
