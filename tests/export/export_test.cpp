#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "engine/fast/fast_renderer.h"
#include "export_test_support.h"

namespace zirvanta {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using Names = std::vector<std::string>;

TEST(WriteBmp, HeaderThenRowsBottomUpWithZeroPadding) {
  EXPECT_EQ(BmpHeader(5, 3), testing::Hex("424D 66000000 00000000 36000000 28000000 05000000 "
                                          "03000000 0100 1800 00000000 30000000" +
                                          std::string(32, '0')));
  TempDir dir;
  // Rows of 3, 6, 9 and 15 bytes pad to 4, 8, 12 and 16; 700 rows of 3000 bytes go out in
  // several gathered writes and a partial last one; rows of 1.2 MB go out one by one.
  for (const auto& [width, height] : {std::pair<int64_t, int64_t>{1, 3}, {2, 3}, {3, 3}, {5, 3},
                                      {1000, 700}, {400001, 2}}) {
    // Pixel bytes that tell rows and columns apart, and junk in the padding.
    Bitmap bitmap(width, height, PixelFormat::Bgr24);
    for (int64_t row = 0; row < height; ++row) {
      for (size_t i = 0; i < bitmap.Stride(); ++i) {
        bitmap.Row(row)[i] = i < size_t(width) * 3 ? uint8_t(row * 31 + i * 7 + 1) : 0xEE;
      }
    }
    ASSERT_TRUE(WriteBmp(dir.File("p.bmp"), bitmap).ok());
    EXPECT_TRUE(ReadBytes(dir.File("p.bmp")) == testing::BmpFile(bitmap)) << width;
  }
}

TEST(ExportSizeProblem, SidesOfAtLeastOnePixelAndFilesWithin4GB) {
  for (const auto& [width, height] : {std::pair<int64_t, int64_t>{5, 0}, {-3, 4}, {4, INT64_MIN},
                                      {1, 1073741811}, {236196850, 177147637},
                                      {INT64_MAX, INT64_MAX}, {int64_t{1} << 31, 1}}) {
    EXPECT_TRUE(ExportSizeProblem(width, height)) << width << " x " << height;
  }
  // The largest that fit, 54 + S x H = 4294967294 bytes, and their headers hold every bit.
  EXPECT_FALSE(ExportSizeProblem(1, 1) || ExportSizeProblem(1431655746, 1) ||
               ExportSizeProblem(1, 1073741810));
  EXPECT_EQ(BmpHeader(1431655746, 1).substr(2, 4), testing::Hex("FEFFFFFF"));
  EXPECT_EQ(BmpHeader(1, 1073741810).substr(34, 4), testing::Hex("C8FFFFFF"));
}

// A deep zoom, where rows at y0 - row x step instead of the running sum of the step would change
// pixels of the 37 x 62 export.
ExportParams MakeParams(const std::string& path, int64_t width, int64_t height) {
  ExportParams params{path, width, height, 0.907762051f, -0.367895484f, 3e-9f,
                      -0.8, 0.156, {}, 510, 1};
  BuildPalette(PaletteParams{2, 10, 60, 90, 3, 7, 11}, params.palette);
  return params;
}

// What the steps were given; each step then runs onStep.
struct StepLog {
  std::vector<int64_t> progress;
  int finished = 0;
  std::vector<std::string> failures;
  std::function<void()> onStep = [] {};

