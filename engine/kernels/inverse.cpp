// In-place Gauss-Jordan inversion: the blocked algorithm, its team of
// threads and the choice of the update kernels (inverse_kernels.h).
#include "kernels/inverse.h"

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "kernels/inverse_kernels.h"

namespace eng {

using namespace inverse_detail;

namespace {

// ---------------------------------------------------------------------------
// Kernels

const InverseKernels& best_kernels() {
  static const InverseKernels* const best = [] {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq")) return &kAvx512Kernels;
    if (__builtin_cpu_supports("avx2")) return &kAvx2Kernels;
    return &kGenericKernels;
  }();
  return *best;
}

// The best kernels a test or benchmark allows: 2 AVX-512, 1 AVX2, 0 plain.
std::atomic<int> kernel_ceiling{2};

const InverseKernels& kernels() {
  const InverseKernels* best = &best_kernels();
  const int ceiling = kernel_ceiling.load(std::memory_order_relaxed);
  if (ceiling < 2 && best == &kAvx512Kernels) best = &kAvx2Kernels;
  if (ceiling < 1) best = &kGenericKernels;
  return *best;
}

}  // namespace

void invert_complex_matrix_stepwise(cfloat* A, const int& lda, const int& n, const int& slice) {
  // Multipliers of the current step (column k before it is cleared), as the
  // interleaved pairs (tr, ti) and (-ti, tr), in slices of kSlice rows.
  constexpr int kMaxSlice = 2048;
  static float ta[2 * kMaxSlice];
  static float tb[2 * kMaxSlice];
  const auto update_column = kernels().update_column;
  const int kSlice = std::clamp(slice, 1, kMaxSlice);
  const long ld = lda;
  const int nn = n;
  for (int k = 0; k < nn; ++k) {
    cfloat* colk = A + k * ld;
    // Pivot row: A(k,k) := 1, then the row is divided by the pivot.
    const cfloat p = colk[k];
    colk[k] = cfloat(1.0f, 0.0f);
    for (int j = 0; j < nn; ++j) {
      cfloat& x = A[j * ld + k];
      x = complex_divide(x, p);
    }
    // Row i -= t(i) * row k for every row i != k, with t(i) = A(i,k) taken
    // before column k is cleared; column by column, in slices of rows.
    for (int i0 = 0; i0 < nn; i0 += kSlice) {
      const int i1 = std::min(nn, i0 + kSlice);
      for (int i = i0; i < i1; ++i) {
        const float tr = colk[i].real(), ti = colk[i].imag();
        ta[2 * (i - i0)] = tr;
        ta[2 * (i - i0) + 1] = ti;
        tb[2 * (i - i0)] = -ti;
        tb[2 * (i - i0) + 1] = tr;
        if (i != k) colk[i] = cfloat(0.0f, 0.0f);
      }
      // Rows of the slice other than k, as float offsets from row i0.
      const int lo1 = 0;
      const int hi1 = 2 * (std::clamp(k, i0, i1) - i0);
      const int lo2 = 2 * (std::clamp(k + 1, i0, i1) - i0);
      const int hi2 = 2 * (i1 - i0);
      for (int j = 0; j < nn; ++j) {
        float* col = reinterpret_cast<float*>(A + j * ld);
        const float cr = col[2 * k];
        const float ci = col[2 * k + 1];
        float* y = col + 2 * i0;
        update_column(y, ta, tb, cr, ci, lo1, hi1);
        update_column(y, ta, tb, cr, ci, lo2, hi2);
      }
    }
  }
}

namespace {

// Threads
//
// A large inversion is shared by a team: the calling thread (member 0) and
// up to kMaxThreads - 1 helper threads, created at the first inversion that
// asks for them and then kept, waiting, for the later ones (nothing is
// allocated once they exist).  The team is a static object of the library:
// its destructor, run when the program exits or when the engine library is
// unloaded, stops and joins the helpers, so that none is left running in
// code that is about to be unmapped.  Members wait by spinning for a few
// microseconds, then by yielding the processor a number of times (on a busy
// machine the member they wait for may be the one that gets it), and then
// block on a condition variable, so an idle team costs no processor time.
// Should the library stay loaded after all, the helpers stay asleep until
// the program ends.  One inversion runs at a time (the engine is
// single-threaded; the work areas are static as well).

constexpr int kMaxThreads = 64;
constexpr int kThreadedMinOrder = 64;
constexpr int kMinColumnsPerMember = 16;
constexpr int kSpin = 256;    // pauses, some microseconds
constexpr int kYields = 64;
constexpr int kGroupColumns = 16;

inline void cpu_relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

class Team {
 public:
  using Body = void (*)(void* ctx, int member, int count);

