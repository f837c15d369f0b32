// The kernels for any processor: two lanes as the compiler's generic vectors (one SSE2
// register on a plain x86-64), and the same two-phase engine as the vector units.
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>

#include "kernels.h"

namespace zirvanta::fast {
namespace {

struct Portable {
  static constexpr int kLanes = 2;
  typedef double V __attribute__((vector_size(16)));
  typedef int64_t I __attribute__((vector_size(16)));
  typedef float Floats __attribute__((vector_size(8)));
  using Mask = I;  // -1 in the lanes that are set

  static V Set(double v) { return V{v, v}; }
  static I SetI(int64_t v) { return I{v, v}; }
  static V Load(const double* p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  static void Store(double* p, V v) { std::memcpy(p, &v, sizeof v); }
  static I LoadI(const int64_t* p) {
    I v;
    std::memcpy(&v, p, sizeof v);
    return v;
  }
  static void StoreI(int64_t* p, I v) { std::memcpy(p, &v, sizeof v); }
  static V LoadPartial(const double* p, unsigned bits) {
    V v = Set(0.0);
    for (int l = 0; l < kLanes; ++l) {
      if ((bits >> l) & 1) v[l] = p[l];
    }
    return v;
  }

  static V Mul(V a, V b) { return a * b; }
  static V Add(V a, V b) { return a + b; }
  static V Sub(V a, V b) { return a - b; }
  static I AddI(I a, I b) { return a + b; }
  static V TwicePlusSingle(V ri, V c) { return (ri + ri) + c; }
  static V RoundToFloat(V v) { return __builtin_convertvector(__builtin_convertvector(v, Floats), V); }

  // Not (s >= 4): a not-a-number stays inside.
  static Mask StillInside(Mask inside, V s, V four) { return inside & ~(s >= four); }
  static I CountUp(I cnt, Mask inside, I) { return cnt - inside; }

  static unsigned Bits(Mask m) { return static_cast<unsigned>((m[0] & 1) | (m[1] & 2)); }
  static Mask FromBits(unsigned bits) { return I{-int64_t(bits & 1), -int64_t((bits >> 1) & 1)}; }
  static unsigned EqualBits(V a, V b) { return Bits(a == b); }
  static unsigned NanBits(V a, V b) { return Bits((a != a) | (b != b)); }
  static unsigned LessBitsI(I a, I b) { return Bits(a < b); }
  static V Select(unsigned bits, V ifSet, V ifClear) { return FromBits(bits) ? ifSet : ifClear; }
  static I SelectI(unsigned bits, I ifSet, I ifClear) { return FromBits(bits) ? ifSet : ifClear; }

  static void StoreCounts(uint16_t* p, I counts, unsigned bits) {
    for (; bits != 0; bits &= bits - 1) {
      const int lane = std::countr_zero(bits);
      p[lane] = static_cast<uint16_t>(counts[lane]);
    }
  }
  static void CompressStore(double* p, V v, unsigned bits) {
    for (; bits != 0; bits &= bits - 1) *p++ = v[std::countr_zero(bits)];
  }
  static V Expand(V v, unsigned bits, const double* p) {
    for (; bits != 0; bits &= bits - 1) v[std::countr_zero(bits)] = *p++;
    return v;
  }
  static I ExpandI(I v, unsigned bits, const int64_t* p) {
    for (; bits != 0; bits &= bits - 1) v[std::countr_zero(bits)] = *p++;
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
void ExportCountsWithoutCyclesAvx2(const CountJob& job, CountScratch& scratch);
void LiveCountsAvx512(const CountJob& job, CountScratch& scratch);
void ExportCountsAvx512(const CountJob& job, CountScratch& scratch);
void ExportCountsWithoutCyclesAvx512(const CountJob& job, CountScratch& scratch);
#endif

namespace {

void LiveCountsPortable(const CountJob& job, CountScratch& scratch) {
  RunEngine<Portable, LiveRule, 6>(job, scratch);
}

void ExportCountsPortable(const CountJob& job, CountScratch& scratch) {
  RunEngine<Portable, ExportRule<true>, 6>(job, scratch);
}

void ExportCountsWithoutCyclesPortable(const CountJob& job, CountScratch& scratch) {
  RunEngine<Portable, ExportRule<false>, 6>(job, scratch);
}

}  // namespace

const Kernels& KernelsFor(SimdTarget target) {
  static constexpr Kernels kPortable{&LiveCountsPortable, &ExportCountsPortable,
                                     &ExportCountsWithoutCyclesPortable};
#if defined(__x86_64__)
  static constexpr Kernels kAvx2{&LiveCountsAvx2, &ExportCountsAvx2,
                                 &ExportCountsWithoutCyclesAvx2};
  static constexpr Kernels kAvx512{&LiveCountsAvx512, &ExportCountsAvx512,
                                   &ExportCountsWithoutCyclesAvx512};
  // A target the processor lacks is never handed out: its code would stop the program.
  if (target == SimdTarget::Avx512 && SimdTargetAvailable(SimdTarget::Avx512)) return kAvx512;
  if (target == SimdTarget::Avx2 && SimdTargetAvailable(SimdTarget::Avx2)) return kAvx2;
#else
  (void)target;
#endif
  return kPortable;
}

}  // namespace zirvanta::fast