  ExportJob::Steps Steps() {
    return {[this](int64_t row) { progress.push_back(row), onStep(); },
            [this] { ++finished, onStep(); },
            [this](const std::string& message) { failures.push_back(message), onStep(); }, {}};
  }
};

TEST(ExportJob, WritesThePlainLoopsPixelsOrStopsOnlyAtAProgressPoint) {
  enum Stop { kNoStop, kStopBeforeStart, kStopAtFirstPoint };
  struct Case {
    int64_t width, height; Stop stop; std::vector<int64_t> progress; int64_t lastRow; bool written;
  };
  TempDir dir;
  OwnerMailbox mailbox;
  const std::string path = dir.File("pic.bmp");
  // W = 1 and 2 put the centre column at 0 and 1; 37 x 3 bytes pad to 112. Below 21 rows no stop
  // is seen; at 21 rows it is seen after the last row, before the writing.
  const Case cases[] = {{1, 20, kNoStop, {}, -1, true}, {2, 21, kNoStop, {20}, 20, true},
      {37, 62, kNoStop, {20, 41}, 41, true}, {5, 63, kNoStop, {20, 41, 62}, 62, true},
      {6, 20, kStopBeforeStart, {}, -1, true}, {6, 21, kStopBeforeStart, {}, 20, false},
      {6, 63, kStopAtFirstPoint, {20}, 41, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << " stop " << c.stop);
    testing::WriteBytes(path, "an older picture");
    const ExportParams params = MakeParams(path, c.width, c.height);
    StepLog log;
    ExportJob job(params, log.Steps(), mailbox);
    if (c.stop == kStopBeforeStart) job.RequestStop();
    if (c.stop == kStopAtFirstPoint) log.onStep = [&] { job.RequestStop(); };
    ASSERT_TRUE(job.Start());
    job.WaitServing();
    EXPECT_EQ(log.progress, c.progress);
    EXPECT_EQ(job.ProgressRow(), c.lastRow);
    EXPECT_EQ(log.finished, c.written ? 1 : 0);
    EXPECT_TRUE(log.failures.empty());
    const std::string expected = c.written ? testing::ExpectedExport(params) : "an older picture";
    EXPECT_TRUE(ReadBytes(path) == expected);
    EXPECT_EQ(dir.Entries(), Names{"pic.bmp"});
    EXPECT_FALSE(job.Start()) << "one export per job";
  }
}

// Notes, for each block, the nice value of the thread computing it and the renderer's thread
// share, and the workers' priorities.
struct PaceRecorder : Renderer {
  std::vector<int> nice, share;
  std::vector<ThreadPriority> workers;
  std::atomic<int> activeThreads{-1};
  void RenderPicture(const PictureGeometry&, const FractalState&, const Palette&, Bitmap&) final {}
  void RenderExportRows(const ExportGeometry&, const ExportInputs&, int64_t, int64_t, double,
                        Bitmap&) final {
    nice.push_back(getpriority(PRIO_PROCESS, id_t(CurrentThreadId())));
    share.push_back(activeThreads);
  }
  void SetWorkerPriority(ThreadPriority priority) final { workers.push_back(priority); }
  void SetActiveThreads(int count) final { activeThreads = count; }
};

// Exports 84 rows (four blocks) at params' choice choices[0], with choices[k] set at the k-th
// progress point, `before` set before the start and "critical" after the end.
struct PaceNotes { std::vector<int> nice, share; std::vector<ThreadPriority> workers; };
PaceNotes RunPaces(const std::string& path, std::vector<int> choices, std::vector<int> before = {},
                   std::function<bool()> liveViewBusy = {}) {
  OwnerMailbox mailbox;
  ExportParams params = MakeParams(path, 2, 84);
  params.priorityChoice = choices[0];
  auto owned = std::make_unique<PaceRecorder>();
  const PaceRecorder& recorder = *owned;
  StepLog log;
  ExportJob::Steps steps = log.Steps();
  steps.liveViewBusy = std::move(liveViewBusy);
  ExportJob job(params, std::move(steps), mailbox, std::move(owned));
  for (int choice : before) job.SetPriority(choice);
  log.onStep = [&] {
    if (log.progress.size() < choices.size()) job.SetPriority(choices[log.progress.size()]);
  };
  EXPECT_TRUE(job.Start());
  job.WaitServing();
  job.SetPriority(3);  // no thread left to apply it to
  EXPECT_EQ(log.finished, 1);
  return {recorder.nice, recorder.share, recorder.workers};
}

TEST(ExportJob, PrioritiesFollowTheChoiceFromBeforeTheStartToTheEnd) {
  TempDir dir;
  // 7 is no choice; 1, made before the thread runs, applies when it starts; "low" at row 20.
  const PaceNotes notes = RunPaces(dir.File("p.bmp"), {2, 0}, {7, 1});
  // "low" computes on one thread, at the idle nice value only where it can come back from it.
  const bool reversible = LowestAllowedNice() <= 0;
  const ThreadPriority low = reversible ? ThreadPriority::Idle : ThreadPriority::Normal;
  EXPECT_EQ(notes.workers, std::vector({ThreadPriority::Normal, low}));
  EXPECT_EQ(notes.share, std::vector({0, 1, 1, 1}));
  EXPECT_EQ(notes.nice.at(1), reversible ? 19 : notes.nice.at(0));
}

// "low" to "critical" and back for a user without privileges (as root, a child drops to nobody
// with no room to lower nice values); "low" and "normal" wait for a busy live view.
TEST(ExportJob, PrioritiesWorkBothWaysWithoutPrivileges) {
  TempDir dir;
  std::filesystem::permissions(dir.path, std::filesystem::perms::all);
  const auto unprivileged = [&] {
    const rlimit none{0, 0};
    if (geteuid() == 0 &&
        (setrlimit(RLIMIT_NICE, &none) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
      return 3;
    }
    if (LowestAllowedNice() <= 0) return 3;  // privileged after all: nothing to show
    const std::vector<int> unchanged(4, getpriority(PRIO_PROCESS, 0));
    std::atomic<int> busyCalls{0};
    const PaceNotes up =
        RunPaces(dir.File("up.bmp"), {0, 3, 1}, {}, [&] { return ++busyCalls % 2 == 1; });
    const PaceNotes down = RunPaces(dir.File("down.bmp"), {3, 0});
    return up.share == std::vector({1, 0, 0, 0}) && down.share == std::vector({0, 1, 1, 1}) &&
                   up.nice == unchanged && down.nice == unchanged && busyCalls >= 4 ? 0 : 1;
  };
  EXPECT_EXIT(std::_Exit(unprivileged()), ::testing::ExitedWithCode(0), "")
      << "exit 3: privileges could not be dropped here";
}

// What the failure step was given, when the job did not finish.
Names Failures(const std::string& path, int64_t width, int64_t height) {
  OwnerMailbox mailbox;
  StepLog log;
  ExportJob job(MakeParams(path, width, height), log.Steps(), mailbox);
  if (!job.Start()) return {"not started"};
  job.WaitServing();
  return log.finished == 0 ? log.failures : Names{"finished"};
}

TEST(ExportJob, FailuresAreReportedAndWriteNothing) {
  // A file that cannot be written fails in the stress test, which has missing folders.
  TempDir dir;
  EXPECT_EQ(Failures(dir.File("zero.bmp"), 0, 30), Names{*ExportSizeProblem(0, 30)});
  // A file larger than the process may write is refused.
  const auto tooLarge = [&] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{rlim_t{1} << 20, rlim_t{1} << 20};
    return setrlimit(RLIMIT_FSIZE, &limit) == 0 &&
           Failures(dir.File("large.bmp"), 2000, 2000).at(0).starts_with(
               kWriteOpenFailedMessage + std::string("\n") + kWriteIncompleteMessage);
  };
  EXPECT_EXIT(std::_Exit(tooLarge() ? 0 : 1), ::testing::ExitedWithCode(0), "");
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)  // shadow memory needs room
  // A target that takes its bytes in order (a pipe) needs the picture whole: a 30000 x 30000
  // bitmap (2.7 GB) in a process held to 1 GB of address space.
  ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
  const auto huge = [&] {
    const rlimit limit{rlim_t{1} << 30, rlim_t{1} << 30};
    return setrlimit(RLIMIT_AS, &limit) == 0 && Failures(dir.File("pipe"), 30000, 30000) ==
        Names{"There is not enough memory for an image of 30000 x 30000 pixels."};
  };
  EXPECT_EXIT(std::_Exit(huge() ? 0 : 1), ::testing::ExitedWithCode(0), "");
  std::filesystem::remove(dir.File("pipe"));
#endif
  EXPECT_TRUE(dir.Entries().empty());
}