  Team() = default;
  Team(const Team&) = delete;
  Team& operator=(const Team&) = delete;
  ~Team() {
    if (helpers_.empty()) return;
    stop_.store(true);
    publish(job_, job_.value.load() + kJobStep);
    for (std::thread& t : helpers_) t.join();
  }

  // The number of members (at most `count`) a run can have: helpers are
  // created as needed; when the system refuses one, fewer take part.
  int reserve(int count) {
    count = std::clamp(count, 1, kMaxThreads);
    if (helpers_.capacity() == 0) helpers_.reserve(kMaxThreads - 1);
    while (static_cast<int>(helpers_.size()) < count - 1) {
      const int member = static_cast<int>(helpers_.size()) + 1;
      try {
        helpers_.emplace_back(&Team::help, this, member, job_.value.load());
      } catch (...) {  // no more threads: fewer members
        break;
      }
    }
    return std::min(count, static_cast<int>(helpers_.size()) + 1);
  }

  // body(ctx, m, count) on members m = 0 .. count-1 (count from reserve),
  // member 0 on the calling thread; returns when all have finished.  The
  // helpers run with the caller's floating-point environment, and the
  // exception flags they raise are raised in the caller afterwards.
  void run(int count, Body body, void* ctx) {
    if (count <= 1) {
      body(ctx, 0, 1);
      return;
    }
    body_ = body;
    ctx_ = ctx;
    fegetenv(&env_);
    flags_.store(0);
    publish(job_, (job_.value.load() & ~kCountMask) + kJobStep + static_cast<unsigned>(count));
    body(ctx, 0, count);
    sync(count);
    const int extra = flags_.load() & ~fetestexcept(FE_ALL_EXCEPT);
    // Only masked exceptions can be among them: an unmasked one would have
    // trapped in the helper.
    if (extra != 0) feraiseexcept(extra);
  }

  // Barrier of the `count` members of the current run.
  void sync(int count) {
    if (count <= 1) return;
    const unsigned phase = phase_.value.load(std::memory_order_acquire);
    if (arrived_.fetch_add(1, std::memory_order_acq_rel) + 1 == count) {
      arrived_.store(0, std::memory_order_relaxed);
      publish(phase_, phase + 1);
    } else {
      wait_while(phase_, phase);
    }
  }

 private:
  // job_ holds a generation counter above the member count of the run.
  static constexpr unsigned kCountMask = 0xff;
  static constexpr unsigned kJobStep = 0x100;

  void help(int member, unsigned seen) {
    for (;;) {
      wait_while(job_, seen);
      seen = job_.value.load(std::memory_order_acquire);
      if (stop_.load()) return;
      const int count = static_cast<int>(seen & kCountMask);
      if (member >= count) continue;
      fesetenv(&env_);
      body_(ctx_, member, count);
      flags_.fetch_or(fetestexcept(FE_ALL_EXCEPT));
      sync(count);
    }
  }

  // A value members wait on, with its own sleepers: helpers that wait for
  // the next run are not woken by the barriers of a run they take no part in.
  struct Channel {
    alignas(64) std::atomic<unsigned> value{0};
    std::atomic<int> sleepers{0};
    std::mutex mutex;
    std::condition_variable wake;
  };

  static void wait_while(Channel& c, unsigned old) {
    for (int i = 0; i < kSpin; ++i) {
      if (c.value.load(std::memory_order_acquire) != old) return;
      cpu_relax();
    }
    // Then give the processor to whoever else is ready (on a busy machine
    // perhaps the member everyone waits for) before going to sleep.
    for (int i = 0; i < kYields; ++i) {
      if (c.value.load(std::memory_order_acquire) != old) return;
      std::this_thread::yield();
    }
    std::unique_lock<std::mutex> lock(c.mutex);
    c.sleepers.fetch_add(1);
    while (c.value.load() == old) c.wake.wait(lock);
    c.sleepers.fetch_sub(1);
  }

