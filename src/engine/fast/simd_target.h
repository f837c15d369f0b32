#pragma once

#include <string_view>
#include <vector>

namespace zirvanta::fast {

// The instruction sets the escape-time kernels are built for. One binary carries all three and
// picks at run time; Portable runs on any x86-64 (and any other processor).
enum class SimdTarget { Portable, Avx2, Avx512 };

// The targets this processor can run, the portable one first and the best one last.
std::vector<SimdTarget> AvailableSimdTargets();
SimdTarget BestSimdTarget();
bool SimdTargetAvailable(SimdTarget target);
std::string_view SimdTargetName(SimdTarget target);

}  // namespace zirvanta::fast