// Bands of one block each for an image this wide, on both of the renderer's threads or ("low")
// on one: the rows reach the file at their places; a stop between bands leaves the old file.
TEST(ExportJob, WideImagesGoToTheFileInBands) {
  TempDir dir;
  const std::string path = dir.File("wide.bmp");
  ExportParams params{path, 30001, 70, -0.1f, 0.2f, 3.0f, -0.8, 0.156, {}, 30, 1};
  BuildPalette(PaletteParams{3, 20, 50, 70, 5, 9, 13}, params.palette);
  ASSERT_EQ(ExportJob::BandRows(params.width), 21);
  EXPECT_EQ(ExportJob::BandRows(1920), 168);
  for (const auto& [stop, choice] : {std::pair{false, 1}, {false, 0}, {true, 1}}) {
    params.priorityChoice = choice;
    testing::WriteBytes(path, "an older picture");
    OwnerMailbox mailbox;
    StepLog log;
    ExportJob job(params, log.Steps(), mailbox, std::make_unique<FastRenderer>(2));
    if (stop) log.onStep = [&] { if (log.progress.size() == 2) job.RequestStop(); };
    ASSERT_TRUE(job.Start());
    job.WaitServing();
    EXPECT_TRUE(ReadBytes(path) == (stop ? "an older picture" : testing::ExpectedExport(params)));
    EXPECT_EQ(dir.Entries(), Names{"wide.bmp"});
  }
}

