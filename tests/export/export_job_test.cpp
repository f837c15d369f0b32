#include "export/export_job.h"

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/colourer.h"
#include "engine/render.h"
#include "export/bmp.h"
#include "export_test_support.h"

namespace zirvanta {
namespace {

using testing::ExportDir;
using testing::ReadAll;

ExportParams MakeParams(const std::string& path, int64_t width, int64_t height) {
  ExportParams params;
  params.outputPath = path;
  params.width = width;
  params.height = height;
  params.centreX = -0.1f;
  params.centreY = 0.05f;
  params.viewWidth = 3.2f;
  params.cr = -0.8;
  params.ci = 0.156;
  BuildPalette(PaletteParams{2, 10, 60, 90, 3, 7, 11}, params.palette);
  params.limit = 510;
  params.priorityChoice = 1;
  return params;
}

// The file the export must write, worked out by the plain sequential loop of the thread body.
std::string ExpectedFile(const ExportParams& p) {
  const ExportGeometry g = MakeExportGeometry(p.centreX, p.centreY, p.viewWidth, p.width, p.height);
  const size_t stride = Bitmap::StrideFor(p.width, PixelFormat::Bgr24);
  std::vector<std::string> rows;
  double y = g.y0;
  for (int64_t r = 0; r < p.height; ++r) {
    std::string row(stride, '\0');
    double x = g.x0;
    for (int64_t k = 0; k < p.width; ++k) {
      const PaletteEntry& e = ExportColour(x, y, p.cr, p.ci, p.limit, p.palette);
      row[3 * k] = static_cast<char>(e.blue);
      row[3 * k + 1] = static_cast<char>(e.green);
      row[3 * k + 2] = static_cast<char>(e.red);
      x = x + g.step;
    }
    rows.push_back(row);
    y = y - g.step;
  }
  std::string file = BmpHeader(p.width, p.height);
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) file += *it;
  return file;
}

// What the steps saw; each step also checks that it runs on the owner's thread.
struct StepLog {
  std::thread::id owner = std::this_thread::get_id();
  std::vector<int64_t> progress;
  int finished = 0;
  std::vector<std::string> failures;
  bool offOwnerThread = false;
  std::function<void(int64_t)> onProgress;

  ExportJob::Steps Steps() {
    return {[this](int64_t row) {
              offOwnerThread |= std::this_thread::get_id() != owner;
              progress.push_back(row);
              if (onProgress) onProgress(row);
            },
            [this] {
              offOwnerThread |= std::this_thread::get_id() != owner;
              ++finished;
            },
            [this](const std::string& message) {
              offOwnerThread |= std::this_thread::get_id() != owner;
              failures.push_back(message);
            }};
  }
};

void RunToEnd(ExportJob& job) {
  ASSERT_TRUE(job.Start());
  job.WaitServing();
  EXPECT_FALSE(job.Running());
}

// Records how the job hands out its rows and priorities, then renders as the plain renderer.
class RecordingRenderer final : public Renderer {
 public:
  struct Block {
    int64_t first;
    int64_t count;
    double firstY;
    int niceOfCaller;
  };
  struct Log {
    std::mutex mutex;
    std::vector<Block> blocks;
    std::vector<ThreadPriority> priorities;
  };

  explicit RecordingRenderer(Log& log) : log_(log) {}

  void RenderPicture(const PictureGeometry& geometry, const FractalState& state,
                     const Palette& palette, Bitmap& bitmap) override {
    plain_.RenderPicture(geometry, state, palette, bitmap);
  }
  void RenderExportRows(const ExportGeometry& geometry, const ExportInputs& inputs,
                        int64_t firstRow, int64_t rowCount, double firstRowY,
                        Bitmap& bitmap) override {
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(CurrentThreadId()));
    {
      std::lock_guard lock(log_.mutex);
      log_.blocks.push_back({firstRow, rowCount, firstRowY, nice});
    }
    plain_.RenderExportRows(geometry, inputs, firstRow, rowCount, firstRowY, bitmap);
  }
  void SetWorkerPriority(ThreadPriority priority) override {
    std::lock_guard lock(log_.mutex);
    log_.priorities.push_back(priority);
  }

 private:
  Log& log_;
  PlainRenderer plain_;
};

TEST(LimitForDepth, DepthChoicesAndOthers) {
  EXPECT_EQ(LimitForDepth(256), 254);
  EXPECT_EQ(LimitForDepth(512), 510);
  EXPECT_EQ(LimitForDepth(1024), 1022);
  EXPECT_EQ(LimitForDepth(2048), 2046);
  EXPECT_EQ(LimitForDepth(4096), 4094);
  EXPECT_EQ(LimitForDepth(8192), 8190);
  for (const int depth : {0, 255, 257, 16384, -256}) EXPECT_EQ(LimitForDepth(depth), 0);
}

