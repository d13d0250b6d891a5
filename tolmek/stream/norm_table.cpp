#include "tolmek/stream/norm_table.h"

#include <algorithm>
#include <cmath>

#include "tolmek/stream/symbolic_string.h"

namespace {

// Beyond this many counts the maps are no slower than a table.
constexpr std::size_t kMaxCells = std::size_t{1} << 24;

}  // namespace

namespace norm_detail {

double largest_deviation(const double* p, std::size_t size, unsigned int k) {
  const double flat = 1.0 / (k + 0.0);
  double m = 0.0;
  for (unsigned int i = 0; i < k; ++i) {
    const double pi = i < size ? p[i] : 0.0;
    m = std::max(m, std::fabs(flat - pi));
  }
  return m;
}

double weight(std::size_t length, unsigned int k) {
  return std::pow(k + 0.0, 2.0 * static_cast<double>(length) + 0.0);
}

double final_factor(unsigned int k) {
  return static_cast<double>(k - 1u) / (k + 0.0);
}

void stochastic_row(const std::uint32_t* counts, unsigned int k, double* p) {
  // As mk_stochastic: a float total in symbol order, one float reciprocal,
  // float products widened to double.
  float total = 0.0f;
  for (unsigned int y = 0; y < k; ++y) total += static_cast<float>(counts[y]);
  if (!(total > 0.0f)) {
    std::fill(p, p + k, 0.0);
    return;
  }
  const float reciprocal = 1.0f / total;
  for (unsigned int y = 0; y < k; ++y) {
    const float product = static_cast<float>(counts[y]) * reciprocal;
    p[y] = static_cast<double>(product);
  }
}

}  // namespace norm_detail

bool NormTable::count(const std::vector<symbol>& seq, unsigned int k,
                      unsigned int d) {
  offsets_.assign(std::size_t{d} + 2, 0);
  weights_.assign(std::size_t{d} + 1, 0.0);
  std::size_t words = 1;  // k^l
  for (unsigned int l = 0; l <= d; ++l) {
    offsets_[l + 1] = offsets_[l] + words;
    if (offsets_[l + 1] > kMaxCells / k) return false;
    weights_[l] = norm_detail::weight(l, k);
    words *= k;
  }
  for (const symbol s : seq)
    if (s.value >= k) return false;

  counts_.assign(offsets_[d + 1] * k, 0u);
  empty_stream_ = seq.empty();
  // Word codes are base-k numbers, oldest symbol most significant, so among
  // words of one length the code order is the word order. Positions are
  // 32-bit as in the map path.
  const auto n = static_cast<std::uint32_t>(seq.size());
  const std::uint32_t* s = reinterpret_cast<const std::uint32_t*>(seq.data());
  static_assert(sizeof(symbol) == sizeof(std::uint32_t), "symbol is 32 bits");
  for (std::uint32_t a = 0; a < n; ++a) {
    const std::uint32_t longest = std::min<std::uint32_t>(d, n - 1 - a);
    std::size_t code = 0;
    for (std::uint32_t l = 0; l <= longest; ++l) {
      const std::uint32_t y = s[a + l];
      ++counts_[(offsets_[l] + code) * k + y];
      code = code * k + y;
    }
  }
  return true;
}

double NormTable::weighted_sum(unsigned int k, unsigned int d,
                               bool empty_is_flat) {
  std::vector<double> p(k);
  double sum = 0.0;
  // Depth-first over the words, a word before its extensions and siblings in
  // symbol order: the order of the word map.
  struct Frame {
    unsigned int length;
    std::size_t code;
  };
  std::vector<Frame> stack{{0, 0}};
  while (!stack.empty()) {
    const Frame f = stack.back();
    stack.pop_back();
    double m = 0.0;
    if (empty_is_flat) {
      m = 0.0;  // every deviation from the flat distribution is 0
    } else {
      const std::size_t row = (offsets_[f.length] + f.code) * k;
      norm_detail::stochastic_row(&counts_[row], k, p.data());
      m = norm_detail::largest_deviation(p.data(), k, k);
    }
    sum += m / weights_[f.length];
    if (f.length < d) {
      for (unsigned int c = k; c-- > 0;)
        stack.push_back({f.length + 1, f.code * k + c});
    }
  }
  return sum * norm_detail::final_factor(k);
}

double NormTable::norm(const std::vector<symbol>& seq, unsigned int k,
                       unsigned int d) {
  if (k == 0) return 0.0;
  if (!count(seq, k, d)) {
    std::vector<symbol> copy = seq;
    Symbolic_string_ s(copy, k);
    s.get_norm(d);
    return s.norm;
  }
  // An empty stream has empty count maps, which stand for the flat
  // distribution; otherwise every word's counts are normalised as they are.
  return weighted_sum(k, d, empty_stream_);
}

double NormTable::reflected_norm(const std::vector<symbol>& seq, unsigned int k,
                                 unsigned int d) {
  if (k == 0) return 0.0;
  if (!count(seq, k, d)) {
    std::vector<symbol> copy = seq;
    Symbolic_string_ s(copy, k);
    s.get_reflected_norm(d);
    return s.norm;
  }
  // In place, in increasing order within each length (the merge pairs only
  // words of one length): a reflection with a smaller code has been merged
  // already, one with a larger code has not, and the empty word (or any word
  // when k = 1) is its own reflection and doubles.
  std::vector<std::uint32_t> digits;
  for (unsigned int l = 0; l <= d; ++l) {
    const std::size_t words = offsets_[l + 1] - offsets_[l];
    digits.assign(l, 0u);
    for (std::size_t x = 0; x < words; ++x) {
      std::size_t r = 0;
      for (unsigned int i = 0; i < l; ++i) {
        const std::uint32_t up = digits[i] + 1u;
        r = r * k + (up == k ? 0u : up);
      }
      std::uint32_t* own = &counts_[(offsets_[l] + x) * k];
      const std::uint32_t* other = &counts_[(offsets_[l] + r) * k];
      for (unsigned int y = 0; y < k; ++y) own[y] = own[y] + other[y];
      // Next code's digits, most significant first.
      for (unsigned int i = l; i-- > 0;) {
        if (++digits[i] < k) break;
        digits[i] = 0;
      }
    }
  }
  // After the merge every word holds the symbols 0..k-1: an all-zero row is
  // a distribution of zeros, not the flat one.
  return weighted_sum(k, d, false);
}