// Starts, stops, priority changes and closes at random moments; meant to run under TSan. Closes
// and waits find the job blocked in a step at times, and must serve it.
TEST(ExportJobStress, ManyShortJobsWithRandomStopsPrioritiesAndCloses) {
  TempDir dir;
  // The hook posts an event that the owner handles when it gets round to it, as an event loop.
  std::atomic<int> posted{0};
  OwnerMailbox mailbox([&] { posted.fetch_add(1); });
  const auto runEvents = [&] { for (; posted > 0; --posted) mailbox.RunPending(); };
  std::mt19937 random(20240611);
  const auto pick = [&](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(random); };
  ExportParams params = MakeParams("", 0, 0);
  params.limit = 40;

  int endings[4] = {};
  for (int i = 0; i < 250; ++i) {
    SCOPED_TRACE(i);
    const bool badFolder = pick(0, 7) == 0;
    params.outputPath = dir.File((badFolder ? "missing/" : "") + std::to_string(i) + ".bmp");
    params.width = pick(1, 24), params.height = pick(1, 90), params.priorityChoice = pick(0, 4);
    StepLog log;
    bool badStep = false;
    // Each step must run on the owner's thread and, running a nested event loop as a message box
    // does, find nothing to run.
    log.onStep = [&, owner = std::this_thread::get_id()] {
      badStep |= std::this_thread::get_id() != owner || mailbox.RunPending();
    };
    auto job = std::make_unique<ExportJob>(params, log.Steps(), mailbox);
    ASSERT_TRUE(job->Start());
    bool stopAsked = false;
    for (int action = pick(0, 25); action > 0; --action) {
      switch (pick(0, 4)) {
        case 0: runEvents(); break;
        case 1: job->SetPriority(pick(-1, 4)); break;
        case 2: if (pick(0, 3) == 0) job->RequestStop(), stopAsked = true; break;
        case 3: std::this_thread::sleep_for(std::chrono::microseconds(pick(0, 300))); break;
        default: (void)job->ProgressRow(); break;
      }
    }
    if (pick(0, 1) == 0) job->WaitServing();
    else stopAsked = true;  // the close asks for the stop
    job.reset();
    runEvents();  // notifications left over from the job find nothing to run
    EXPECT_FALSE(badStep);
    for (size_t k = 0; k < log.progress.size(); ++k) EXPECT_EQ(log.progress[k], int(21 * k + 20));
    const int ending = log.finished + 2 * int(log.failures.size());  // 0 stopped, 1 done, 2 failed
    ++endings[std::min(ending, 3)];
    EXPECT_EQ(std::filesystem::exists(params.outputPath), ending == 1);
    EXPECT_TRUE(ending != 2 || (badFolder && log.failures[0].starts_with(kWriteOpenFailedMessage)));
    EXPECT_TRUE(ending != 0 || (stopAsked && params.height >= 21)) << "stops only at a point";
  }
  EXPECT_FALSE(mailbox.RunPending());
  // Each ending was reached, or the test did not test much; no job both finished and failed.
  EXPECT_TRUE(endings[0] > 0 && endings[1] > 0 && endings[2] > 0 && endings[3] == 0);
}

}  // namespace
}  // namespace zirvanta
