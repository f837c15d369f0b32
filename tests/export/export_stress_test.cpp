// Starts, stops, priority changes and closes at random moments; meant to run under TSan.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "export_test_support.h"

namespace zirvanta {
namespace {

TEST(ExportJobStress, ManyShortJobsWithRandomStopsPrioritiesAndCloses) {
  testing::TempDir dir;
  // The hook posts an event that the owner handles when it gets round to it, as an event loop.
  std::atomic<int> posted{0};
  OwnerMailbox mailbox([&] { posted.fetch_add(1); });
  const auto runEvents = [&] {
    for (; posted.load() > 0; posted.fetch_sub(1)) mailbox.RunPending();
  };
  std::mt19937 random(20240611);
  const auto pick = [&](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(random);
  };
  ExportParams params;
  params.cr = -0.75;
  params.ci = 0.11;
  params.limit = 40;
  BuildPalette(PaletteParams{}, params.palette);

  int endings[4] = {};
  for (int i = 0; i < 250; ++i) {
    SCOPED_TRACE(i);
    const bool badFolder = pick(0, 7) == 0;
    params.outputPath = dir.File((badFolder ? "missing/" : "") + std::to_string(i) + ".bmp");
    params.width = pick(1, 24);
    params.height = pick(1, 90);
    params.priorityChoice = pick(0, 4);

    std::vector<int64_t> progress;
    int finishes = 0;
    int failures = 0;
    bool offOwnerThread = false;
    bool ranTwice = false;
    // Each step runs a nested event loop, as a message box does: it must find nothing to run.
    const auto step = [&, owner = std::this_thread::get_id()] {
      offOwnerThread |= std::this_thread::get_id() != owner;
      ranTwice |= mailbox.RunPending();
    };
    const ExportJob::Steps steps{[&](int64_t row) { step(), progress.push_back(row); },
                                 [&] { step(), ++finishes; },
                                 [&](const std::string&) { step(), ++failures; }};
    auto job = std::make_unique<ExportJob>(params, steps, mailbox);
    ASSERT_TRUE(job->Start());
    bool stopAsked = false;
    for (int action = pick(0, 25); action > 0; --action) {
      switch (pick(0, 4)) {
        case 0: runEvents(); break;
        case 1: job->SetPriority(pick(-1, 4)); break;
        case 2:
          if (pick(0, 3) == 0) job->RequestStop(), stopAsked = true;
          break;
        case 3: std::this_thread::sleep_for(std::chrono::microseconds(pick(0, 300))); break;
        default: (void)job->ProgressRow(); break;
      }
    }
    if (pick(0, 1) == 0) {
      job->WaitServing();
    } else {
      stopAsked = true;  // the close asks for the stop
    }
    job.reset();
    runEvents();  // notifications left over from the job find nothing to run

    EXPECT_FALSE(offOwnerThread);
    EXPECT_FALSE(ranTwice);
    for (size_t k = 0; k < progress.size(); ++k) EXPECT_EQ(progress[k], int64_t(21 * k + 20));
    const int ending = finishes + 2 * failures;  // 0 stopped, 1 finished, 2 failed
    ++endings[std::min(ending, 3)];
    EXPECT_EQ(std::filesystem::exists(params.outputPath), ending == 1);
    EXPECT_TRUE(ending != 2 || badFolder);
    EXPECT_TRUE(ending != 0 || (stopAsked && params.height >= 21)) << "stops only at a point";
  }
  EXPECT_FALSE(mailbox.RunPending());
  // Each ending was reached, or the test did not test much; no job both finished and failed.
  EXPECT_TRUE(endings[0] > 0 && endings[1] > 0 && endings[2] > 0 && endings[3] == 0);
}

}  // namespace
}  // namespace zirvanta
