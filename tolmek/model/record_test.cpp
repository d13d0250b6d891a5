#include "tolmek/model/record.h"

#include <sstream>

#include <gtest/gtest.h>

TEST(RecordTest, LineHoldsSevenBlankEndedFields) {
  RECORD__ r;
  r.src = 12;
  r.tgt = 0;
  r.delay = 4;
  r.gamma = 1.0 / 3.0;
  r.mrgeps = 1e-05;
  r.annerr = 0.25;
  r.pfsa.aut[0][symbol(0)] = 1;
  r.pfsa.aut[1][symbol(0)] = 2;
  r.pfsa.aut[2][symbol(0)] = 0;
  r.pfsa.num_states = 99;  // the count comes from aut, not from this

  std::ostringstream os;
  os << r;
  EXPECT_EQ("12 0 4 0.333333 1e-05 0.25 3 ", os.str());

  // Integers stay decimal after the path printer left the stream in hex.
  std::ostringstream hex;
  hex << std::hex << r;
  EXPECT_EQ("12 0 4 0.333333 1e-05 0.25 3 ", hex.str());
}

TEST(RecordTest, EmptyModelHasNoStates) {
  RECORD__ r;
  r.gamma = 1.0;
  std::ostringstream os;
  os << r;
  EXPECT_EQ("0 0 0 1 0 0 0 ", os.str());
}
