// The kernels for processors with AVX-512 (F, DQ, VL, BW): eight double lanes per vector, lane
// masks in mask registers, refills by expanding loads.
#include <atomic>
#include <bit>
#include <cstdint>

#include "kernels.h"

#if defined(__x86_64__)
#include <immintrin.h>

#pragma GCC push_options
#pragma GCC target("avx512f,avx512dq,avx512vl,avx512bw,avx2,fma,bmi,bmi2,popcnt,lzcnt")

namespace zirvanta::fast {
namespace {

struct Avx512 {
  static constexpr int kLanes = 8;
  using V = __m512d;
  using I = __m512i;
  using Mask = __mmask8;

  static V Set(double v) { return _mm512_set1_pd(v); }
  static I SetI(int64_t v) { return _mm512_set1_epi64(v); }
  static V Load(const double* p) { return _mm512_loadu_pd(p); }
  static void Store(double* p, V v) { _mm512_storeu_pd(p, v); }
  static I LoadI(const int64_t* p) { return _mm512_loadu_si512(p); }
  static void StoreI(int64_t* p, I v) { _mm512_storeu_si512(p, v); }
  static V LoadPartial(const double* p, unsigned bits) {
    return _mm512_maskz_loadu_pd(static_cast<__mmask8>(bits), p);
  }

  static V Mul(V a, V b) { return _mm512_mul_pd(a, b); }
  static V Add(V a, V b) { return _mm512_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm512_sub_pd(a, b); }
  static I AddI(I a, I b) { return _mm512_add_epi64(a, b); }
  // ri is a product of two single-precision values, exact in double, so 2 ri + c rounds once
  // whether fused or not.
  static V TwicePlusSingle(V ri, V c) { return _mm512_fmadd_pd(ri, _mm512_set1_pd(2.0), c); }
  // The zero-masking forms with every lane selected are the plain conversions; they spare the
  // unmasked forms' undefined-register idiom, which GCC 12 reports as uninitialised.
  static V RoundToFloat(V v) {
    return _mm512_maskz_cvtps_pd(0xFF, _mm512_maskz_cvtpd_ps(0xFF, v));
  }

  static Mask StillInside(Mask inside, V s, V four) {
    return _mm512_mask_cmp_pd_mask(inside, s, four, _CMP_NGE_UQ);
  }
  static I CountUp(I cnt, Mask inside, I one) { return _mm512_mask_add_epi64(cnt, inside, cnt, one); }

  static unsigned Bits(Mask m) { return m; }
  static Mask FromBits(unsigned bits) { return static_cast<Mask>(bits); }
  static unsigned EqualBits(V a, V b) { return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ); }
  static unsigned NanBits(V a, V b) { return _mm512_cmp_pd_mask(a, b, _CMP_UNORD_Q); }
  static unsigned LessBitsI(I a, I b) { return _mm512_cmplt_epi64_mask(a, b); }
  static V Select(unsigned bits, V ifSet, V ifClear) {
    return _mm512_mask_blend_pd(static_cast<__mmask8>(bits), ifClear, ifSet);
  }
  static I SelectI(unsigned bits, I ifSet, I ifClear) {
    return _mm512_mask_blend_epi64(static_cast<__mmask8>(bits), ifClear, ifSet);
  }

  static void StoreCounts(uint16_t* p, I counts, unsigned bits) {
    _mm_mask_storeu_epi16(p, static_cast<__mmask8>(bits), _mm512_maskz_cvtepi64_epi16(0xFF, counts));
  }
  // Writes the selected lanes one after another at p; a whole vector's room must be there.
  static void CompressStore(double* p, V v, unsigned bits) {
    _mm512_storeu_pd(p, _mm512_maskz_compress_pd(static_cast<__mmask8>(bits), v));
  }
  // Fills the selected lanes, lowest first, with consecutive values from p.
  static V Expand(V v, unsigned bits, const double* p) {
    return _mm512_mask_expandloadu_pd(v, static_cast<__mmask8>(bits), p);
  }
  static I ExpandI(I v, unsigned bits, const int64_t* p) {
    return _mm512_mask_expandloadu_epi64(v, static_cast<__mmask8>(bits), p);
  }
};

}  // namespace
}  // namespace zirvanta::fast

#include "escape_engine.h"

namespace zirvanta::fast {

void LiveCountsAvx512(const CountJob& job, CountScratch& scratch) {
  RunEngine<Avx512, LiveRule, 5>(job, scratch);
}

void ExportCountsAvx512(const CountJob& job, CountScratch& scratch) {
  RunEngine<Avx512, ExportRule<true>, 5>(job, scratch);
}

void ExportCountsWithoutCyclesAvx512(const CountJob& job, CountScratch& scratch) {
  RunEngine<Avx512, ExportRule<false>, 5>(job, scratch);
}

}  // namespace zirvanta::fast

#pragma GCC pop_options
#endif
