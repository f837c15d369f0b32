#pragma once

// The escape-time engine shared by the kernel units. Each unit includes its standard headers
// first, then switches on its instruction set with a target pragma, defines its vector traits
// and includes this file: everything here then lives in that unit's anonymous namespace and is
// compiled for that unit's instruction set only.
//
// The work runs in two phases. The first takes the pixels of a row segment a vector at a time
// (neighbours escape at similar steps) and gives each vector a short budget of steps; most
// pixels finish there. The pixels still running are packed into a queue with their state, and
// the second phase runs them with every lane refilled from the queue as soon as it finishes,
// so slow pixels never leave lanes idle. Several independent vectors are stepped together to
// hide the latency of one step.
//
// Each lane holds the value whose escape test is due next: a step first tests z (|z|^2 >= 4,
// unordered counting as inside), then computes the next z from the same squares. Its counter
// holds the tests passed, so a lane that escapes on test n + 1 gets n + 1, provided n + 1 does
// not pass the limit; lanes are only looked at every kBlock steps and may overshoot.
//
// Exact cycle detection: every few blocks each lane's z is compared with a copy saved earlier
// from the same orbit. Equal values (signs of zeros aside, which never change a square) mean
// the orbit repeats what it did since the copy, in which no test failed, so it never escapes.
// A not-a-number z stays not-a-number and never escapes either.

#include <bit>
#include <cstdint>

#include "kernels.h"

namespace zirvanta::fast {
namespace {

// The live colourer: single-precision orbit, each step worked out in double precision.
// Steps between looks at the lanes: short in the first phase, where neighbours finish within
// a few steps, long in the second, where lanes run for hundreds. Repeats are looked for often:
// inside a cardioid or a bulb far from its edge a single-precision orbit lands on its cycle
// within a few dozen steps, and at the edge looking costs next to nothing.
struct LiveRule {
  static constexpr bool kSinglePrecision = true;
  static constexpr int kBlock = 4;
  static constexpr int kSecondBlock = 16;
  static constexpr int64_t kFirstBudget = 16;
  static constexpr bool kCycles = true;
  static constexpr unsigned kCompareSteps = 16;
  static constexpr unsigned kSaveSteps = 64;
};

// The export colourer: double precision throughout, no fused multiply-add.
template <bool kDetectCycles>
struct ExportRule {
  static constexpr bool kSinglePrecision = false;
  static constexpr int kBlock = 8;
  static constexpr int kSecondBlock = 16;
  static constexpr int64_t kFirstBudget = 32;
  static constexpr bool kCycles = kDetectCycles;
  // A repeat with period p is seen once the orbit has settled on it, within kSaveSteps plus
  // the least common multiple of p and kCompareSteps (p is 10 for the start-up fractal, which
  // settles after about 4600 steps).
  static constexpr unsigned kCompareSteps = 32;
  static constexpr unsigned kSaveSteps = 256;
};

template <class S, class Rule, int M>
class EscapeEngine {
 public:
  using V = typename S::V;
  using I = typename S::I;
  using Mask = typename S::Mask;
  static constexpr int L = S::kLanes;
  static constexpr unsigned kFull = (1u << L) - 1;
  static constexpr int K = Rule::kBlock;
  static_assert(Rule::kCompareSteps % K == 0 && Rule::kCompareSteps % Rule::kSecondBlock == 0);
  static_assert(Rule::kSaveSteps % Rule::kCompareSteps == 0);

  EscapeEngine(const CountJob& job, CountScratch& scratch) : job_(job), scratch_(scratch) {}

  void Run() {
    scratch_.segmentsClaimed = 0;
    for (;;) {
      const bool more = FirstPhase();
      SecondPhase(!more);
      if (!more) return;
    }
  }

 private:
  struct Constants {
    V cr, ci, four;
    I one, zero, limit;
  };

  Constants MakeConstants() const {
    return {S::Set(job_.cr), S::Set(job_.ci), S::Set(4.0),
            S::SetI(1),      S::SetI(0),      S::SetI(job_.limit)};
  }

  // z <- z^2 + c from the squares and the product of z's parts.
  [[gnu::always_inline]] static inline void Next(V& zr, V& zi, V rr, V ii, V ri,
                                                 const Constants& k) {
    if constexpr (Rule::kSinglePrecision) {
      zr = S::RoundToFloat(S::Add(S::Sub(rr, ii), k.cr));
      zi = S::RoundToFloat(S::TwicePlusSingle(ri, k.ci));
    } else {
      zr = S::Add(S::Sub(rr, ii), k.cr);
      zi = S::Add(S::Add(ri, ri), k.ci);
    }
  }

