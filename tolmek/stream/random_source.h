// Where every random draw of the inference gets its seed.
//
// By default a generator set up by an operation is seeded from the wall clock
// (random_seed) and start states come from the C library generator, reseeded
// from the current second. A caller can install, for the current thread, a
// SeedSource that replaces both; the inference then tells the scope which
// candidate and repetition it is scoring so that every draw has coordinates.

#ifndef TOLMEK_STREAM_RANDOM_SOURCE_H_
#define TOLMEK_STREAM_RANDOM_SOURCE_H_

#include <cstdint>

#include <gsl/gsl_rng.h>

// Seconds plus microseconds of one reading of the wall clock, truncated to 32
// bits, on the first call. Later calls return distinct values derived from
// that reading and a process-wide counter, so two generators set up in the
// same microsecond never share a seed. Safe to call from several threads.
unsigned int random_seed();

// Runs gsl_rng_env_setup() once per process (GSL_RNG_TYPE, GSL_RNG_SEED).
// Every generator set-up calls it; the command calls it before any parallel
// work so that the process-wide default type is written only once.
void gsl_environment_setup();

// The operations that draw random numbers. An operation that sets up several
// generators adds its index to the code (kInversionSelection + i).
enum RandomOperation : std::uint32_t {
  kGenerate = 1,            // emissions of a stream generated through a model
  kGenerateStart = 2,       // start state of that generation
  kTargetSelection = 3,     // random selection of the real target
  kOccupationStart = 4,     // start state of one occupation walk
  kWalk = 5,                // random walk of a model
  kInversionSelection = 64  // i-th random selection inside an inversion
};

// Coordinates of a draw inside one run: the candidate scored and the
// repetition of its scoring.
struct DrawPosition {
  std::uint32_t candidate = 0;
  std::uint32_t repetition = 0;
};

// Replaces the default seeding for the draws made on one thread.
class SeedSource {
 public:
  virtual ~SeedSource() = default;
  // Seed of a generator that operation `op` sets up at `at`.
  virtual unsigned long generator_seed(std::uint32_t op,
                                       const DrawPosition& at) = 0;
  // A value in [0, RAND_MAX] standing for rand() in a start-state draw.
  virtual long start_draw(std::uint32_t op, const DrawPosition& at) = 0;
  // Called where the default reseeds the C library generator from the clock.
  virtual void reseed_start_draws() {}
};

// Deterministic seeds: (seed, source, target, delay, candidate, repetition,
// operation) mixed with a 64-bit finalizer hash. Never touches the C library
// generator. One object serves one run and one thread.
class HashSeedSource : public SeedSource {
 public:
  HashSeedSource(std::uint32_t seed, std::uint32_t source, std::uint32_t target,
                 std::uint32_t delay);
  unsigned long generator_seed(std::uint32_t op,
                               const DrawPosition& at) override;
  long start_draw(std::uint32_t op, const DrawPosition& at) override;

 private:
  std::uint64_t mix(std::uint32_t op, const DrawPosition& at) const;
  std::uint64_t base_;
};

// Installs `source` for the current thread for the lifetime of the scope
// (nullptr: the default seeding). Scopes nest; the previous one returns when
// this one ends.
class ScopedSeedSource {
 public:
  explicit ScopedSeedSource(SeedSource* source);
  ~ScopedSeedSource();
  ScopedSeedSource(const ScopedSeedSource&) = delete;
  ScopedSeedSource& operator=(const ScopedSeedSource&) = delete;

 private:
  SeedSource* previous_;
  DrawPosition previous_position_;
};

// The source installed on this thread (nullptr: the default seeding), so
// that work handed to another thread can install the same one there.
SeedSource* current_seed_source();

// Sets the coordinates of the following draws on this thread.
void set_draw_position(std::uint32_t candidate, std::uint32_t repetition);

// Allocates a generator of GSL's default type seeded for operation `op`:
// from random_seed() by default, from the installed SeedSource otherwise.
// The caller frees it with gsl_rng_free (or holds it in a GeneratorPtr).
gsl_rng* make_generator(std::uint32_t op);

// What rand() would give for a start-state draw of operation `op`.
long start_draw(std::uint32_t op);

// srandom(time(NULL)) by default; the installed source's reseed otherwise.
void reseed_start_draws();

// Owns a generator from make_generator.
struct GeneratorDeleter {
  void operator()(gsl_rng* r) const { gsl_rng_free(r); }
};

#endif  // TOLMEK_STREAM_RANDOM_SOURCE_H_
