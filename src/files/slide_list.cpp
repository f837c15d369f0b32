#include "slide_list.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <limits>
#include <memory>
#include <string_view>

namespace zirvanta {

bool IsSlideName(const std::string& name) {
  static constexpr char kExtension[] = ".frc";
  constexpr size_t kLength = sizeof(kExtension) - 1;
  if (name.size() < kLength) return false;
  const std::string_view tail(name.data() + name.size() - kLength, kLength);
  return std::equal(tail.begin(), tail.end(), kExtension, [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b;
  });
}

TSlideList::GatherResult TSlideList::Gather(const std::string& folder) {
  Discard();
  const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), &::closedir);
  if (!listing) {
    return errno == ENOENT || errno == ENOTDIR ? GatherResult::Gathered : GatherResult::Unreadable;
  }
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(listing.get());
    if (!entry) break;
    const std::string name = entry->d_name;
    if (IsSlideName(name) && names_.size() < size_t(std::numeric_limits<int32_t>::max())) {
      names_.push_back(name);
    }
  }
  if (errno != 0) {
    Discard();
    return GatherResult::Unreadable;
  }
  return GatherResult::Gathered;
}

const std::string& TSlideList::NextName() { return Advance(0); }

const std::string& TSlideList::Advance(uint32_t r) {
  // Taking k names one after another leaves the (k - 1)-th one after the current as the last.
  const size_t k = size_t(r % names_.size()) + 1;
  const size_t taken = (current_ + k - 1) % names_.size();
  current_ = (taken + 1) % names_.size();
  return names_[taken];
}

void TSlideList::Discard() {
  names_.clear();
  names_.shrink_to_fit();
  current_ = 0;
}

void SeedFromTime(SlideRandom& generator) {
  generator.seed(static_cast<SlideRandom::result_type>(std::time(nullptr)));
}

int SlideTimerIntervalMs(int32_t delaySeconds) {
  constexpr int32_t kLongest = std::numeric_limits<int>::max() / 1000;
  return std::clamp(delaySeconds, int32_t{1}, kLongest) * 1000;
}

}  // namespace zirvanta
