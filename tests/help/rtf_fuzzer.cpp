// libFuzzer entry: built only where the compiler offers -fsanitize=fuzzer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "help/rtf_reader.h"
#include "rtf_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  zirvanta::RtfLimits limits;
  limits.maxGroupDepth = 16;
  if (!zirvanta::testing::DocumentFault(zirvanta::ReadRtf(bytes, limits), limits).empty()) {
    std::abort();
  }
  return 0;
}
