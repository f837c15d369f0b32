#include "export/export_job.h"

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "export_test_support.h"

namespace zirvanta {
namespace {

using testing::ReadBytes;
using testing::TempDir;

ExportParams MakeParams(const std::string& path, int64_t width, int64_t height) {
  ExportParams params{path, width, height, -0.1f, 0.05f, 3.2f, -0.8, 0.156, {}, 510, 1};
  BuildPalette(PaletteParams{2, 10, 60, 90, 3, 7, 11}, params.palette);
  return params;
}

struct StepLog {
  std::vector<int64_t> progress;
  int finished = 0;
  std::vector<std::string> failures;
  std::function<void(int64_t)> onProgress;

  ExportJob::Steps Steps() {
    return {[this](int64_t row) {
              progress.push_back(row);
              if (onProgress) onProgress(row);
            },
            [this] { ++finished; },
            [this](const std::string& message) { failures.push_back(message); }};
  }
};

void RunToEnd(ExportJob& job) {
  ASSERT_TRUE(job.Start());
  job.WaitServing();
  EXPECT_FALSE(job.Running());
}

TEST(LimitForDepth, DepthChoicesGiveTheDepthMinusTwo) {
  for (int depth = 256; depth <= 8192; depth *= 2) EXPECT_EQ(LimitForDepth(depth), depth - 2);
  for (const int depth : {0, 255, 257, 300, 16384}) EXPECT_EQ(LimitForDepth(depth), 0);
}

TEST(ExportJob, WritesThePlainLoopsPixelsOrStopsOnlyAtAProgressPoint) {
  enum Stop { kNoStop, kStopBeforeStart, kStopAtFirstPoint };
  struct Case {
    int64_t width, height;
    Stop stop;
    std::vector<int64_t> progress;
    int64_t lastRow;
    bool written;
  };
  TempDir dir;
  OwnerMailbox mailbox;
  const std::string path = dir.File("pic.bmp");
  // W = 1 and 2 put the centre column at 0 and 1; 37 x 3 bytes pad to 112. Below 21 rows no stop
  // is seen; at 21 rows it is seen after the last row, before the writing.
  for (const Case& c : {Case{1, 20, kNoStop, {}, -1, true}, Case{2, 21, kNoStop, {20}, 20, true},
                        Case{37, 62, kNoStop, {20, 41}, 41, true},
                        Case{5, 63, kNoStop, {20, 41, 62}, 62, true},
                        Case{6, 20, kStopBeforeStart, {}, -1, true},
                        Case{6, 21, kStopBeforeStart, {}, 20, false},
                        Case{6, 63, kStopAtFirstPoint, {20}, 41, false}}) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << " stop " << c.stop);
    testing::WriteBytes(path, "an older picture");
    const ExportParams params = MakeParams(path, c.width, c.height);
    StepLog log;
    ExportJob job(params, log.Steps(), mailbox);
    if (c.stop == kStopBeforeStart) job.RequestStop();
    if (c.stop == kStopAtFirstPoint) log.onProgress = [&](int64_t) { job.RequestStop(); };
    RunToEnd(job);
    EXPECT_EQ(log.progress, c.progress);
    EXPECT_EQ(job.ProgressRow(), c.lastRow);
    EXPECT_EQ(log.finished, c.written ? 1 : 0);
    EXPECT_TRUE(log.failures.empty());
    EXPECT_TRUE(ReadBytes(path) ==
                (c.written ? testing::ExpectedExport(params) : "an older picture"));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"pic.bmp"});
    EXPECT_FALSE(job.Start()) << "one export per job";
  }
}

// Notes the rows, their first y and the thread's nice value of each block, and the priorities.
struct RecordingRenderer final : Renderer {
  std::vector<std::tuple<int64_t, int64_t, double, int>>& blocks;
  std::vector<ThreadPriority>& priorities;

  RecordingRenderer(decltype(blocks) b, decltype(priorities) p) : blocks(b), priorities(p) {}
  void RenderPicture(const PictureGeometry&, const FractalState&, const Palette&,
                     Bitmap&) override {}
  void RenderExportRows(const ExportGeometry&, const ExportInputs&, int64_t first, int64_t count,
                        double firstY, Bitmap&) override {
    blocks.emplace_back(first, count, firstY,
                        getpriority(PRIO_PROCESS, static_cast<id_t>(CurrentThreadId())));
  }
  void SetWorkerPriority(ThreadPriority priority) override { priorities.push_back(priority); }
};