TEST(ExportSizeProblem, SidesOfAtLeastOnePixelAndFilesWithin4GB) {
  EXPECT_FALSE(ExportSizeProblem(1, 1));
  EXPECT_FALSE(ExportSizeProblem(1024, 768));
  EXPECT_EQ(ExportSizeProblem(0, 768).value_or(""),
            "An image of 0 x 768 pixels cannot be made: the width and the height must be at "
            "least 1 pixel.");
  EXPECT_TRUE(ExportSizeProblem(5, 0));
  EXPECT_TRUE(ExportSizeProblem(-3, 4));
  EXPECT_TRUE(ExportSizeProblem(4, INT64_MIN));

  // 54 + S x H must fit 32 bits: the widest single row has 4294967240 bytes.
  EXPECT_FALSE(ExportSizeProblem(1431655746, 1));
  EXPECT_EQ(ExportSizeProblem(1431655747, 1).value_or(""),
            "An image of 1431655747 x 1 pixels is too large for a BMP file, which holds at most "
            "4 GB.");
  EXPECT_FALSE(ExportSizeProblem(1, 1073741810));
  EXPECT_TRUE(ExportSizeProblem(1, 1073741811));
  // 9999 m at 600 dpi: far beyond, and no overflow on the way.
  EXPECT_TRUE(ExportSizeProblem(236196850, 177147637));
  EXPECT_TRUE(ExportSizeProblem(INT64_MAX, INT64_MAX));
  EXPECT_TRUE(ExportSizeProblem(int64_t{1} << 31, 1));
}

TEST(ExportJob, FileHoldsTheExportColourOfEveryPixel) {
  ExportDir dir;
  OwnerMailbox mailbox;
  // 37 x 3 bytes pad to 112; 1 and 2 columns give cx = 0 and cx = 1.
  for (const auto& [width, height] : {std::pair<int64_t, int64_t>{37, 29}, {1, 23}, {2, 5}}) {
    SCOPED_TRACE(width);
    ExportParams params = MakeParams(dir.File("pic" + std::to_string(width) + ".bmp"), width,
                                     height);
    StepLog log;
    ExportJob job(params, log.Steps(), mailbox);
    RunToEnd(job);
    EXPECT_EQ(log.finished, 1);
    EXPECT_TRUE(log.failures.empty());
    EXPECT_FALSE(log.offOwnerThread);
    const std::string file = ReadAll(params.outputPath);
    ASSERT_EQ(file.size(), 54 + Bitmap::StrideFor(width, PixelFormat::Bgr24) * height);
    EXPECT_TRUE(file == ExpectedFile(params));
  }
}

TEST(ExportJob, RowsGoToTheRendererInBlocksOf21WithTheSequentialY) {
  ExportDir dir;
  OwnerMailbox mailbox;
  ExportParams params = MakeParams(dir.File("blocks.bmp"), 9, 50);
  params.priorityChoice = 0;
  // A deep zoom away from 0, where the running sum rounds differently from y0 - row x step.
  params.centreY = 0.7f;
  params.viewWidth = 3e-9f;
  RecordingRenderer::Log log;
  StepLog steps;
  ExportJob job(params, steps.Steps(), mailbox, std::make_unique<RecordingRenderer>(log));
  RunToEnd(job);
  const ExportGeometry g = MakeExportGeometry(params.centreX, params.centreY, params.viewWidth,
                                              params.width, params.height);
  const std::vector<double> ys = ExportRowCoordinates(g);
  ASSERT_NE(ys[42], g.y0 - 42.0 * static_cast<double>(g.step));
  ASSERT_EQ(log.blocks.size(), 3u);
  const int64_t firsts[] = {0, 21, 42};
  const int64_t counts[] = {21, 21, 8};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(log.blocks[i].first, firsts[i]);
    EXPECT_EQ(log.blocks[i].count, counts[i]);
    // Bit for bit the running sum, not y0 - first x step.
    EXPECT_EQ(std::memcmp(&log.blocks[i].firstY, &ys[static_cast<size_t>(firsts[i])], 8), 0);
  }
  EXPECT_EQ(log.priorities, std::vector<ThreadPriority>{ThreadPriority::Idle});
  EXPECT_EQ(log.blocks[0].niceOfCaller, 19) << "\"low\" runs the job thread at idle priority";
  EXPECT_TRUE(ReadAll(params.outputPath) == ExpectedFile(params));
}

