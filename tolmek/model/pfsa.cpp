#include "tolmek/model/pfsa.h"

#include <memory>
#include <string>

#include <gsl/gsl_randist.h>
#include <gsl/gsl_rng.h>

#include "tolmek/model/walk_choice.h"
#include "tolmek/stream/random_source.h"

namespace {

constexpr unsigned long kDefaultWalkLength = 1000;

using GeneratorPtr = std::unique_ptr<gsl_rng, GeneratorDeleter>;

}  // namespace

PFSA::PFSA() = default;

PFSA::PFSA(std::map<int, std::vector<double>> pit,
           std::map<int, std::map<symbol, int>> aut)
    : pit(std::move(pit)), aut(std::move(aut)) {
  alphabet_size = static_cast<unsigned int>(this->aut[0].size());
  num_states = static_cast<unsigned int>(this->aut.size());
  // One of the states 0..n-2 (never the last one), as the command has always
  // chosen its start.
  reseed_start_draws();
  current_state = 0;
  if (this->pit.size() > 1) {
    const long n = static_cast<long>(this->pit.size()) - 1;
    current_state = static_cast<int>(start_draw(kWalk) % n);
  }
  walk(kDefaultWalkLength);
}

PFSA::PFSA(std::map<int, std::vector<double>> pit,
           std::map<int, std::map<symbol, int>> aut, int start)
    : PFSA(std::move(pit), std::move(aut), start, kDefaultWalkLength) {}

PFSA::PFSA(std::map<int, std::vector<double>> pit,
           std::map<int, std::map<symbol, int>> aut, int start,
           unsigned long length)
    : pit(std::move(pit)), aut(std::move(aut)), current_state(start) {
  alphabet_size = static_cast<unsigned int>(this->aut[0].size());
  num_states = static_cast<unsigned int>(this->aut.size());
  walk(length);
}

PFSA::PFSA(PFSA const& other)
    : pit(other.pit),
      Xpit(other.Xpit),
      aut(other.aut),
      current_state(other.current_state) {
  alphabet_size = static_cast<unsigned int>(aut[0].size());
  num_states = static_cast<unsigned int>(aut.size());
  walk(other.sample_path.size());
}

PFSA& PFSA::operator=(PFSA const& other) {
  if (this == &other) return *this;
  pit = other.pit;
  Xpit = other.Xpit;
  aut = other.aut;
  current_state = other.current_state;
  alphabet_size = static_cast<unsigned int>(aut[0].size());
  num_states = static_cast<unsigned int>(aut.size());
  walk(other.sample_path.size());
  return *this;
}

std::map<int, std::vector<double>>& PFSA::get_pit() { return pit; }
std::map<int, std::vector<double>>& PFSA::get_Xpit() { return Xpit; }
std::map<int, std::map<symbol, int>>& PFSA::get_aut() { return aut; }
void PFSA::set_pit(std::map<int, std::vector<double>>& p) { pit = p; }
void PFSA::set_Xpit(std::map<int, std::vector<double>>& p) { Xpit = p; }
void PFSA::set_aut(std::map<int, std::map<symbol, int>>& a) { aut = a; }

// A walk of no steps sets up no generator and reads no clock: copies of the
// command's models (whose paths are empty) are made many times while records
// are sorted. A model that breaks its invariants (no probability vectors, a
// state or symbol missing) ends the walk where it breaks, changing nothing.
void PFSA::walk(unsigned long steps) {
  if (steps == 0 || pit.empty()) return;
  const std::size_t m = pit.begin()->second.size();
  if (m == 0) return;
  GeneratorPtr generator(make_generator(kWalk));
  for (unsigned long step = 0; step < steps; ++step) {
    const auto state = pit.find(current_state);
    if (state == pit.end()) return;
    const double u = gsl_ran_flat(generator.get(), 0.0, 1.0);
    const std::size_t s = walk_choice(state->second, m, u);
    if (s >= m) return;
    const auto row = aut.find(current_state);
    if (row == aut.end()) return;
    const auto next = row->second.find(symbol(static_cast<std::uint32_t>(s)));
    if (next == row->second.end() || next->second == -1) return;
    sample_path.push_back(symbol(static_cast<std::uint32_t>(s)));
    current_state = next->second;
  }
}

std::ostream& operator<<(std::ostream& os, PFSA& m) {
  os << std::hex;
  for (const symbol& s : m.sample_path) os << s.value << ' ';
  return os;
}

std::ostream& operator<<(std::ostream& os,
                         std::map<int, std::map<symbol, int>> a) {
  for (const auto& [state, row] : a) {
    for (const auto& [s, next] : row) os << next << ' ';
    os << '\n';
  }
  return os;
}