  [[gnu::always_inline]] static inline void Advance(V& zr, V& zi, I& cnt, Mask& inside,
                                                    const Constants& k) {
    const V rr = S::Mul(zr, zr);
    const V ii = S::Mul(zi, zi);
    const V ri = S::Mul(zr, zi);
    inside = S::StillInside(inside, S::Add(rr, ii), k.four);
    cnt = S::CountUp(cnt, inside, k.one);
    Next(zr, zi, rr, ii, ri, k);
  }

  template <int kSteps>
  [[gnu::always_inline]] static inline void RunBlock(V (&zr)[M], V (&zi)[M], I (&cnt)[M],
                                                     Mask (&inside)[M], const Constants& k) {
#pragma GCC unroll 32
    for (int step = 0; step < kSteps; ++step) {
#pragma GCC unroll 16
      for (int m = 0; m < M; ++m) Advance(zr[m], zi[m], cnt[m], inside[m], k);
    }
  }

  // Lanes of a slot whose orbit has come back to the saved value, or is not a number.
  [[gnu::always_inline]] static inline unsigned Repeating(V zr, V zi, const double* savedR,
                                                          const double* savedI, Mask inside) {
    const unsigned same = S::EqualBits(zr, S::Load(savedR)) & S::EqualBits(zi, S::Load(savedI));
    return (same | S::NanBits(zr, zi)) & S::Bits(inside);
  }

  bool ClaimSegment() {
    const int64_t segment = job_.nextSegment->fetch_add(1, std::memory_order_relaxed);
    if (segment >= job_.segmentCount) return false;
    scratch_.segments[scratch_.segmentsClaimed++] = segment;
    endInSight_ = job_.segmentCount - segment <= 2 * job_.participants;
    SegmentBounds(job_, segment, row_, column_, columnEnd_);
    return true;
  }

