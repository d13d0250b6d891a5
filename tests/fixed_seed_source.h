// A seed source for tests of random operations: every generator gets a fixed
// seed derived from its operation code, start draws return a chosen value,
// and every request is logged in order. replica() sets up the generator an
// operation would get, so a test can know each draw in advance.

#ifndef TESTS_FIXED_SEED_SOURCE_H_
#define TESTS_FIXED_SEED_SOURCE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gsl/gsl_rng.h>

#include "tolmek/stream/random_source.h"

namespace testing_util {

class FixedSeedSource : public SeedSource {
 public:
  static unsigned long seed_of(std::uint32_t op) { return 90125ul + op; }

  unsigned long generator_seed(std::uint32_t op, const DrawPosition&) override {
    log.push_back("generator " + std::to_string(op));
    return seed_of(op);
  }
  long start_draw(std::uint32_t op, const DrawPosition&) override {
    log.push_back("start " + std::to_string(op));
    return start_value;
  }
  void reseed_start_draws() override { log.push_back("reseed"); }

  long start_value = 0;          // what every start draw returns
  std::vector<std::string> log;  // "generator <op>", "start <op>", "reseed"
};

// The generator that operation `op` sets up under a FixedSeedSource.
inline std::unique_ptr<gsl_rng, GeneratorDeleter> replica(std::uint32_t op) {
  gsl_environment_setup();
  std::unique_ptr<gsl_rng, GeneratorDeleter> r(gsl_rng_alloc(gsl_rng_default));
  gsl_rng_set(r.get(), FixedSeedSource::seed_of(op));
  return r;
}

}  // namespace testing_util

#endif  // TESTS_FIXED_SEED_SOURCE_H_