TEST(ExportJob, RowsGoInBlocksOf21WithTheRunningYAndPrioritiesFollowTheChoice) {
  TempDir dir;
  OwnerMailbox mailbox;
  // A deep zoom away from 0, where the running sum rounds differently from y0 - row x step.
  ExportParams params = MakeParams(dir.File("blocks.bmp"), 9, 50);
  params.centreY = 0.7f;
  params.viewWidth = 3e-9f;
  params.priorityChoice = 2;
  std::vector<std::tuple<int64_t, int64_t, double, int>> blocks;
  std::vector<ThreadPriority> priorities;
  StepLog log;
  ExportJob job(params, log.Steps(), mailbox,
                std::make_unique<RecordingRenderer>(blocks, priorities));
  job.SetPriority(7);  // no choice: nothing changes
  job.SetPriority(1);  // made before the thread runs: applied when it starts
  log.onProgress = [&](int64_t row) {
    if (row == 20) job.SetPriority(0);
  };
  RunToEnd(job);
  job.SetPriority(3);  // after the end: no thread to apply it to

  const ExportGeometry g = MakeExportGeometry(-0.1f, 0.7f, 3e-9f, 9, 50);
  const std::vector<double> ys = ExportRowCoordinates(g);
  ASSERT_NE(ys[42], g.y0 - 42.0 * static_cast<double>(g.step));
  ASSERT_EQ(blocks.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(std::get<0>(blocks[i]), static_cast<int64_t>(21 * i));
    EXPECT_EQ(std::get<1>(blocks[i]), i < 2 ? 21 : 8);
    EXPECT_EQ(std::memcmp(&std::get<2>(blocks[i]), &ys[21 * i], 8), 0) << "the running sum";
  }
  EXPECT_EQ(priorities, std::vector({ThreadPriority::Normal, ThreadPriority::Idle}));
  EXPECT_EQ(std::get<3>(blocks[1]), 19) << "\"low\" puts the job's own thread at idle priority";
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// What the failure step was given, when the job did not finish.
std::vector<std::string> Failures(const std::string& path, int64_t width, int64_t height) {
  OwnerMailbox mailbox;
  StepLog log;
  ExportJob job(MakeParams(path, width, height), log.Steps(), mailbox);
  if (!job.Start()) return {"not started"};
  job.WaitServing();
  return log.finished == 0 ? log.failures : std::vector<std::string>{"finished"};
}

// A 30000 x 30000 bitmap (2.7 GB) in a process held to 1 GB of address space.
bool HugeBitmapIsReported(const std::string& path) {
  const rlimit limit{rlim_t{1} << 30, rlim_t{1} << 30};
  return setrlimit(RLIMIT_AS, &limit) == 0 &&
         Failures(path, 30000, 30000) ==
             std::vector<std::string>{
                 "There is not enough memory for an image of 30000 x 30000 pixels."};
}

TEST(ExportJob, FailuresAreReportedAndWriteNothing) {
  TempDir dir;
  const std::vector<std::string> missing = Failures(dir.File("missing/pic.bmp"), 5, 30);
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_EQ(missing[0].rfind(kWriteOpenFailedMessage + std::string("\n"), 0), 0u) << missing[0];
  EXPECT_EQ(Failures(dir.File("zero.bmp"), 0, 30), std::vector{*ExportSizeProblem(0, 30)});
  if (!kSanitized) {  // the sanitizers' shadow memory does not fit an address limit
    EXPECT_EXIT(std::_Exit(HugeBitmapIsReported(dir.File("huge.bmp")) ? 0 : 1),
                ::testing::ExitedWithCode(0), "");
  }
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(ExportJob, WaitingOrClosingWhileTheJobIsBlockedInAStepServesTheStep) {
  struct Case {
    int64_t height;
    bool close;
    std::vector<int64_t> progress;
    int finished;
  };
  TempDir dir;
  // The first step is the progress step of row 20, or for 5 rows the finish step.
  for (const Case& c : {Case{42, false, {20, 41}, 1}, Case{42, true, {20}, 0},
                        Case{5, true, {}, 1}}) {
    SCOPED_TRACE(::testing::Message() << c.height << " " << c.close);
    std::atomic<int> notified{0};
    OwnerMailbox mailbox([&] {
      notified.fetch_add(1);
      notified.notify_all();
    });
    StepLog log;
    auto job = std::make_unique<ExportJob>(MakeParams(dir.File("served.bmp"), 4, c.height),
                                           log.Steps(), mailbox);
    ASSERT_TRUE(job->Start());
    notified.wait(0);
    EXPECT_TRUE(job->Running());
    if (!c.close) job->WaitServing();
    job.reset();  // the close asks for a stop and waits
    EXPECT_EQ(log.progress, c.progress);
    EXPECT_EQ(log.finished, c.finished);
    EXPECT_FALSE(mailbox.RunPending());
  }
  OwnerMailbox mailbox;
  ExportJob neverStarted(MakeParams(dir.File("never.bmp"), 4, 4), {}, mailbox);
}

}  // namespace
}  // namespace zirvanta
