#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace zirvanta {

// The fractal files a slide show goes through: a ring of bare entry names (name and extension,
// no folder) in the order the folder listing gave them, and the entry the next request returns.
class TSlideList {
 public:
  enum class GatherResult {
    Gathered,    // the folder was read (the list may still be empty)
    Unreadable,  // the folder exists but could not be listed; the list is empty
  };

  // Takes every entry of the folder whose name ends in ".frc" (in any case), folders included,
  // in the listing's order; the current entry becomes the first one found. A missing folder
  // gives an empty list. The current directory of the process is neither used nor changed.
  // Throws std::bad_alloc when the names do not fit in memory.
  GatherResult Gather(const std::string& folder);

  int32_t Count() const { return static_cast<int32_t>(names_.size()); }

  // The current entry's name; the current entry moves on to the next one of the ring.
  // The list must not be empty.
  const std::string& NextName();

  // Forward order (0): the next name. Random order (1): with a drawn r, the k-th name ahead,
  // k = (r mod count) + 1, so the same entry comes again when k = count. The list must not be
  // empty.
  template <typename Generator>
  const std::string& PickNextSlide(int32_t order, Generator& generator) {
    if (order != 1) return NextName();
    return Advance(static_cast<uint32_t>(generator()));
  }

  void Discard();

 private:
  const std::string& Advance(uint32_t r);

  std::vector<std::string> names_;
  size_t current_ = 0;
};

// The generator of the random order: seeded from the time in seconds when a random show starts.
using SlideRandom = std::minstd_rand;
void SeedFromTime(SlideRandom& generator);

// True for a name the slide show takes: it ends in ".frc", compared without regard to case.
bool IsSlideName(const std::string& name);

// The slide timer's interval for a delay as settings.dat may hold it: at least one second, and
// never more than a timer can take.
int SlideTimerIntervalMs(int32_t delaySeconds);

}  // namespace zirvanta
