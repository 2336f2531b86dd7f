// A run in a link's fragment, after its levels: "#levels=LEVELS&run=RUN", so that a friend opens
// the levels and races the run with no server in between. RUN is
//   VERSION "." BASE64URL(set, segments..., check)
// set is the first four bytes of the level set's id, so that a run is raced only on the levels it
// was made on. Each segment is one state of the keys held, for some frames: a byte whose low three
// bits hold the keys (Left 1, Right 2, Up 4) and whose high five bits hold n, n + 1 frames for n
// below 31; for n = 31 a LEB128 number follows, and the segment is 32 + that many frames long.
// The check is link_bytes.h's. The time is never in the link: it is what the run makes when it is
// played.
#pragma once

#include <memory>
#include <string>

#include "world/run.h"
#include "world/world.h"

constexpr int kRunLinkVersion = 1;

// The link text of a run on these levels: what follows "&run=".
std::string encodeRunLink(const LevelSet& levels, const KeyFrames& keys);

// All or nothing: the keys of a run that was made on these levels and reaches their last egg
// within an hour; otherwise keys is left as it was and problem says what is wrong.
bool decodeRunLink(const std::string& link, std::shared_ptr<const LevelSet> levels, KeyFrames& keys,
                   std::string& problem);

// The parts of an address's fragment, "#levels=LEVELS" or "#levels=LEVELS&run=RUN", whatever comes
// before the '#'; false when it holds no levels. run is empty when there is none.
bool splitGameLink(const std::string& address, std::string& levels, std::string& run);
