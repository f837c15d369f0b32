// The kernels for any processor: four lanes in plain arrays, which the compiler may or may not
// turn into vector code, and the same two-phase engine as the vector units.
#include <atomic>
#include <bit>
#include <cstdint>

#include "kernels.h"

namespace zirvanta::fast {
namespace {

struct Portable {
  static constexpr int kLanes = 4;
  struct V {
    double lane[4];
  };
  struct I {
    int64_t lane[4];
  };
  using Mask = unsigned;

  static V Set(double v) { return {{v, v, v, v}}; }
  static I SetI(int64_t v) { return {{v, v, v, v}}; }
  static V Load(const double* p) { return {{p[0], p[1], p[2], p[3]}}; }
  static void Store(double* p, V v) {
    for (int l = 0; l < 4; ++l) p[l] = v.lane[l];
  }
  static I LoadI(const int64_t* p) { return {{p[0], p[1], p[2], p[3]}}; }
  static void StoreI(int64_t* p, I v) {
    for (int l = 0; l < 4; ++l) p[l] = v.lane[l];
  }
  static V LoadPartial(const double* p, unsigned bits) {
    V v{};
    for (int l = 0; l < 4; ++l) v.lane[l] = (bits >> l) & 1 ? p[l] : 0.0;
    return v;
  }

  static V Mul(V a, V b) {
    for (int l = 0; l < 4; ++l) a.lane[l] = a.lane[l] * b.lane[l];
    return a;
  }
  static V Add(V a, V b) {
    for (int l = 0; l < 4; ++l) a.lane[l] = a.lane[l] + b.lane[l];
    return a;
  }
  static V Sub(V a, V b) {
    for (int l = 0; l < 4; ++l) a.lane[l] = a.lane[l] - b.lane[l];
    return a;
  }
  static I AddI(I a, I b) {
    for (int l = 0; l < 4; ++l) a.lane[l] = a.lane[l] + b.lane[l];
    return a;
  }
  static V TwicePlusSingle(V ri, V c) { return Add(Add(ri, ri), c); }
  static V RoundToFloat(V v) {
    for (int l = 0; l < 4; ++l) v.lane[l] = static_cast<float>(v.lane[l]);
    return v;
  }

  static Mask StillInside(Mask inside, V s, V four) {
    for (int l = 0; l < 4; ++l) {
      if (s.lane[l] >= four.lane[l]) inside &= ~(1u << l);
    }
    return inside;
  }
  static I CountUp(I cnt, Mask inside, I) {
    for (int l = 0; l < 4; ++l) cnt.lane[l] += (inside >> l) & 1;
    return cnt;
  }

  static unsigned Bits(Mask m) { return m; }
  static Mask FromBits(unsigned bits) { return bits; }
  static unsigned EqualBits(V a, V b) {
    unsigned bits = 0;
    for (int l = 0; l < 4; ++l) bits |= static_cast<unsigned>(a.lane[l] == b.lane[l]) << l;
    return bits;
  }
  static unsigned NanBits(V a, V b) {
    unsigned bits = 0;
    for (int l = 0; l < 4; ++l) {
      bits |= static_cast<unsigned>(a.lane[l] != a.lane[l] || b.lane[l] != b.lane[l]) << l;
    }
    return bits;
  }
  static unsigned LessBitsI(I a, I b) {
    unsigned bits = 0;
    for (int l = 0; l < 4; ++l) bits |= static_cast<unsigned>(a.lane[l] < b.lane[l]) << l;
    return bits;
  }
  static V Select(unsigned bits, V ifSet, V ifClear) {
    for (int l = 0; l < 4; ++l) {
      if ((bits >> l) & 1) ifClear.lane[l] = ifSet.lane[l];
    }
    return ifClear;
  }
  static I SelectI(unsigned bits, I ifSet, I ifClear) {
    for (int l = 0; l < 4; ++l) {
      if ((bits >> l) & 1) ifClear.lane[l] = ifSet.lane[l];
    }
    return ifClear;
  }

  static void StoreCounts(uint16_t* p, I counts, unsigned bits) {
    for (; bits != 0; bits &= bits - 1) {
      const int lane = std::countr_zero(bits);
      p[lane] = static_cast<uint16_t>(counts.lane[lane]);
    }
  }
  static void CompressStore(double* p, V v, unsigned bits) {
    for (; bits != 0; bits &= bits - 1) *p++ = v.lane[std::countr_zero(bits)];
  }
  static V Expand(V v, unsigned bits, const double* p) {
    for (; bits != 0; bits &= bits - 1) v.lane[std::countr_zero(bits)] = *p++;
    return v;
  }
  static I ExpandI(I v, unsigned bits, const int64_t* p) {
    for (; bits != 0; bits &= bits - 1) v.lane[std::countr_zero(bits)] = *p++;
    return v;
  }
};

}  // namespace
}  // namespace zirvanta::fast

#include "escape_engine.h"

namespace zirvanta::fast {

#if defined(__x86_64__)
void LiveCountsAvx2(const CountJob& job, CountScratch& scratch);
void ExportCountsAvx2(const CountJob& job, CountScratch& scratch);
void LiveCountsAvx512(const CountJob& job, CountScratch& scratch);
void ExportCountsAvx512(const CountJob& job, CountScratch& scratch);
#endif

namespace {

void LiveCountsPortable(const CountJob& job, CountScratch& scratch) {
  RunEngine<Portable, LiveRule, 4>(job, scratch);
}

void ExportCountsPortable(const CountJob& job, CountScratch& scratch) {
  RunEngine<Portable, ExportRule, 4>(job, scratch);
}

}  // namespace

const Kernels& KernelsFor(SimdTarget target) {
  static constexpr Kernels kPortable{&LiveCountsPortable, &ExportCountsPortable};
#if defined(__x86_64__)
  static constexpr Kernels kAvx2{&LiveCountsAvx2, &ExportCountsAvx2};
  static constexpr Kernels kAvx512{&LiveCountsAvx512, &ExportCountsAvx512};
  // A target the processor lacks is never handed out: its code would stop the program.
  if (target == SimdTarget::Avx512 && SimdTargetAvailable(SimdTarget::Avx512)) return kAvx512;
  if (target == SimdTarget::Avx2 && SimdTargetAvailable(SimdTarget::Avx2)) return kAvx2;
#else
  (void)target;
#endif
  return kPortable;
}

}  // namespace zirvanta::fast
