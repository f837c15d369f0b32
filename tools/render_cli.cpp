#include "render_cli.h"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <iostream>
#include <limits>
#include <optional>
#include <system_error>

#include <unistd.h>

#include "engine/bitmap.h"
#include "engine/fast/fast_renderer.h"
#include "engine/render.h"
#include "engine/view.h"
#include "export/bmp.h"
#include "export/export_job.h"
#include "export/png.h"
#include "files/fractal_file.h"

namespace zirvanta {
namespace {

constexpr int kUsageError = 2;

constexpr const char* kUsage =
    "Usage:\n"
    "  zirvanta-render [options] live FRACTAL.frc OUT\n"
    "  zirvanta-render [options] general FRACTAL.frc OUT\n"
    "  zirvanta-render [options] picture FRACTAL.frc W H OUT\n"
    "  zirvanta-render [options] export FRACTAL.frc W H DEPTH OUT\n"
    "\n"
    "Renders a fractal file into an image: an 8-bit RGB PNG file when OUT ends in .png (in any\n"
    "case), a 24-bit BMP file for every other name. Same pixels either way.\n"
    "\n"
    "  live     the 530 x 409 live view of the main window\n"
    "  general  the 81 x 65 general view, without the marker\n"
    "  picture  a W x H picture as the full-screen view draws it\n"
    "  export   exactly the file the export writes; DEPTH is 256, 512, 1024, 2048, 4096 or 8192\n"
    "OUT ending in .png (any case) is a PNG file, any other name a BMP file; '-' is standard\n"
    "output. A device or FIFO is written into, never replaced.\n"
    "\n"
    "Options:\n"
    "  --palette FILE.ptt  colour with the palette of a palette file\n"
    "  --progress          show the progress of an export on standard error\n"
    "  --plain             compute with the one-thread reference path\n"
    "  --threads N         compute on N threads (default: every core)\n"
    "  --time              print the computing time in milliseconds on standard error\n"
    "  --help              show this text\n";

struct Request {
  std::string command;
  std::vector<std::string> operands;
  std::optional<std::string> palettePath;  // an empty name is a file that cannot be read
  bool progress = false;
  bool plain = false;
  bool time = false;
  int threads = 0;
};

std::optional<int64_t> ParseWhole(const std::string& text) {
  int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
  return value;
}

class Failure {
 public:
  explicit Failure(std::string message) : message_(std::move(message)) {}
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

int64_t ParseSide(const std::string& text, const char* what) {
  const std::optional<int64_t> value = ParseWhole(text);
  if (!value || *value < 1) {
    throw Failure(std::string("zirvanta-render: the ") + what +
                  " must be a whole number of pixels, at least 1: '" + text + "'");
  }
  return *value;
}

// "-4" is a number (refused later as a size), not an option.
bool IsNegativeNumber(const std::string& arg) {
  return arg.size() > 1 && arg[0] == '-' && arg[1] >= '0' && arg[1] <= '9';
}

Request ParseArguments(const std::vector<std::string>& args) {
  Request request;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--palette" || arg == "--threads") {
      if (i + 1 >= args.size()) throw Failure("zirvanta-render: " + arg + " needs a value");
      const std::string& value = args[++i];
      if (arg == "--palette") {
        request.palettePath = value;
      } else {
        const std::optional<int64_t> threads = ParseWhole(value);
        if (!threads || *threads < 1 || *threads > 1024) {
          throw Failure("zirvanta-render: --threads takes a number from 1 to 1024: '" + value +
                        "'");
        }
        request.threads = static_cast<int>(*threads);
      }
    } else if (arg == "--progress") {
      request.progress = true;
    } else if (arg == "--plain") {
      request.plain = true;
    } else if (arg == "--time") {
      request.time = true;
    } else if (arg.size() > 1 && arg[0] == '-' && !IsNegativeNumber(arg)) {
      throw Failure("zirvanta-render: unknown option '" + arg + "'");
    } else if (request.command.empty()) {
      request.command = arg;
    } else {
      request.operands.push_back(arg);
    }
  }
  return request;
}

size_t OperandCount(const std::string& command) {
  if (command == "live" || command == "general") return 2;
  if (command == "picture") return 4;
  if (command == "export") return 5;
  return 0;
}

// A message about a file: the program's text after the file's name.
std::string AboutFile(const std::string& path, const std::string& text) {
  return "zirvanta-render: " + (path.empty() ? std::string("''") : path) + ": " + text;
}

struct Loaded {
  FractalState state;
  Palette palette;
};

// Reads the fractal as the program does with the fractal's palette in use, starting from the
// start-up state, then the palette file if one was given.
Loaded LoadFractal(const std::string& fractalPath,
                   const std::optional<std::string>& palettePath, std::ostream& err) {
  Loaded loaded;
  BuildPalette(loaded.state.palette, loaded.palette);
  const ReadOutcome fractal = ReadFractalFile(fractalPath, loaded.state, loaded.palette, true);
  if (!fractal.opened) throw Failure(AboutFile(fractalPath, kReadOpenFailedMessage));
  if (!fractal.fractalTypeKnown) throw Failure(AboutFile(fractalPath, kUnknownFractalTypeMessage));
  if (fractal.paletteTypeChecked && !fractal.paletteTypeKnown) {
    err << AboutFile(fractalPath, kUnknownPaletteTypeMessage) << '\n';
  }
  if (palettePath) {
    const ReadOutcome palette = ReadPaletteFile(*palettePath, loaded.state, loaded.palette);
    if (!palette.opened) throw Failure(AboutFile(*palettePath, kReadOpenFailedMessage));
    if (!palette.paletteTypeKnown) {
      err << AboutFile(*palettePath, kUnknownPaletteTypeMessage) << '\n';
    }
  }
  return loaded;
}

void CheckSize(int64_t width, int64_t height) {
  if (const std::optional<std::string> problem = ExportSizeProblem(width, height)) {
    throw Failure("zirvanta-render: " + *problem);
  }
}

Bitmap AllocatePicture(int64_t width, int64_t height) {
  try {
    return Bitmap(width, height, PixelFormat::Bgr24);
  } catch (const std::exception&) {
    throw Failure("zirvanta-render: there is not enough memory for a picture of " +
                  std::to_string(width) + " x " + std::to_string(height) + " pixels");
  }
}

void WritePicture(const std::string& path, const Bitmap& bitmap) {
  const WriteResult result = IsPngName(path) ? WritePng(path, bitmap) : WriteBmp(path, bitmap);
  if (!result.ok()) throw Failure(AboutFile(path, WriteFailureMessage(result)));
}

class ProgressBar {
 public:
  ProgressBar(std::ostream& err, int64_t height) : err_(err), height_(height) {}

