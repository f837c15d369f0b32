// The kernels for processors with AVX2 and FMA: four double lanes per vector, lane masks as
// all-ones lanes, refills through memory.
#include <atomic>
#include <bit>
#include <cstdint>

#include "kernels.h"

#if defined(__x86_64__)
#include <immintrin.h>

#pragma GCC push_options
#pragma GCC target("avx2,fma,bmi,bmi2,popcnt,lzcnt")

namespace zirvanta::fast {
namespace {

alignas(32) constexpr int64_t kLaneMasks[16][4] = {
    {0, 0, 0, 0},     {-1, 0, 0, 0},     {0, -1, 0, 0},     {-1, -1, 0, 0},
    {0, 0, -1, 0},    {-1, 0, -1, 0},    {0, -1, -1, 0},    {-1, -1, -1, 0},
    {0, 0, 0, -1},    {-1, 0, 0, -1},    {0, -1, 0, -1},    {-1, -1, 0, -1},
    {0, 0, -1, -1},   {-1, 0, -1, -1},   {0, -1, -1, -1},   {-1, -1, -1, -1}};

struct Avx2 {
  static constexpr int kLanes = 4;
  using V = __m256d;
  using I = __m256i;
  using Mask = __m256d;

  static V Set(double v) { return _mm256_set1_pd(v); }
  static I SetI(int64_t v) { return _mm256_set1_epi64x(v); }
  static V Load(const double* p) { return _mm256_loadu_pd(p); }
  static void Store(double* p, V v) { _mm256_storeu_pd(p, v); }
  static I LoadI(const int64_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
  static void StoreI(int64_t* p, I v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
  static I MaskI(unsigned bits) {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(kLaneMasks[bits & 15]));
  }
  static V LoadPartial(const double* p, unsigned bits) { return _mm256_maskload_pd(p, MaskI(bits)); }

  static V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm256_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
  static I AddI(I a, I b) { return _mm256_add_epi64(a, b); }
  // ri is a product of two single-precision values, exact in double, so 2 ri + c rounds once
  // whether fused or not.
  static V TwicePlusSingle(V ri, V c) { return _mm256_fmadd_pd(ri, _mm256_set1_pd(2.0), c); }
  static V RoundToFloat(V v) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(v)); }

  static Mask StillInside(Mask inside, V s, V four) {
    return _mm256_and_pd(inside, _mm256_cmp_pd(s, four, _CMP_NGE_UQ));
  }
  // An inside lane is all ones, that is -1.
  static I CountUp(I cnt, Mask inside, I) { return _mm256_sub_epi64(cnt, _mm256_castpd_si256(inside)); }

  static unsigned Bits(Mask m) { return static_cast<unsigned>(_mm256_movemask_pd(m)); }
  static Mask FromBits(unsigned bits) { return _mm256_castsi256_pd(MaskI(bits)); }
  static unsigned EqualBits(V a, V b) { return Bits(_mm256_cmp_pd(a, b, _CMP_EQ_OQ)); }
  static unsigned NanBits(V a, V b) { return Bits(_mm256_cmp_pd(a, b, _CMP_UNORD_Q)); }
  static unsigned LessBitsI(I a, I b) { return Bits(_mm256_castsi256_pd(_mm256_cmpgt_epi64(b, a))); }
  static V Select(unsigned bits, V ifSet, V ifClear) {
    return _mm256_blendv_pd(ifClear, ifSet, FromBits(bits));
  }
  static I SelectI(unsigned bits, I ifSet, I ifClear) {
    return _mm256_blendv_epi8(ifClear, ifSet, MaskI(bits));
  }

  static void StoreCounts(uint16_t* p, I counts, unsigned bits) {
    alignas(32) int64_t lanes[4];
    StoreI(lanes, counts);
    for (; bits != 0; bits &= bits - 1) {
      const int lane = std::countr_zero(bits);
      p[lane] = static_cast<uint16_t>(lanes[lane]);
    }
  }
  static void CompressStore(double* p, V v, unsigned bits) {
    alignas(32) double lanes[4];
    Store(lanes, v);
    for (; bits != 0; bits &= bits - 1) *p++ = lanes[std::countr_zero(bits)];
  }
  static V Expand(V v, unsigned bits, const double* p) {
    alignas(32) double lanes[4];
    Store(lanes, v);
    for (; bits != 0; bits &= bits - 1) lanes[std::countr_zero(bits)] = *p++;
    return Load(lanes);
  }
  static I ExpandI(I v, unsigned bits, const int64_t* p) {
    alignas(32) int64_t lanes[4];
    StoreI(lanes, v);
    for (; bits != 0; bits &= bits - 1) lanes[std::countr_zero(bits)] = *p++;
    return LoadI(lanes);
  }
};

}  // namespace
}  // namespace zirvanta::fast

#include "escape_engine.h"

namespace zirvanta::fast {

void LiveCountsAvx2(const CountJob& job, CountScratch& scratch) {
  RunEngine<Avx2, LiveRule, 5>(job, scratch);
}

void ExportCountsAvx2(const CountJob& job, CountScratch& scratch) {
  RunEngine<Avx2, ExportRule<true>, 5>(job, scratch);
}

void ExportCountsWithoutCyclesAvx2(const CountJob& job, CountScratch& scratch) {
  RunEngine<Avx2, ExportRule<false>, 5>(job, scratch);
}

}  // namespace zirvanta::fast

#pragma GCC pop_options
#endif
