// Level sets in a link's fragment, so that a link carries a whole set and no server sees it.
//   VERSION "." BASE64URL(count, runs..., check)
// count is one byte, 1 to 20. Each level is its 400 tile codes row by row, as runs of one code:
// a byte holds the code in its low four bits and, in its high four bits, n: the run is n + 1 codes
// long for n below 15, and 16 + the next byte's value for n = 15. The check is the FNV-1a hash
// of every byte before it, four bytes, most significant first. base64url has no padding.
#pragma once

#include <string>
#include <vector>

#include "world/levels.h"

constexpr int kLevelLinkVersion = 1;

std::string encodeLevelLink(const std::vector<Level>& levels);

// All or nothing, as readLevels: on a damaged, truncated or tampered link, or one from a newer
// version, levels is left as it was and problem says what is wrong.
bool decodeLevelLink(const std::string& link, std::vector<Level>& levels, std::string& problem);
