#include "engine/fast/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

namespace zirvanta::fast {
namespace {

struct Tally {
  std::vector<std::atomic<int>> runs;
  std::vector<std::atomic<int>> threadIds;
  explicit Tally(int participants) : runs(participants), threadIds(participants) {}

  static void Count(void* context, int participant) {
    Tally& tally = *static_cast<Tally*>(context);
    tally.runs[participant].fetch_add(1);
    tally.threadIds[participant].store(CurrentThreadId());
  }
};

TEST(WorkerPool, EveryParticipantRunsEveryJobOnceTheCallerAsTheFirst) {
  WorkerPool pool(3);
  ASSERT_EQ(pool.Participants(), 4);
  Tally tally(4);
  for (int job = 0; job < 500; ++job) pool.Run(&Tally::Count, &tally);
  std::set<int> ids;
  for (int p = 0; p < 4; ++p) {
    EXPECT_EQ(tally.runs[p].load(), 500) << p;
    ids.insert(tally.threadIds[p].load());
  }
  EXPECT_EQ(ids.size(), 4u);
  EXPECT_EQ(tally.threadIds[0].load(), CurrentThreadId());
  const std::vector<int> workers = pool.ThreadIds();
  EXPECT_EQ(std::set<int>(workers.begin(), workers.end()),
            std::set<int>({tally.threadIds[1].load(), tally.threadIds[2].load(),
                           tally.threadIds[3].load()}));
}

TEST(WorkerPool, AJobWaitsForTheSlowestParticipant) {
  WorkerPool pool(1);
  std::atomic<bool> workerDone{false};
  struct Context {
    std::atomic<bool>* workerDone;
  } context{&workerDone};
  pool.Run(
      [](void* raw, int participant) {
        if (participant == 1) {
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
          static_cast<Context*>(raw)->workerDone->store(true);
        }
      },
      &context);
  EXPECT_TRUE(workerDone.load());
}

TEST(WorkerPool, StartsAndStopsCleanlyIdleOrBusy) {
  for (int round = 0; round < 50; ++round) {
    WorkerPool idle(round % 4);  // never given a job
  }
  for (int round = 0; round < 50; ++round) {
    WorkerPool pool(2);
    Tally tally(3);
    pool.Run(&Tally::Count, &tally);
    EXPECT_EQ(tally.runs[2].load(), 1);
  }
  WorkerPool alone(0);
  EXPECT_EQ(alone.Participants(), 1);
  Tally tally(1);
  alone.Run(&Tally::Count, &tally);
  EXPECT_EQ(tally.threadIds[0].load(), CurrentThreadId());
}

}  // namespace
}  // namespace zirvanta::fast
