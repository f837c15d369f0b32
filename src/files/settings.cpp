#include "settings.h"

#include <array>

#include "files/record_io.h"

namespace zirvanta {
namespace {

std::string SettingsPath(const std::string& folder) {
  if (folder.empty()) return kSettingsFileName;
  if (folder.back() == '/') return folder + kSettingsFileName;
  return folder + "/" + kSettingsFileName;
}

// The twelve fields in file order; field i lies at offset 4 x i.
template <typename S>
auto FieldsOf(S& settings) {
  auto& p = settings.palette;
  return std::array{&settings.slideDelay, &settings.closeAfterExport,
                    &settings.left,       &settings.top,
                    &p.r0,                &p.g0,
                    &p.b0,                &p.r1,
                    &p.g1,                &p.b1,
                    &p.type,              &settings.slideOrder};
}

}  // namespace

SettingsAtStart ReadSettings(const std::string& folder) {
  SettingsAtStart result;
  std::string bytes;
  if (ReadFileStart(SettingsPath(folder), kSettingsFileSize, bytes)) {
    // A file that opens gives the position, whatever its length; fields it does not hold in full
    // keep their defaults.
    result.positionFromFile = true;
    const RecordReader record(bytes);
    const auto fields = FieldsOf(result.live);
    for (size_t i = 0; i < fields.size(); ++i) record.Int32(4 * i, *fields[i]);
  }

  result.startupCopy = result.live;
  if (!PaletteTypeValid(result.live.palette.type)) result.live.palette.type = 1;
  if (result.live.slideOrder != 0 && result.live.slideOrder != 1) result.live.slideOrder = 0;
  return result;
}

bool WriteSettings(const std::string& folder, const Settings& current,
                   const Settings& startupCopy) {
  if (current == startupCopy) return false;
  const std::string bytes = EncodeSettings(current);
  return WriteFileAtomically(SettingsPath(folder), bytes.data(), bytes.size()).ok();
}

std::string EncodeSettings(const Settings& settings) {
  RecordWriter record;
  for (const int32_t* field : FieldsOf(settings)) record.Int32(*field);
  return record.bytes();
}

}  // namespace zirvanta
