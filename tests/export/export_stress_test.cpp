// Start, stop, priority changes and closes at random moments; meant to run under TSan.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "engine/palette.h"
#include "export/export_job.h"
#include "export_test_support.h"

namespace zirvanta {
namespace {

// The owner's event queue: the mailbox's hook posts to it from the job's thread, and the owner
// drains it when it gets round to it, as an event loop would.
class EventQueue {
 public:
  void Post(std::function<void()> event) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
  }
  void RunAll() {
    for (;;) {
      std::function<void()> event;
      {
        std::lock_guard lock(mutex_);
        if (events_.empty()) return;
        event = std::move(events_.front());
        events_.pop_front();
      }
      event();
    }
  }

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> events_;
};

TEST(OwnerMailboxStress, EveryCallReturnsAfterItsOwnStepRan) {
  constexpr int kWorkers = 4;
  constexpr int kCallsEach = 300;
  OwnerMailbox mailbox;
  std::vector<int> ran(kWorkers, 0);  // written by the owner only, inside the steps
  std::atomic<int> workersDone{0};
  std::atomic<int> mismatches{0};
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&, w] {
      for (int i = 1; i <= kCallsEach; ++i) {
        mailbox.Call([&] {
          ++ran[w];
          // A nested event loop inside a step must not run anything twice.
          if (mailbox.RunPending()) mismatches.fetch_add(1);
        });
        if (ran[w] != i) mismatches.fetch_add(1);
      }
      workersDone.fetch_add(1);
      mailbox.Wake();
    });
  }
  mailbox.ServeUntil([&] { return workersDone.load() == kWorkers; });
  for (std::thread& worker : workers) worker.join();
  EXPECT_EQ(mismatches.load(), 0);
  for (int w = 0; w < kWorkers; ++w) EXPECT_EQ(ran[w], kCallsEach);
}

TEST(ExportJobStress, ManyShortJobsWithRandomStopsPrioritiesAndCloses) {
  testing::ExportDir dir;
  EventQueue events;
  OwnerMailbox mailbox([&] { events.Post([&] { mailbox.RunPending(); }); });
  std::mt19937 random(20240611);
  const auto pick = [&](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(random);
  };
  Palette palette;
  BuildPalette(PaletteParams{}, palette);

  int finished = 0;
  int failed = 0;
  int stopped = 0;
  for (int i = 0; i < 250; ++i) {
    SCOPED_TRACE(i);
    ExportParams params;
    const bool badFolder = pick(0, 7) == 0;
    params.outputPath = dir.File((badFolder ? "missing/" : "") + std::to_string(i) + ".bmp");
    params.width = pick(1, 24);
    params.height = pick(1, 90);
    params.cr = -0.75;
    params.ci = 0.11;
    params.palette = palette;
    params.limit = 40;
    params.priorityChoice = pick(0, 4);

    std::vector<int64_t> progress;
    int finishes = 0;
    int failures = 0;
    const std::thread::id owner = std::this_thread::get_id();
    bool offOwnerThread = false;
    ExportJob::Steps steps{
        [&](int64_t row) {
          offOwnerThread |= std::this_thread::get_id() != owner;
          progress.push_back(row);
        },
        [&] {
          offOwnerThread |= std::this_thread::get_id() != owner;
          ++finishes;
        },
        [&](const std::string&) {
          offOwnerThread |= std::this_thread::get_id() != owner;
          ++failures;
        }};

    auto job = std::make_unique<ExportJob>(params, steps, mailbox);
    ASSERT_TRUE(job->Start());
    bool stopAsked = false;
    for (int action = pick(0, 25); action > 0; --action) {
      switch (pick(0, 5)) {
        case 0: events.RunAll(); break;
        case 1: job->SetPriority(pick(-1, 4)); break;
        case 2:
          if (pick(0, 3) == 0) {
            job->RequestStop();
            stopAsked = true;
          }
          break;
        case 3: std::this_thread::sleep_for(std::chrono::microseconds(pick(0, 300))); break;
        case 4: (void)job->ProgressRow(); break;
        default: std::this_thread::yield(); break;
      }
    }
    if (pick(0, 1) == 0) {
      job->WaitServing();
      EXPECT_FALSE(job->Running());
    } else {
      stopAsked = true;  // the close asks for the stop
    }
    job.reset();
    events.RunAll();  // notifications left over from the job find nothing to run

    EXPECT_FALSE(offOwnerThread);
    for (size_t k = 0; k < progress.size(); ++k) {
      EXPECT_EQ(progress[k], static_cast<int64_t>(21 * k + 20));
    }
    EXPECT_LE(finishes + failures, 1);
    const bool fileThere = std::filesystem::exists(params.outputPath);
    if (finishes == 1) {
      ++finished;
      EXPECT_FALSE(badFolder);
      EXPECT_EQ(std::filesystem::file_size(params.outputPath),
                54 + Bitmap::StrideFor(params.width, PixelFormat::Bgr24) *
                         static_cast<uint64_t>(params.height));
    } else if (failures == 1) {
      ++failed;
      EXPECT_TRUE(badFolder);
      EXPECT_FALSE(fileThere);
    } else {
      ++stopped;
      EXPECT_TRUE(stopAsked);
      EXPECT_GE(params.height, 21) << "a stop is seen only at a progress point";
      EXPECT_FALSE(fileThere);
    }
  }
  EXPECT_FALSE(mailbox.RunPending());
  // Each ending was reached at least once, or the test did not test much.
  EXPECT_GT(finished, 0);
  EXPECT_GT(failed, 0);
  EXPECT_GT(stopped, 0);
}

}  // namespace
}  // namespace zirvanta
