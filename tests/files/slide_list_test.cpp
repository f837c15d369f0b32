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

// The slide names of the folder in the order the file system lists them, as a show takes them.
Names ListingOrder(const std::string& folder) {
  Names names;
  DIR* listing = ::opendir(folder.c_str());
  while (const dirent* entry = ::readdir(listing)) {
    if (IsSlideName(entry->d_name)) names.push_back(entry->d_name);
  }
  ::closedir(listing);
  return names;
}

// Takes `count` slides in the given order, the random one drawing the given numbers in turn.
Names Take(TSlideList& list, int32_t order, std::vector<uint32_t> draws, size_t count) {
  size_t at = 0;
  auto generator = [&] { return draws.at(at++); };
  Names taken;
  for (size_t i = 0; i < count; ++i) taken.push_back(list.PickNextSlide(order, generator));
  return taken;
}

TEST(SlideList, NamesAreTakenByTheirExtensionAlone) {
  const struct {
    const char* name;
    bool taken;
  } cases[] = {{"a.frc", true},   {"A.FRC", true},  {".frc", true}, {"a.frcx", false},
               {"afrc", false},   {"frc", false},   {"a.fr", false}};
  for (const auto& c : cases) EXPECT_EQ(IsSlideName(c.name), c.taken) << c.name;
}

// Forward: files and folders named as slides, in listing order, then round again; a second
// gathering replaces the first.
TEST(SlideList, GatherTakesFilesAndFoldersInListingOrder) {
  TempDir folder;
  for (const char* name : {"A.frc", "B.frc", "C.FRC", "palette.ptt", "notes.frc.txt"}) {
    testing::WriteBytes(folder.File(name), "x");
  }
  std::filesystem::create_directory(folder.File("sub.frc"));
  TSlideList list;
  ASSERT_EQ(list.Gather(folder.path), TSlideList::GatherResult::Gathered);
  ASSERT_EQ(list.Gather(folder.path), TSlideList::GatherResult::Gathered);
  const Names order = ListingOrder(folder.path);
  ASSERT_EQ(order.size(), 4u);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(Take(list, 0, {}, 4), order);
  EXPECT_EQ(Take(list, 0, {}, 4), order);
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
  EXPECT_EQ(list.NextName(), ring[1]);  // forward goes on from where the ring stands

  std::filesystem::create_directory(folder.File("only"));
  testing::WriteBytes(folder.File("only/x.frc"), "");
  ASSERT_EQ(list.Gather(folder.File("only")), TSlideList::GatherResult::Gathered);
  EXPECT_EQ(Take(list, 0, {}, 2), Names(2, "x.frc"));
  EXPECT_EQ(Take(list, 1, {7, UINT32_MAX}, 2), Names(2, "x.frc"));
}

TEST(SlideList, MissingEmptyOrUnlistableFolders) {
  TempDir folder;
  testing::WriteBytes(folder.File("file"), "");
  testing::WriteBytes(folder.File("x.ptt"), "");
  for (const std::string& path : {folder.File("missing"), folder.File("file"), folder.path}) {
    TSlideList list;
    EXPECT_EQ(list.Gather(path), TSlideList::GatherResult::Gathered) << path;
    EXPECT_EQ(list.Count(), 0) << path;
  }
  if (::geteuid() == 0) return;  // root lists every folder
  testing::WriteBytes(folder.File("x.frc"), "");
  TSlideList list;
  ::chmod(folder.path.c_str(), 0);
  EXPECT_EQ(list.Gather(folder.path), TSlideList::GatherResult::Unreadable);
  ::chmod(folder.path.c_str(), 0700);
  EXPECT_EQ(list.Count(), 0);
}

TEST(SlideList, TimerIntervalIsTheDelayInMillisecondsFromOneSecondUp) {
  const struct {
    int32_t delay;
    int interval;
  } cases[] = {{1, 1000},          {20, 20000},           {0, 1000},
               {INT32_MIN, 1000},  {2147484, 2147483000}, {INT32_MAX, 2147483000}};
  for (const auto& c : cases) EXPECT_EQ(SlideTimerIntervalMs(c.delay), c.interval) << c.delay;
}

}  // namespace
}  // namespace zirvanta
