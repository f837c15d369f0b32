#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

#include "file_test_support.h"
#include "files/slide_list.h"

namespace zirvanta {
namespace {

using testing::TempDir;
using Names = std::vector<std::string>;
namespace fs = std::filesystem;

// The names of the folder in the order the file system lists them, as a show must take them.
Names ListingOrder(const std::string& folder) {
  Names names;
  DIR* listing = ::opendir(folder.c_str());
  while (const dirent* entry = ::readdir(listing)) {
    if (IsSlideName(entry->d_name)) names.push_back(entry->d_name);
  }
  ::closedir(listing);
  return names;
}

// Draws the given numbers in turn, as the random order's generator would.
struct Scripted {
  std::vector<uint32_t> draws;
  size_t at = 0;
  uint32_t operator()() { return draws.at(at++); }
};

Names Take(TSlideList& list, int32_t order, std::vector<uint32_t> draws, size_t count) {
  Scripted generator{std::move(draws)};
  Names taken;
  for (size_t i = 0; i < count; ++i) taken.push_back(list.PickNextSlide(order, generator));
  return taken;
}

TEST(SlideList, NamesAreTakenByTheirExtensionAlone) {
  const struct {
    const char* name;
    bool taken;
  } cases[] = {{"a.frc", true},  {"A.FRC", true},   {".frc", true},     {"a.b.Frc", true},
               {"a.frcx", false}, {"afrc", false},  {"a.frc.bak", false}, {"a.ptt", false},
               {"frc", false},    {"a.fr", false}};
  for (const auto& c : cases) EXPECT_EQ(IsSlideName(c.name), c.taken) << c.name;
}

TEST(SlideList, GatherTakesFilesAndFoldersInListingOrder) {
  TempDir folder;
  for (const char* name : {"A.frc", "B.frc", "C.FRC", "palette.ptt", "notes.frc.txt"}) {
    testing::WriteBytes(folder.File(name), "x");
  }
  fs::create_directory(folder.File("sub.frc"));
  fs::create_directory(folder.File("other"));
  const std::string before = fs::current_path();

  TSlideList list;
  ASSERT_EQ(list.Gather(folder.path), TSlideList::GatherResult::Gathered);
  EXPECT_EQ(fs::current_path(), before);
  const Names order = ListingOrder(folder.path);
  ASSERT_EQ(order.size(), 4u);
  ASSERT_EQ(list.Count(), 4);
  // Forward: the listing, then round again.
  Names expected = order;
  expected.insert(expected.end(), order.begin(), order.end());
  EXPECT_EQ(Take(list, 0, {}, 8), expected);

}

TEST(SlideList, RandomOrderStepsOneToCountEntriesAlongTheRing) {
  TempDir folder;
  for (const char* name : {"a.frc", "b.frc", "c.frc"}) testing::WriteBytes(folder.File(name), "");
  TSlideList list;
  ASSERT_EQ(list.Gather(folder.path), TSlideList::GatherResult::Gathered);
  const Names ring = ListingOrder(folder.path);
  // r = 0: k = 1, the next one; r = 4: k = 2; r = 2 and r = 5: k = 3, the same one again.
  EXPECT_EQ(Take(list, 1, {0, 4, 2, 5, 3}, 5),
            (Names{ring[0], ring[2], ring[2], ring[2], ring[0]}));
  // Forward after random goes on from where the ring stands.
  EXPECT_EQ(list.NextName(), ring[1]);
}

TEST(SlideList, OneFileIsShownAtEveryStepInBothOrders) {
  TempDir folder;
  testing::WriteBytes(folder.File("only.frc"), "");
  TSlideList list;
  ASSERT_EQ(list.Gather(folder.path), TSlideList::GatherResult::Gathered);
  EXPECT_EQ(Take(list, 0, {}, 3), Names(3, "only.frc"));
  EXPECT_EQ(Take(list, 1, {7, 0, UINT32_MAX}, 3), Names(3, "only.frc"));
}

TEST(SlideList, MissingOrEmptyFoldersGiveAnEmptyList) {
  TempDir folder;
  testing::WriteBytes(folder.File("file"), "");
  testing::WriteBytes(folder.File("x.ptt"), "");
  for (const std::string& path : {folder.File("missing"), folder.File("file"), folder.path}) {
    TSlideList list;
    EXPECT_EQ(list.Gather(path), TSlideList::GatherResult::Gathered) << path;
    EXPECT_EQ(list.Count(), 0) << path;
  }
}

TEST(SlideList, AFolderThatCannotBeListedIsReported) {
  if (::geteuid() == 0) GTEST_SKIP() << "root lists every folder";
  TempDir folder;
  const std::string locked = folder.File("fractals");
  fs::create_directory(locked);
  testing::WriteBytes(locked + "/a.frc", "");
  ::chmod(locked.c_str(), 0);
  TSlideList list;
  EXPECT_EQ(list.Gather(locked), TSlideList::GatherResult::Unreadable);
  EXPECT_EQ(list.Count(), 0);
  ::chmod(locked.c_str(), 0700);
}

TEST(SlideList, TenThousandFilesAreAllTaken) {
  TempDir folder;
  for (int i = 0; i < 10000; ++i) {
    std::string name = std::to_string(i);
    name += ".frc";
    testing::WriteBytes(folder.File(name), "");
  }
  TSlideList list;
  ASSERT_EQ(list.Gather(folder.path), TSlideList::GatherResult::Gathered);
  EXPECT_EQ(list.Count(), 10000);
  const Names order = ListingOrder(folder.path);
  for (int i = 0; i < 10000; ++i) ASSERT_EQ(list.NextName(), order[size_t(i)]);
  EXPECT_EQ(list.NextName(), order[0]);
  list.Discard();
  EXPECT_EQ(list.Count(), 0);
}

TEST(SlideList, TimerIntervalIsTheDelayInMillisecondsFromOneSecondUp) {
  const struct {
    int32_t delay;
    int interval;
  } cases[] = {{1, 1000},  {4, 4000},         {20, 20000}, {0, 1000},
               {-7, 1000}, {INT32_MIN, 1000},  {2147484, 2147483000}, {INT32_MAX, 2147483000}};
  for (const auto& c : cases) EXPECT_EQ(SlideTimerIntervalMs(c.delay), c.interval) << c.delay;
}

}  // namespace
}  // namespace zirvanta
