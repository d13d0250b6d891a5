#include "tolmek/stream/random_source.h"

#include <sys/time.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace {

std::atomic<std::uint32_t> g_seed_counter{0};
std::once_flag g_clock_once;
std::uint32_t g_clock_seed = 0;
std::once_flag g_gsl_once;

thread_local SeedSource* t_source = nullptr;
thread_local DrawPosition t_position;

// The finalizer of MurmurHash3 (fmix64): a well-known bijective mixer.
std::uint64_t fmix64(std::uint64_t k) {
  k ^= k >> 33;
  k *= 0xff51afd7ed558ccdULL;
  k ^= k >> 33;
  k *= 0xc4ceb9fe1a85ec53ULL;
  k ^= k >> 33;
  return k;
}

std::uint64_t combine(std::uint64_t h, std::uint64_t v) {
  return fmix64(h ^ (v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2)));
}

}  // namespace

unsigned int random_seed() {
  std::call_once(g_clock_once, [] {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    g_clock_seed = static_cast<std::uint32_t>(tv.tv_sec + tv.tv_usec);
  });
  // The first call returns the clock reading itself; every later one a
  // distinct offset from it (distinct for 2^32 calls).
  const std::uint32_t n = g_seed_counter.fetch_add(1);
  return g_clock_seed + n * 0x9e3779b9u;
}

void gsl_environment_setup() {
  std::call_once(g_gsl_once, [] { gsl_rng_env_setup(); });
}

HashSeedSource::HashSeedSource(std::uint32_t seed, std::uint32_t source,
                               std::uint32_t target, std::uint32_t delay) {
  std::uint64_t h = fmix64(seed + 0x51ed270b27ULL);
  h = combine(h, source);
  h = combine(h, target);
  h = combine(h, delay);
  base_ = h;
}

std::uint64_t HashSeedSource::mix(std::uint32_t op,
                                  const DrawPosition& at) const {
  std::uint64_t h = combine(base_, at.candidate);
  h = combine(h, at.repetition);
  return combine(h, op);
}

unsigned long HashSeedSource::generator_seed(std::uint32_t op,
                                             const DrawPosition& at) {
  // GSL seeds from an unsigned long; some generator types treat 0 as their
  // default seed, which is fine: the value is still a function of the key.
  return static_cast<unsigned long>(mix(op, at));
}

long HashSeedSource::start_draw(std::uint32_t op, const DrawPosition& at) {
  // Drawn from a generator of the default type seeded from the key, so the
  // value depends on GSL_RNG_TYPE like every other draw of a seeded run.
  gsl_environment_setup();
  gsl_rng* r = gsl_rng_alloc(gsl_rng_default);
  gsl_rng_set(r, static_cast<unsigned long>(mix(op, at)));
  const long v = static_cast<long>(
      gsl_rng_uniform_int(r, static_cast<unsigned long>(RAND_MAX) + 1UL));
  gsl_rng_free(r);
  return v;
}

ScopedSeedSource::ScopedSeedSource(SeedSource* source)
    : previous_(t_source), previous_position_(t_position) {
  t_source = source;
  t_position = DrawPosition{};
}

ScopedSeedSource::~ScopedSeedSource() {
  t_source = previous_;
  t_position = previous_position_;
}

SeedSource* current_seed_source() { return t_source; }

void set_draw_position(std::uint32_t candidate, std::uint32_t repetition) {
  t_position.candidate = candidate;
  t_position.repetition = repetition;
}

gsl_rng* make_generator(std::uint32_t op) {
  gsl_environment_setup();
  gsl_rng* r = gsl_rng_alloc(gsl_rng_default);
  if (t_source != nullptr) {
    gsl_rng_set(r, t_source->generator_seed(op, t_position));
  } else {
    gsl_rng_set(r, random_seed());
  }
  return r;
}

long start_draw(std::uint32_t op) {
  if (t_source != nullptr) return t_source->start_draw(op, t_position);
  return std::rand();
}

void reseed_start_draws() {
  if (t_source != nullptr) {
    t_source->reseed_start_draws();
    return;
  }
  srandom(static_cast<unsigned>(time(nullptr)));
}