TEST(ExportJob, PriorityChoicesBeforeAndDuringTheRun) {
  ExportDir dir;
  OwnerMailbox mailbox;
  ExportParams params = MakeParams(dir.File("priority.bmp"), 4, 42);
  params.priorityChoice = 0;
  RecordingRenderer::Log log;
  StepLog steps;
  ExportJob job(params, steps.Steps(), mailbox, std::make_unique<RecordingRenderer>(log));
  job.SetPriority(7);  // not a choice: nothing changes
  job.SetPriority(2);  // made before the thread runs, applied when it starts
  steps.onProgress = [&](int64_t row) {
    if (row == 20) job.SetPriority(1);
  };
  RunToEnd(job);
  EXPECT_EQ(log.priorities,
            (std::vector<ThreadPriority>{ThreadPriority::Highest, ThreadPriority::Normal}));
  job.SetPriority(3);  // after the end: no thread to apply it to
  EXPECT_EQ(log.priorities.size(), 2u);
}

TEST(ExportJob, ProgressPointsAfterEvery21stRow) {
  ExportDir dir;
  OwnerMailbox mailbox;
  struct Case {
    int64_t height;
    std::vector<int64_t> rows;
  };
  for (const Case& c : {Case{1, {}}, Case{20, {}}, Case{21, {20}}, Case{42, {20, 41}},
                        Case{70, {20, 41, 62}}}) {
    SCOPED_TRACE(c.height);
    ExportParams params = MakeParams(dir.File("rows.bmp"), 3, c.height);
    params.limit = 30;
    StepLog log;
    ExportJob job(params, log.Steps(), mailbox);
    RunToEnd(job);
    EXPECT_EQ(log.progress, c.rows);
    EXPECT_EQ(job.ProgressRow(), c.rows.empty() ? -1 : c.rows.back());
    EXPECT_EQ(log.finished, 1);
  }
}

TEST(ExportJob, StopIsSeenOnlyAtProgressPoints) {
  ExportDir dir;
  OwnerMailbox mailbox;
  {
    // Fewer than 21 rows: no progress point, so the stop is never seen and the file is written.
    ExportParams params = MakeParams(dir.File("short.bmp"), 6, 20);
    StepLog log;
    ExportJob job(params, log.Steps(), mailbox);
    job.RequestStop();
    RunToEnd(job);
    EXPECT_EQ(log.finished, 1);
    EXPECT_TRUE(ReadAll(params.outputPath) == ExpectedFile(params));
  }
  {
    // 21 rows: the stop is seen after the last row, before anything is written.
    ExportParams params = MakeParams(dir.File("exact.bmp"), 6, 21);
    StepLog log;
    ExportJob job(params, log.Steps(), mailbox);
    job.RequestStop();
    RunToEnd(job);
    EXPECT_EQ(job.ProgressRow(), 20);
    EXPECT_TRUE(log.progress.empty());
    EXPECT_EQ(log.finished, 0);
    EXPECT_TRUE(log.failures.empty());
  }
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"short.bmp"});
}

TEST(ExportJob, StopDuringTheRenderLeavesAnExistingFileByteForByte) {
  ExportDir dir;
  OwnerMailbox mailbox;
  const std::string path = dir.File("keep.bmp");
  std::string old = "BM an older picture";
  old += std::string(3, '\0');
  testing::WriteAll(path, old);
  StepLog log;
  ExportJob job(MakeParams(path, 10, 63), log.Steps(), mailbox);
  log.onProgress = [&](int64_t) { job.RequestStop(); };
  RunToEnd(job);
  EXPECT_EQ(log.progress, std::vector<int64_t>{20});
  EXPECT_EQ(job.ProgressRow(), 41);
  EXPECT_EQ(log.finished, 0);
  EXPECT_TRUE(log.failures.empty());
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"keep.bmp"});
}