  void Show(int64_t row) {
    const int percent = static_cast<int>((row * 100) / height_);
    if (percent == shown_) return;
    shown_ = percent;
    const int filled = percent / 2;
    err_ << "\r[" << std::string(static_cast<size_t>(filled), '#')
         << std::string(static_cast<size_t>(50 - filled), ' ') << "] " << percent << "%"
         << std::flush;
  }

  void Finish() {
    Show(height_);
    err_ << '\n';
  }

 private:
  std::ostream& err_;
  int64_t height_;
  int shown_ = -1;
};

void RunExport(const Request& request, const Loaded& loaded, std::unique_ptr<Renderer> renderer,
               std::ostream& err) {
  const int64_t width = ParseSide(request.operands[1], "width");
  const int64_t height = ParseSide(request.operands[2], "height");
  const std::optional<int64_t> depth = ParseWhole(request.operands[3]);
  const int limit = depth ? LimitForDepth(static_cast<int>(
                                std::clamp<int64_t>(*depth, 0, std::numeric_limits<int>::max())))
                          : 0;
  if (limit == 0) {
    throw Failure("zirvanta-render: the depth must be 256, 512, 1024, 2048, 4096 or 8192: '" +
                  request.operands[3] + "'");
  }
  CheckSize(width, height);

  ExportParams params;
  params.outputPath = request.operands[4];
  params.format = IsPngName(params.outputPath) ? ImageFormat::Png : ImageFormat::Bmp;
  params.width = width;
  params.height = height;
  params.TakeFractal(loaded.state, loaded.palette);
  params.limit = limit;
  params.priorityChoice = 1;  // normal: a command-line render is what the user waits for

  ProgressBar bar(err, height);
  std::optional<std::string> failure;
  ExportJob::Steps steps;
  // Without a bar to show, the job need not stop at its progress points for this thread.
  if (request.progress) steps.showProgress = [&](int64_t row) { bar.Show(row + 1); };
  steps.finishExport = [&] {
    if (request.progress) bar.Finish();
  };
  steps.exportFailed = [&](const std::string& message) { failure = message; };

  OwnerMailbox mailbox;
  ExportJob job(std::move(params), std::move(steps), mailbox, std::move(renderer));
  if (!job.Start()) throw Failure("zirvanta-render: the export thread could not be created");
  job.WaitServing();
  if (failure) throw Failure(*failure);
  // The rows' computing alone; the line after it gives the whole export, writing included.
  if (request.time) err << job.ComputeSeconds() * 1000.0 << " ms computing\n";
}

int Run(const Request& request, std::ostream& err, const RendererFactory& factory) {
  const Loaded loaded = LoadFractal(request.operands[0], request.palettePath, err);
  // The renderer's threads are started before the clock runs.
  std::unique_ptr<Renderer> renderer = factory(request.plain, request.threads);
  auto started = std::chrono::steady_clock::now();
  if (request.command == "export") {
    RunExport(request, loaded, std::move(renderer), err);
  } else {
    PictureGeometry geometry;
    if (request.command == "live") {
      geometry = LiveGeometry(loaded.state.centreX, loaded.state.centreY,
                              PixelStepForWidth(loaded.state.viewWidth));
    } else if (request.command == "general") {
      geometry = GeneralGeometry(GeneralViewStep());
    } else {
      const int64_t width = ParseSide(request.operands[1], "width");
      const int64_t height = ParseSide(request.operands[2], "height");
      CheckSize(width, height);
      geometry = ScreenGeometry(loaded.state.centreX, loaded.state.centreY,
                                loaded.state.viewWidth, static_cast<int>(width),
                                static_cast<int>(height));
    }
    Bitmap picture = AllocatePicture(geometry.width, geometry.height);
    started = std::chrono::steady_clock::now();
    renderer->RenderPicture(geometry, loaded.state, loaded.palette, picture);
    if (request.time) {
      // The time covers the computation only, not the writing of the file.
      const auto elapsed = std::chrono::steady_clock::now() - started;
      err << std::chrono::duration<double, std::milli>(elapsed).count() << " ms\n";
    }
    WritePicture(request.operands.back(), picture);
    return 0;
  }
  if (request.time) {
    const auto elapsed = std::chrono::steady_clock::now() - started;
    err << std::chrono::duration<double, std::milli>(elapsed).count() << " ms\n";
  }
  return 0;
}

}  // namespace

