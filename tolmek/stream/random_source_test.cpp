#include "tolmek/stream/random_source.h"

#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

TEST(RandomSeedTest, ManyCallsFromTwoThreadsAreDistinct) {
  constexpr int kPerThread = 50000;
  std::vector<unsigned> a(kPerThread), b(kPerThread);
  std::thread ta([&] {
    for (auto& v : a) v = random_seed();
  });
  std::thread tb([&] {
    for (auto& v : b) v = random_seed();
  });
  ta.join();
  tb.join();
  std::set<unsigned> all(a.begin(), a.end());
  all.insert(b.begin(), b.end());
  EXPECT_EQ(all.size(), 2u * kPerThread);
}

TEST(HashSeedSourceTest, SameKeySameSeedOtherKeyOtherSeed) {
  HashSeedSource s1(7, 0, 1, 1), s2(7, 0, 1, 1), s3(8, 0, 1, 1);
  const DrawPosition at{3, 4};
  EXPECT_EQ(s1.generator_seed(kGenerate, at), s2.generator_seed(kGenerate, at));
  EXPECT_NE(s1.generator_seed(kGenerate, at), s3.generator_seed(kGenerate, at));
  EXPECT_NE(s1.generator_seed(kGenerate, at),
            s1.generator_seed(kTargetSelection, at));
  EXPECT_NE(s1.generator_seed(kGenerate, at),
            s1.generator_seed(kGenerate, DrawPosition{3, 5}));
  EXPECT_EQ(s1.start_draw(kGenerateStart, at),
            s2.start_draw(kGenerateStart, at));
}

TEST(ScopedSeedSourceTest, InstalledSourceSeedsGenerators) {
  HashSeedSource src(1, 2, 3, 4);
  unsigned long first = 0, second = 0;
  {
    ScopedSeedSource scope(&src);
    set_draw_position(5, 6);
    gsl_rng* r = make_generator(kGenerate);
    first = gsl_rng_get(r);
    gsl_rng_free(r);
  }
  {
    ScopedSeedSource scope(&src);
    set_draw_position(5, 6);
    gsl_rng* r = make_generator(kGenerate);
    second = gsl_rng_get(r);
    gsl_rng_free(r);
  }
  EXPECT_EQ(first, second);
}