  // Runs row segments until they are all taken or the queue could overflow. Returns whether
  // pixels may remain.
  bool FirstPhase() {
    const Constants k = MakeConstants();
    const int64_t limit = job_.limit;
    const int64_t budget = Rule::kFirstBudget < limit ? Rule::kFirstBudget : limit;
    V zr[M], zi[M];
    I cnt[M];
    Mask inside[M];
    alignas(64) double savedR[M][L] = {};
    alignas(64) double savedI[M][L] = {};
    int64_t steps[M] = {};
    int64_t pixel[M] = {};
    unsigned valid[M] = {};
    unsigned zeroed[M] = {};
    bool loaded[M] = {};
    bool stopLoading = false;
    for (int m = 0; m < M; ++m) {
      zr[m] = zi[m] = S::Set(0.0);
      cnt[m] = k.zero;
      inside[m] = S::FromBits(0);
    }

    auto load = [&](int m) __attribute__((always_inline)) -> bool {
      if (stopLoading) return false;
      if (queueTail_ + M * L > (endInSight_ ? 2 * M * L : scratch_.queueCapacity)) {
        stopLoading = true;
        return false;
      }
      // Groups that all escape on the first step (the far outside, often most of a picture)
      // are written at once and never take a slot.
      for (;;) {
        if (column_ == columnEnd_ && !ClaimSegment()) {
          stopLoading = true;
          exhausted_ = true;
          return false;
        }
        const int64_t n = columnEnd_ - column_ < L ? columnEnd_ - column_ : L;
        valid[m] = n == L ? kFull : (1u << n) - 1;
        const V x = S::LoadPartial(job_.xs + column_, valid[m]);
        const V y = S::Set(job_.ys[row_]);
        pixel[m] = row_ * job_.width + column_;
        column_ += n;
        Next(zr[m], zi[m], S::Mul(x, x), S::Mul(y, y), S::Mul(x, y), k);  // z1, tested first
        const Mask stay = S::StillInside(
            S::FromBits(valid[m]), S::Add(S::Mul(zr[m], zr[m]), S::Mul(zi[m], zi[m])), k.four);
        if (S::Bits(stay) != 0) break;
        S::StoreCounts(job_.counts + pixel[m], k.one, valid[m]);
      }
      cnt[m] = k.zero;
      inside[m] = S::FromBits(valid[m]);
      zeroed[m] = 0;
      steps[m] = 0;
      S::Store(savedR[m], zr[m]);
      S::Store(savedI[m], zi[m]);
      return true;
    };

    auto retire = [&](int m) __attribute__((always_inline)) {
      const unsigned in = S::Bits(inside[m]) & valid[m];
      const unsigned counted = valid[m] & ~in & ~zeroed[m] & S::LessBitsI(cnt[m], k.limit);
      S::StoreCounts(job_.counts + pixel[m], S::SelectI(counted, S::AddI(cnt[m], k.one), k.zero),
                     valid[m]);
      if (in == 0 || steps[m] >= limit) return;
      // Still running: carry on in the second phase from where the lanes are.
      S::CompressStore(scratch_.queueZr + queueTail_, zr[m], in);
      S::CompressStore(scratch_.queueZi + queueTail_, zi[m], in);
      for (unsigned bits = in; bits != 0; bits &= bits - 1) {
        scratch_.queueSteps[queueTail_] = steps[m];
        scratch_.queuePixel[queueTail_] = pixel[m] + std::countr_zero(bits);
        ++queueTail_;
      }
    };

    int loadedCount = 0;
    for (int m = 0; m < M; ++m) {
      loaded[m] = load(m);
      loadedCount += loaded[m];
    }
    unsigned blocks = 0;
    while (loadedCount > 0) {
      RunBlock<K>(zr, zi, cnt, inside, k);
      ++blocks;
      if constexpr (Rule::kCycles) {
        if (blocks % (Rule::kCompareSteps / K) == 0) {
#pragma GCC unroll 16
          for (int m = 0; m < M; ++m) {
            const unsigned repeating = Repeating(zr[m], zi[m], savedR[m], savedI[m], inside[m]);
            if (repeating != 0) {
              zeroed[m] |= repeating;
              inside[m] = S::FromBits(S::Bits(inside[m]) & ~repeating);
            }
          }
        }
        if (blocks % (Rule::kSaveSteps / K) == 0) {
#pragma GCC unroll 16
          for (int m = 0; m < M; ++m) {
            S::Store(savedR[m], zr[m]);
            S::Store(savedI[m], zi[m]);
          }
        }
      }
#pragma GCC unroll 16
      for (int m = 0; m < M; ++m) {
        if (!loaded[m]) continue;
        steps[m] += K;
        if (S::Bits(inside[m]) != 0 && steps[m] < budget) continue;
        retire(m);
        loaded[m] = load(m);
        if (!loaded[m]) {
          inside[m] = S::FromBits(0);
          --loadedCount;
        }
      }
    }
    return !exhausted_;
  }