std::unique_ptr<Renderer> MakeDefaultRenderer(bool plain, int threads) {
  if (plain) return std::make_unique<PlainRenderer>();
  try {
    return std::make_unique<FastRenderer>(threads);
  } catch (const std::system_error&) {
    return std::make_unique<PlainRenderer>();  // no threads to be had: compute on this one
  }
}

int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const RendererFactory& makeRenderer) {
  try {
    for (const std::string& arg : args) {
      if (arg == "--help" || arg == "-h") {
        out << kUsage;
        return 0;
      }
    }
    Request request = ParseArguments(args);
    if (request.command.empty()) throw Failure(std::string("zirvanta-render: no command\n") + kUsage);
    const size_t expected = OperandCount(request.command);
    if (expected == 0) {
      throw Failure("zirvanta-render: unknown command '" + request.command + "'\n" + kUsage);
    }
    if (request.operands.size() != expected) {
      throw Failure("zirvanta-render: " + request.command + " takes " + std::to_string(expected) +
                    " arguments\n" + kUsage);
    }
    std::string& output = request.operands.back();
    if (output == "-") {
      // Standard output, written into as it is (a pipe, a file, /dev/null), never replaced.
      if (::isatty(STDOUT_FILENO)) {
        throw Failure("zirvanta-render: standard output is a terminal; name a file or redirect it");
      }
      output = "/dev/stdout";
    }
    return Run(request, err, makeRenderer);
  } catch (const Failure& failure) {
    err << failure.message() << '\n';
    return kUsageError;
  }
}

}  // namespace zirvanta
