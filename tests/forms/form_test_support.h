#pragma once

// What the main window's tests share: settings.dat bytes, the engine's reference passes, pixel
// comparison, and renderers that hold a pass or stamp its pictures.
#include <QFile>
#include <QImage>
#include <QWidget>
#include <QtTest>
#include <array>
#include <atomic>
#include <memory>
#include <thread>

#include "controls/picture_box.h"
#include "engine/render.h"
#include "engine/renderer.h"

namespace form_test {

inline constexpr int kPatienceMs = 120000;  // a pass may be slow on a busy machine or under a sanitizer


inline QByteArray SettingsBytes(const std::array<int32_t, 12>& values) {
  QByteArray bytes;
  for (int32_t value : values) {
    const auto u = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) bytes.append(static_cast<char>((u >> shift) & 0xFF));
  }
  return bytes;
}

inline std::array<int32_t, 12> ReadSettingsValues(const QString& path) {
  QFile file(path);
  std::array<int32_t, 12> values{};
  if (!file.open(QIODevice::ReadOnly)) return values;
  const QByteArray bytes = file.readAll();
  for (size_t i = 0; i < values.size() && static_cast<qsizetype>(4 * i + 3) < bytes.size(); ++i) {
    uint32_t u = 0;
    for (int k = 3; k >= 0; --k) u = (u << 8) | static_cast<uint8_t>(bytes[static_cast<qsizetype>(4 * i + k)]);
    values[i] = static_cast<int32_t>(u);
  }
  return values;
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  QCOMPARE(file.write(bytes), bytes.size());
}

// The state the window starts with, as the engine sees it.
struct EngineState {
  zirvanta::FractalState state;
  zirvanta::Palette palette;
  zirvanta::ViewValues view;
  EngineState() {
    state.cx = static_cast<double>(402 * 0.001L);
    state.cy = static_cast<double>(339 * 0.001L);
    zirvanta::BuildPalette(state.palette, palette);
  }
};

inline zirvanta::Bitmap PlainPass(const zirvanta::PictureGeometry& geometry, const zirvanta::FractalState& state,
                 const zirvanta::Palette& palette) {
  zirvanta::Bitmap bitmap(geometry.width, geometry.height, zirvanta::PixelFormat::Bgrx32);
  zirvanta::RenderPicturePlain(geometry, state, palette, bitmap);
  return bitmap;
}

// Counts the pixels whose colour differs between an image and a pass.
inline int DifferingPixels(const QImage& shown, const zirvanta::Bitmap& expected) {
  const QImage image = shown.convertToFormat(QImage::Format_RGB32);
  if (image.width() != expected.Width() || image.height() != expected.Height()) return -1;
  int differing = 0;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    const uint8_t* row = expected.Row(y);
    for (int x = 0; x < image.width(); ++x) {
      const uint8_t* p = row + 4 * x;
      if (qRed(line[x]) != p[2] || qGreen(line[x]) != p[1] || qBlue(line[x]) != p[0]) ++differing;
    }
  }
  return differing;
}

inline QImage Shown(QWidget* widget) { return widget->grab().toImage(); }

// A renderer that the test holds inside a pass until it lets go.
struct Gate {
  std::atomic<bool> entered{false};
  std::atomic<bool> released{false};
  std::atomic<int> passesFinished{0};
};

class GateRenderer final : public zirvanta::Renderer {
 public:
  explicit GateRenderer(std::shared_ptr<Gate> gate) : gate_(std::move(gate)) {}
  void RenderPicture(const zirvanta::PictureGeometry& geometry,
                     const zirvanta::FractalState& state, const zirvanta::Palette& palette,
                     zirvanta::Bitmap& bitmap) override {
    gate_->entered = true;
    while (!gate_->released) std::this_thread::yield();
    zirvanta::RenderPicturePlain(geometry, state, palette, bitmap);
    if (geometry.width == zirvanta::kGeneralWidth) ++gate_->passesFinished;
  }
  void RenderExportRows(const zirvanta::ExportGeometry&, const zirvanta::ExportInputs&, int64_t,
                        int64_t, double, zirvanta::Bitmap&) override {}

 private:
  std::shared_ptr<Gate> gate_;
};

// A renderer whose picture tells which change it was made from (Re(c) as a byte).
class StampRenderer final : public zirvanta::Renderer {
 public:
  void RenderPicture(const zirvanta::PictureGeometry& geometry,
                     const zirvanta::FractalState& state, const zirvanta::Palette& palette,
                     zirvanta::Bitmap& bitmap) override {
    const auto stamp = static_cast<uint8_t>(static_cast<int64_t>(state.cx) & 0xFF);
    const uint8_t green = palette[1].green;
    for (int j = 0; j < geometry.height; ++j) {
      uint8_t* row = bitmap.Row(j);
      for (int i = 0; i < geometry.width; ++i) {
        row[4 * i] = stamp;
        row[4 * i + 1] = green;
        row[4 * i + 2] = state.centreX > 0.0f ? 1 : 0;
      }
    }
  }
  void RenderExportRows(const zirvanta::ExportGeometry&, const zirvanta::ExportInputs&, int64_t,
                        int64_t, double, zirvanta::Bitmap&) override {}
};

inline uint8_t StampShown(const TPictureBox* box) {
  return static_cast<uint8_t>(qBlue(box->Picture().pixel(0, 0)));
}

}  // namespace form_test