  // Runs the queued pixels with refilled lanes. Without drain it returns as soon as a lane
  // cannot be refilled (the first phase then makes more work); the lanes keep their state for
  // the next call. With drain it runs until every lane is done.
  void SecondPhase(bool drain) {
    const Constants k = MakeConstants();
    V zr[M], zi[M];
    I cnt[M];
    Mask inside[M];
    unsigned occupied[M], zeroed[M];
#pragma GCC unroll 16
    for (int m = 0; m < M; ++m) {
      zr[m] = S::Load(slotZr_[m]);
      zi[m] = S::Load(slotZi_[m]);
      cnt[m] = S::LoadI(slotSteps_[m]);
      inside[m] = S::FromBits(slotInside_[m]);
      occupied[m] = slotOccupied_[m];
      zeroed[m] = slotZeroed_[m];
    }

    // Retires the done lanes of slot m and refills every free lane it can; false when a lane
    // stays empty for want of queued pixels.
    auto service = [&](int m, unsigned done) __attribute__((always_inline)) -> bool {
      if (done != 0) {
        const unsigned counted =
            done & ~S::Bits(inside[m]) & ~zeroed[m] & S::LessBitsI(cnt[m], k.limit);
        alignas(64) int64_t result[L];
        S::StoreI(result, S::SelectI(counted, S::AddI(cnt[m], k.one), k.zero));
        for (unsigned bits = done; bits != 0; bits &= bits - 1) {
          const int lane = std::countr_zero(bits);
          job_.counts[slotPixel_[m][lane]] = static_cast<uint16_t>(result[lane]);
        }
        occupied[m] &= ~done;
        zeroed[m] &= ~done;
      }
      const unsigned free = kFull & ~occupied[m];
      unsigned take = free;
      const int64_t available = queueTail_ - queueHead_;
      if (std::popcount(take) > available) {
        for (int64_t extra = std::popcount(take) - available; extra > 0; --extra) {
          take &= ~(1u << (31 - std::countl_zero(take)));  // drop the highest lane
        }
      }
      if (take != 0) {
        const int64_t head = queueHead_;
        zr[m] = S::Expand(zr[m], take, scratch_.queueZr + head);
        zi[m] = S::Expand(zi[m], take, scratch_.queueZi + head);
        cnt[m] = S::ExpandI(cnt[m], take, scratch_.queueSteps + head);
        int64_t j = head;
        for (unsigned bits = take; bits != 0; bits &= bits - 1) {
          slotPixel_[m][std::countr_zero(bits)] = scratch_.queuePixel[j++];
        }
        queueHead_ = j;
        unsaved_[m] |= take;  // no copy of the new orbits yet: not compared until the next save
        occupied[m] |= take;
      }
      inside[m] = S::FromBits((S::Bits(inside[m]) & occupied[m] & ~take) | take);
      return (free & ~take) == 0;
    };

    bool starved = false;
    unsigned anyOccupied = 0;
#pragma GCC unroll 16
    for (int m = 0; m < M; ++m) {
      starved |= !service(m, 0);
      anyOccupied |= occupied[m];
    }
    if (anyOccupied != 0 && (drain || !starved)) {
      for (;;) {
        RunBlock<Rule::kSecondBlock>(zr, zi, cnt, inside, k);
        ++secondBlocks_;
        if constexpr (Rule::kCycles) {
          if (secondBlocks_ % (Rule::kCompareSteps / Rule::kSecondBlock) == 0) {
#pragma GCC unroll 16
            for (int m = 0; m < M; ++m) {
              const unsigned repeating =
                  Repeating(zr[m], zi[m], savedR_[m], savedI_[m], inside[m]) & occupied[m] &
                  ~unsaved_[m];
              if (repeating != 0) {
                zeroed[m] |= repeating;
                inside[m] = S::FromBits(S::Bits(inside[m]) & ~repeating);
              }
            }
          }
          if (secondBlocks_ % (Rule::kSaveSteps / Rule::kSecondBlock) == 0) {
#pragma GCC unroll 16
            for (int m = 0; m < M; ++m) {
              S::Store(savedR_[m], zr[m]);
              S::Store(savedI_[m], zi[m]);
              unsaved_[m] = 0;
            }
          }
        }
        anyOccupied = 0;
#pragma GCC unroll 16
        for (int m = 0; m < M; ++m) {
          const unsigned done =
              occupied[m] & (~S::Bits(inside[m]) | ~S::LessBitsI(cnt[m], k.limit));
          if (done != 0) starved |= !service(m, done);
          anyOccupied |= occupied[m];
        }
        if (anyOccupied == 0 || (!drain && starved)) break;
      }
    }
    if (queueHead_ == queueTail_) queueHead_ = queueTail_ = 0;

#pragma GCC unroll 16
    for (int m = 0; m < M; ++m) {
      S::Store(slotZr_[m], zr[m]);
      S::Store(slotZi_[m], zi[m]);
      S::StoreI(slotSteps_[m], cnt[m]);
      slotInside_[m] = S::Bits(inside[m]);
      slotOccupied_[m] = occupied[m];
      slotZeroed_[m] = zeroed[m];
    }
  }

  const CountJob& job_;
  CountScratch& scratch_;
  // The row segment being walked by the first phase.
  int64_t row_ = 0;
  int64_t column_ = 0;
  int64_t columnEnd_ = 0;
  bool exhausted_ = false;
  bool endInSight_ = false;
  int64_t queueHead_ = 0;
  int64_t queueTail_ = 0;
  // The second phase's lanes between its calls.
  unsigned secondBlocks_ = 0;
  alignas(64) double slotZr_[M][L] = {};
  alignas(64) double slotZi_[M][L] = {};
  alignas(64) double savedR_[M][L] = {};
  alignas(64) double savedI_[M][L] = {};
  alignas(64) int64_t slotSteps_[M][L] = {};
  int64_t slotPixel_[M][L] = {};
  unsigned slotInside_[M] = {};
  unsigned slotOccupied_[M] = {};
  unsigned slotZeroed_[M] = {};
  unsigned unsaved_[M] = {};
};

template <class S, class Rule, int M>
void RunEngine(const CountJob& job, CountScratch& scratch) {
  EscapeEngine<S, Rule, M> engine(job, scratch);
  engine.Run();
}

}  // namespace
}  // namespace zirvanta::fast
