// The symbol choice of a model's random walk, kept apart so that its
// boundaries can be checked without a generator.

#ifndef TOLMEK_MODEL_WALK_CHOICE_H_
#define TOLMEK_MODEL_WALK_CHOICE_H_

#include <cstddef>
#include <vector>

// The symbol that a walk emits for the draw u in [0, 1) from a state with the
// probability vector p, where m is the length of the model's first
// probability vector. With m 1 the answer is 0; otherwise it is the first i
// in 0..m-2 at which p[0] + ... + p[i] >= u, or m-1 when there is none (the
// last symbol takes what the others leave). Returns m when p is shorter than
// the sum needs (a model that breaks its invariants); m 0 returns 0.
std::size_t walk_choice(const std::vector<double>& p, std::size_t m, double u);

#endif  // TOLMEK_MODEL_WALK_CHOICE_H_