  static void publish(Channel& c, unsigned value) {
    c.value.store(value);
    if (c.sleepers.load() > 0) {
      { std::lock_guard<std::mutex> lock(c.mutex); }
      c.wake.notify_all();
    }
  }

  std::vector<std::thread> helpers_;
  std::atomic<bool> stop_{false};
  Channel job_;    // generation and member count of the current run
  Channel phase_;  // barrier generation
  alignas(64) std::atomic<int> arrived_{0};
  alignas(64) std::atomic<int> flags_{0};
  Body body_ = nullptr;
  void* ctx_ = nullptr;
  std::fenv_t env_{};
};

Team team;

// [lo, hi) of member m of `count` in 0 .. total-1, in whole units.
inline void share(int total, int unit, int m, int count, int& lo, int& hi) {
  const int units = (total + unit - 1) / unit;
  lo = std::min(total, units * m / count * unit);
  hi = m + 1 == count ? total : std::min(total, units * (m + 1) / count * unit);
}

// Blocked Gauss-Jordan with the same operations on every element in the
// same order as the plain algorithm, shared by the members of a team (one
// member: the calling thread alone).  For each block K of kBlock steps:
//   1. member 0 carries out the kb steps on the kb x kb block of the rows
//      and columns of K (its pivots, multipliers and divided pivot rows),
//      as soon as it has given the columns of K the updates of the block
//      before, while the other members finish those (step 3);
//   2. every member takes some of the other rows and columns: a row i
//      outside K receives the kb steps in the columns of K (its
//      multipliers t(i) come out of them), a column j outside K the kb
//      steps in the rows of K (its divided pivot-row values r(j) come out
//      of them); no row or column depends on another one here;
//   3. the kb updates y -= t(i) r(j), in step order, of the elements
//      outside the rows and columns of K, by groups of columns, while each
//      stays in registers.
// Two barriers a block: before 2 and before 3.  Each element receives
// exactly the operations of the step-by-step routine in the same order, so
// the result has the same bits for any number of members.
constexpr int kRowTile = 128;  // floats (64 complex rows) per tile of part 3

// Two work areas: while the members update the rest with the multipliers
// of block K, member 0 fills the other one with the steps of block K + 1.
BlockWork block_work[2];

struct TeamInverse {
  cfloat* A;
  long ld;
  int n;
  const InverseKernels* k;
  // Part 3 in groups of kGroupColumns columns: member m's groups are the
  // next .. end-1 of its own share; a member that has finished its own takes
  // the rest of the others', so that a thread the system holds back delays
  // the others by one group at most.
  struct alignas(64) Share {
    std::atomic<int> next{0};
    int end = 0;
  };
  Share share[kMaxThreads];
};

inline float* column(const TeamInverse& w, int j) {
  return reinterpret_cast<float*>(w.A + j * w.ld);
}

// Multipliers of step k (column k before it is cleared) for the floats
// f0 .. f1-1 of the rows, kept for the step (ta, tb) and the block (chunks);
// the column is cleared on these rows except at row k.
inline void take_multipliers(BlockWork& bw, const TeamInverse& w, int k, int kk, int f0, int f1) {
  float* colk = column(w, k);
  for (int f = f0; f < f1; f += 2) {
    const float tr = colk[f], ti = colk[f + 1];
    bw.ta[f] = tr;
    bw.ta[f + 1] = ti;
    bw.tb[f] = -ti;
    bw.tb[f + 1] = tr;
    bw.tac[f >> 3][kk][f & 7] = tr;
    bw.tac[(f + 1) >> 3][kk][(f + 1) & 7] = ti;
    bw.tbc[f >> 3][kk][f & 7] = -ti;
    bw.tbc[(f + 1) >> 3][kk][(f + 1) & 7] = tr;
    bw.tac16[f >> 4][kk][f & 15] = tr;
    bw.tac16[(f + 1) >> 4][kk][(f + 1) & 15] = ti;
    bw.tbc16[f >> 4][kk][f & 15] = -ti;
    bw.tbc16[(f + 1) >> 4][kk][(f + 1) & 15] = tr;
    if (f != 2 * k) colk[f] = colk[f + 1] = 0.0f;
  }
}

// Part 1: the steps of the block on its own rows and columns.
void diagonal_block(BlockWork& bw, const TeamInverse& w, int k0, int k1) {
  const auto update_column = w.k->update_column;
  for (int k = k0; k < k1; ++k) {
    const int kk = k - k0;
    cfloat* colk = w.A + k * w.ld;
    const cfloat p = colk[k];
    bw.pivot[kk] = p;
    colk[k] = cfloat(1.0f, 0.0f);
    for (int j = k0; j < k1; ++j) {
      cfloat& x = w.A[j * w.ld + k];
      x = complex_divide(x, p);
      bw.rr[j][kk] = x.real();
      bw.ri[j][kk] = x.imag();
    }
    take_multipliers(bw, w, k, kk, 2 * k0, 2 * k1);
    std::copy(bw.ta + 2 * k0, bw.ta + 2 * k1, bw.pta[kk]);
    std::copy(bw.tb + 2 * k0, bw.tb + 2 * k1, bw.ptb[kk]);
    for (int j = k0; j < k1; ++j) {
      float* col = column(w, j);
      update_column(col, bw.ta, bw.tb, bw.rr[j][kk], bw.ri[j][kk], 2 * k0, 2 * k);
      update_column(col, bw.ta, bw.tb, bw.rr[j][kk], bw.ri[j][kk], 2 * k + 2, 2 * k1);
    }
  }
}

// Part 2 for the rows of floats f0 .. f1-1 (outside the block): the steps
// in the columns of the block.
void block_columns(BlockWork& bw, const TeamInverse& w, int k0, int k1, int f0, int f1) {
  if (f0 >= f1) return;
  if (k1 - k0 == kBlock) {
    float* cols[kBlock];
    for (int j = k0; j < k1; ++j) cols[j - k0] = column(w, j);
    f0 = w.k->panel_columns(bw, cols, k0, f0, f1);
    if (f0 >= f1) return;
  }
  const auto update_column = w.k->update_column;
  for (int k = k0; k < k1; ++k) {
    const int kk = k - k0;
    take_multipliers(bw, w, k, kk, f0, f1);
    for (int j = k0; j < k1; ++j) {
      update_column(column(w, j), bw.ta, bw.tb, bw.rr[j][kk], bw.ri[j][kk], f0, f1);
    }
  }
}

void invert_member(void* ctx, int m, int count) {
  TeamInverse& w = *static_cast<TeamInverse*>(ctx);
  const InverseKernels& kern = *w.k;
  const int nn = w.n;
  if (m == 0) diagonal_block(block_work[0], w, 0, std::min(nn, kBlock));
  for (int k0 = 0, b = 0; k0 < nn; k0 += kBlock, b ^= 1) {
    BlockWork& bw = block_work[b];
    const int k1 = std::min(nn, k0 + kBlock);
    const int kb = k1 - k0;
    const int outer = nn - kb;  // rows (and columns) outside the block
    // Outer index q to row or column number.
    auto outside = [&](int q) { return q < k0 ? q : q + kb; };
    // Columns of the next block: outer indices k0 .. k0+nb-1.
    const int nb = std::min(nn, k1 + kBlock) - k1;

    // Part 1 of this block is done (and part 3 of the one before).
    team.sync(count);

    // Part 2.  Rows in units of 8 (whole cache lines of a column and whole
    // chunks of the multipliers), columns in groups.
    int r0, r1, g0, g1;
    share(outer, 8, m, count, r0, r1);
    share((outer + kGroupColumns - 1) / kGroupColumns, 1, m, count, g0, g1);
    block_columns(bw, w, k0, k1, 2 * std::min(r0, k0), 2 * std::min(r1, k0));
    block_columns(bw, w, k0, k1, 2 * (std::max(r0, k0) + kb), 2 * (std::max(r1, k0) + kb));
    for (int c0 = g0 * kGroupColumns; c0 < std::min(outer, g1 * kGroupColumns); c0 += kGroupColumns) {
      const int c1 = std::min(outer, c0 + kGroupColumns);
      int js[kGroupColumns];
      cfloat* cs[kGroupColumns];
      for (int q = c0; q < c1; ++q) {
        js[q - c0] = outside(q);
        cs[q - c0] = w.A + js[q - c0] * w.ld;
      }
      kern.block_rows(bw, cs, js, c1 - c0, k0, kb);
    }
    // Part 3 in groups of the outer columns other than the next block's,
    // numbered p = 0 .. pool-1.
    const int pool = outer - nb;
    auto pooled = [&](int p) { return outside(p < k0 ? p : p + nb); };
    share((pool + kGroupColumns - 1) / kGroupColumns, 1, m, count, g0, g1);
    w.share[m].next.store(g0, std::memory_order_relaxed);
    w.share[m].end = g1;
    team.sync(count);

    // Part 3.
    const int ranges[2][2] = {{0, 2 * k0}, {2 * k1, 2 * nn}};
    auto update = [&](float* const* ys, const int* js, int mc) {
      for (const auto& range : ranges) {
        for (int t0 = range[0]; t0 < range[1]; t0 += kRowTile) {
          const int t1 = std::min(range[1], t0 + kRowTile);
          kern.trailing(bw, ys, js, mc, kb, t0, t1);
        }
      }
    };
    if (m == 0 && nb > 0) {
      // The next block's columns first, then its part 1 while the others
      // go on with the rest.
      int js[kBlock];
      float* ys[kBlock];
      for (int q = 0; q < nb; ++q) {
        js[q] = k1 + q;
        ys[q] = column(w, js[q]);
      }
      update(ys, js, nb);
      diagonal_block(block_work[b ^ 1], w, k1, k1 + nb);
    }
    for (int v = 0; v < count; ++v) {
      TeamInverse::Share& sh = w.share[(m + v) % count];
      for (;;) {
        const int gi = sh.next.fetch_add(1, std::memory_order_relaxed);
        if (gi >= sh.end) break;
        const int p0 = gi * kGroupColumns, p1 = std::min(pool, p0 + kGroupColumns);
        int js[kGroupColumns];
        float* ys[kGroupColumns];
        for (int p = p0; p < p1; ++p) {
          js[p - p0] = pooled(p);
          ys[p - p0] = column(w, js[p - p0]);
        }
        update(ys, js, p1 - p0);
      }
    }
  }
}

}  // namespace

int inversion_thread_count() {
  if (const char* env = std::getenv("TREMEX_THREADS")) {
    char* end = nullptr;
    const long v = std::strtol(env, &end, 10);
    if (end != env && *end == '\0' && v >= 1) return static_cast<int>(std::min<long>(v, kMaxThreads));
  }
  const unsigned hw = std::thread::hardware_concurrency();
  return static_cast<int>(std::clamp(hw, 1u, static_cast<unsigned>(kMaxThreads)));
}

void invert_complex_matrix_threads(cfloat* A, const int& lda, const int& n, const int& threads) {
  if (n > kBlockedMaxOrder) {
    invert_complex_matrix_stepwise(A, lda, n, kBlockedMaxOrder);
    return;
  }
  // Fewer members for small orders: each keeps some columns of its own.
  const int wanted = std::min(threads, (n - kBlock) / kMinColumnsPerMember);
  TeamInverse w{A, lda, n, &kernels(), {}};
  if (n < kThreadedMinOrder || wanted <= 1) {
    invert_member(&w, 0, 1);
    return;
  }
  team.run(team.reserve(wanted), invert_member, &w);
}

bool inversion_avx512_available() { return &best_kernels() == &kAvx512Kernels; }

void inversion_use_avx512(bool on) { kernel_ceiling.store(on ? 2 : 1); }

bool inversion_use_kernels(const char* name) {
  const std::string_view want = name != nullptr ? name : "";
  const int level = want == "avx512" ? 2 : want == "avx2" ? 1 : want == "generic" ? 0 : -1;
  if (level < 0) return false;
  const InverseKernels& best = best_kernels();
  const int best_level = &best == &kAvx512Kernels ? 2 : &best == &kAvx2Kernels ? 1 : 0;
  if (level > best_level) return false;
  kernel_ceiling.store(level);
  return true;
}

const char* inversion_kernels() { return kernels().name; }

void run_on_team(int threads, void (*body)(void* ctx, int member, int count), void* ctx) {
  team.run(threads <= 1 ? 1 : team.reserve(threads), body, ctx);
}

int inversion_team_size(int n, int threads) {
  if (n < kInversionTeamOrder) return 1;
  return std::clamp(n / kInversionColumnsPerMember, 1, std::max(threads, 1));
}

void INVERT_COMPLEX_MATRIX(cfloat* A, const int& lda, const int& n) {
  const int threads = n < kInversionTeamOrder ? 1 : inversion_team_size(n, inversion_thread_count());
  invert_complex_matrix_threads(A, lda, n, threads);
}

}  // namespace eng