TEST(ExportJob, FailuresAreReportedAndWriteNothing) {
  ExportDir dir;
  OwnerMailbox mailbox;
  {
    StepLog log;
    ExportJob job(MakeParams(dir.File("missing/pic.bmp"), 5, 30), log.Steps(), mailbox);
    RunToEnd(job);
    EXPECT_EQ(log.progress, std::vector<int64_t>{20});
    EXPECT_EQ(log.finished, 0);
    ASSERT_EQ(log.failures.size(), 1u);
    EXPECT_EQ(log.failures[0].rfind(kWriteOpenFailedMessage, 0), 0u) << log.failures[0];
    EXPECT_FALSE(log.offOwnerThread);
  }
  {
    // A size the dialog should have refused is refused here too.
    StepLog log;
    ExportJob job(MakeParams(dir.File("zero.bmp"), 0, 30), log.Steps(), mailbox);
    RunToEnd(job);
    EXPECT_EQ(log.failures, std::vector<std::string>{*ExportSizeProblem(0, 30)});
    EXPECT_EQ(log.finished, 0);
  }
  EXPECT_TRUE(dir.Entries().empty());
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// Runs a 30000 x 30000 export in a process whose address space is held to 1 GB, where its
// 2.7 GB bitmap cannot be allocated.
bool AllocationFailureIsReported(const std::string& path) {
  const rlimit limit{rlim_t{1} << 30, rlim_t{1} << 30};
  if (setrlimit(RLIMIT_AS, &limit) != 0) return false;
  OwnerMailbox mailbox;
  StepLog log;
  ExportJob job(MakeParams(path, 30000, 30000), log.Steps(), mailbox);
  if (!job.Start()) return false;
  job.WaitServing();
  const std::vector<std::string> expected{
      "There is not enough memory for an image of 30000 x 30000 pixels."};
  return log.failures == expected && log.finished == 0 && !job.Running();
}

TEST(ExportJobDeathTest, BitmapThatCannotBeAllocatedIsReportedWithItsSize) {
  if (kSanitized) GTEST_SKIP() << "the sanitizers' shadow memory does not fit an address limit";
  ExportDir dir;
  const std::string path = dir.File("huge.bmp");
  EXPECT_EXIT(std::_Exit(AllocationFailureIsReported(path) ? 0 : 1),
              ::testing::ExitedWithCode(0), "");
  EXPECT_TRUE(dir.Entries().empty());
}

// The owner learns of a pending step through the hook and waits for it like a slow event loop.
struct PendingSignal {
  std::mutex mutex;
  std::condition_variable changed;
  int count = 0;

  void Notify() {
    std::lock_guard lock(mutex);
    ++count;
    changed.notify_all();
  }
  void WaitFor(int n) {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return count >= n; });
  }
};

TEST(ExportJob, WaitingForTheJobWhileItIsBlockedInAStepServesTheStep) {
  ExportDir dir;
  {
    PendingSignal signal;
    OwnerMailbox mailbox([&] { signal.Notify(); });
    StepLog log;
    ExportJob job(MakeParams(dir.File("served.bmp"), 4, 42), log.Steps(), mailbox);
    ASSERT_TRUE(job.Start());
    signal.WaitFor(1);  // the job now waits in the progress step of row 20
    EXPECT_TRUE(job.Running());
    EXPECT_EQ(job.ProgressRow(), 20);
    job.WaitServing();
    EXPECT_EQ(log.progress, (std::vector<int64_t>{20, 41}));
    EXPECT_EQ(log.finished, 1);
    EXPECT_FALSE(mailbox.RunPending()) << "nothing is left once the job has ended";
  }
  {
    // Closing while the job waits in its progress step: the step still runs, then the stop.
    PendingSignal signal;
    OwnerMailbox mailbox([&] { signal.Notify(); });
    StepLog log;
    auto job = std::make_unique<ExportJob>(MakeParams(dir.File("closed.bmp"), 4, 42),
                                           log.Steps(), mailbox);
    ASSERT_TRUE(job->Start());
    signal.WaitFor(1);
    job.reset();
    EXPECT_EQ(log.progress, std::vector<int64_t>{20});
    EXPECT_EQ(log.finished, 0);
  }
  {
    // Closing while the job waits in its finish step: the file is there and the step runs.
    PendingSignal signal;
    OwnerMailbox mailbox([&] { signal.Notify(); });
    StepLog log;
    auto job = std::make_unique<ExportJob>(MakeParams(dir.File("finished.bmp"), 4, 5),
                                           log.Steps(), mailbox);
    ASSERT_TRUE(job->Start());
    signal.WaitFor(1);
    job.reset();
    EXPECT_EQ(log.finished, 1);
  }
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"finished.bmp", "served.bmp"}));
}

TEST(ExportJob, StartsOnceAndEndsCleanlyWhenNeverStarted) {
  ExportDir dir;
  OwnerMailbox mailbox;
  StepLog log;
  {
    ExportJob idle(MakeParams(dir.File("never.bmp"), 4, 4), log.Steps(), mailbox);
    EXPECT_FALSE(idle.Running());
    idle.WaitServing();
  }
  ExportJob job(MakeParams(dir.File("once.bmp"), 4, 4), log.Steps(), mailbox);
  RunToEnd(job);
  EXPECT_FALSE(job.Start());
  EXPECT_EQ(log.finished, 1);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"once.bmp"});
}

}  // namespace
}  // namespace zirvanta
