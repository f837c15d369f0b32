#include "simd_target.h"

namespace zirvanta::fast {

bool SimdTargetAvailable(SimdTarget target) {
  switch (target) {
    case SimdTarget::Portable:
      return true;
#if defined(__x86_64__) || defined(__i386__)
    // The answers also say whether the system saves the wide registers; the call to init
    // makes them right even before the static constructors have run.
    case SimdTarget::Avx2:
      __builtin_cpu_init();
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    case SimdTarget::Avx512:
      __builtin_cpu_init();
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
             __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw") &&
             __builtin_cpu_supports("fma");
#else
    default:
      return false;
#endif
  }
  return false;
}

std::vector<SimdTarget> AvailableSimdTargets() {
  std::vector<SimdTarget> targets;
  for (SimdTarget target : {SimdTarget::Portable, SimdTarget::Avx2, SimdTarget::Avx512}) {
    if (SimdTargetAvailable(target)) targets.push_back(target);
  }
  return targets;
}

SimdTarget BestSimdTarget() { return AvailableSimdTargets().back(); }

std::string_view SimdTargetName(SimdTarget target) {
  switch (target) {
    case SimdTarget::Portable: return "portable";
    case SimdTarget::Avx2: return "avx2";
    case SimdTarget::Avx512: return "avx512";
  }
  return "unknown";
}

}  // namespace zirvanta::fast
