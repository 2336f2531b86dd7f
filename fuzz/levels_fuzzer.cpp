// libFuzzer target: any bytes as a level file and as a level link. Refusing is fine; a fault, a
// refusal that changed the levels, or levels that do not come back the same through the file
// format and the link is not.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "world/level_link.h"
#include "world/levels.h"

namespace {

void requireSame(const std::vector<Level>& levels) {
  std::vector<Level> again;
  LevelProblem problem;
  std::string linkProblem;
  if (!readLevels(writeLevels(levels), again, problem) || again != levels ||
      !decodeLevelLink(encodeLevelLink(levels), again, linkProblem) || again != levels) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<Level> untouched(1, Level{});
  std::vector<Level> levels = untouched;
  LevelProblem problem;
  if (readLevels(bytes, levels, problem)) {
    requireSame(levels);
  } else if (levels != untouched || problem.message.empty()) {
    __builtin_trap();
  }
  levels = untouched;
  std::string linkProblem;
  if (decodeLevelLink(bytes, levels, linkProblem)) {
    requireSame(levels);
  } else if (levels != untouched || linkProblem.empty()) {
    __builtin_trap();
  }
  return 0;
}
