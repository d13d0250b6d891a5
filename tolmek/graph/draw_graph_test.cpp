#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_util.h"
#include "tolmek/graph/graph_error.h"
#include "tolmek/model/pfsa.h"

namespace {

using testing_util::file_exists;
using testing_util::read_file;
using testing_util::ScopedTempDir;
using testing_util::write_file;

PFSA two_state_model() {
  PFSA m;
  m.aut = {{0, {{0, 1}, {1, 0}}}, {1, {{0, 1}, {1, -1}}}};
  m.pit = {{0, {0.25, 0.75}}, {1, {0.5, 0.5}}};
  return m;
}

const char kGraphLine[] =
    "bgcolor=transparent, dpi=600, rankdir=TD, size=\"40,25\"];";
const char kNodeLine[] =
    "color=black, fillcolor=papayawhip, fontcolor=black, fontname=Helvetica, "
    "fontsize=16, fontweight=bold, shape=circle, style=filled];";
const char kEdgeLine[] =
    "arrowsize=1, color=darkslategray4, fontcolor=midnightblue, "
    "fontname=Helvetica, fontweight=bold, penwidth=1, style=solid, "
    "weight=16];";
const char kBoxTail[] =
    ", shape=box,fontcolor=black, fontname=Helvetica, fontsize=14, "
    "penwidth=2, fillcolor=whitesmoke,color=black];";
const char kLinkTail[] = " [arrowhead=none, penwidth=3,color=black];";

// The dot file of the two-state model with the default styling, by line.
std::vector<std::string> two_state_lines() {
  return {"digraph G {",
          "graph [",
          kGraphLine,
          "node [",
          kNodeLine,
          "edge [",
          kEdgeLine,
          "0[label=<q<SUB>0</SUB>>];",
          "1[label=<q<SUB>1</SUB>>];",
          std::string("2[label=\"[0.25 0.75]\"") + kBoxTail,
          std::string("3[label=\"[0.50 0.50]\"") + kBoxTail,
          "0->1 [label=0];",
          "0->0 [label=1];",
          std::string("0->2") + kLinkTail,
          "1->1 [label=0];",
          std::string("1->3") + kLinkTail,
          "}"};
}

std::string join_lines(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\n";
  return out;
}

// Enters a directory for the lifetime of the object.
class ScopedChdir {
 public:
  explicit ScopedChdir(const std::string& dir) {
    char buf[4096];
    if (getcwd(buf, sizeof buf) != nullptr) previous_ = buf;
    if (chdir(dir.c_str()) != 0) ADD_FAILURE() << "cannot enter " << dir;
  }
  ~ScopedChdir() {
    if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::abort();
  }

 private:
  std::string previous_;
};

class DrawGraphTest : public ::testing::Test {
 protected:
  // A styling file holding `keys` ("#KEY\nvalue\n" pairs).
  std::string style(const std::string& keys) {
    const std::string path = dir_.file("dot.cfg");
    write_file(path, keys);
    return path;
  }
  // A render program that writes its arguments, one a line, to args.txt and
  // what its standard input is to stdin.txt.
  std::string recorder() {
    const std::string path = dir_.file("record.sh");
    write_file(path, "#!/bin/sh\n: > " + dir_.file("args.txt") +
                         "\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> " +
                         dir_.file("args.txt") +
                         "; done\nreadlink /proc/self/fd/0 > " +
                         dir_.file("stdin.txt") + "\n");
    chmod(path.c_str(), 0755);
    return path;
  }
  std::string no_render() { return style("#GRAPH_TYPE\nNO_DOT\n"); }
  static bool have_dot() {
    return std::system("command -v dot > /dev/null 2>&1") == 0;
  }

  ScopedTempDir dir_;
};

}  // namespace

TEST_F(DrawGraphTest, TwoStateModelGivesTheDotFile) {
  PFSA m = two_state_model();
  m.num_states = 7;
  m.alphabet_size = 7;
  m.drawGraphX(dir_.file("model_0_1_DEL_3"), no_render(), "");
  EXPECT_EQ(join_lines(two_state_lines()),
            read_file(dir_.file("model_0_1_DEL_3.dot")));
  EXPECT_EQ(2u, m.num_states);
  EXPECT_EQ(2u, m.alphabet_size);
  EXPECT_FALSE(file_exists(dir_.file("model_0_1_DEL_3.png")));
}

TEST_F(DrawGraphTest, EmptyAutWritesAndRunsNothing) {
  PFSA m;
  const std::string cfg = style("#DOT_PROG\n" + recorder() + "\n");
  m.drawGraphX(dir_.file("empty"), cfg, "");
  EXPECT_FALSE(file_exists(dir_.file("empty.dot")));
  EXPECT_FALSE(file_exists(dir_.file("args.txt")));
}

TEST_F(DrawGraphTest, ModelOfFailedRunShowsOneStateAndEmptyBox) {
  PFSA none;
  PFSA m(none);  // one state 0 without transitions, empty pit
  m.drawGraphX(dir_.file("none"), no_render(), "");
  std::vector<std::string> want = two_state_lines();
  want.erase(want.begin() + 7, want.end());
  want.push_back("0[label=<q<SUB>0</SUB>>];");
  want.push_back(std::string("1[label=\"[]\"") + kBoxTail);
  want.push_back(std::string("0->1") + kLinkTail);
  want.push_back("}");
  EXPECT_EQ(join_lines(want), read_file(dir_.file("none.dot")));
  EXPECT_EQ(1u, m.pit.count(0)) << "state 0 is added to pit";
}

TEST_F(DrawGraphTest, StylingKeysChangeTheirLinesOnly) {
  const std::string box =
      "shape=box,fontcolor=black, fontname=Helvetica, "
      "fontsize=14, penwidth=2, fillcolor=grey,color=red];";
  const struct {
    const char* keys;
    std::vector<std::pair<int, std::string>> changes;  // line, new text
  } kCases[] = {
      {"#GRAPH_SIZE\n10,8\n",
       {{2, "bgcolor=transparent, dpi=600, rankdir=TD, size=\"10,8\"];"}}},
      {"#RANKDIR\nLR\n",
       {{2, "bgcolor=transparent, dpi=600, rankdir=LR, size=\"40,25\"];"}}},
      {"#NODE_FONTWEIGHT\nnormal\n",
       {{4,
         "color=black, fillcolor=papayawhip, fontcolor=black, "
         "fontname=Helvetica, fontsize=16, fontweight=normal, "
         "shape=circle, style=filled];"}}},
      {"#EDEGE_FONTWEIGHT\nnormal\n",
       {{6,
         "arrowsize=1, color=darkslategray4, fontcolor=midnightblue, "
         "fontname=Helvetica, fontweight=normal, penwidth=1, style=solid, "
         "weight=16];"}}},
      // The edge font weight is read under its historic key only.
      {"#EDGE_FONTWEIGHT\nnormal\n", {}},
      {"#EDGE_PENWIDTH\n2.5\n#ARROW_SIZE\n.5\n",
       {{6,
         "arrowsize=.5, color=darkslategray4, fontcolor=midnightblue, "
         "fontname=Helvetica, fontweight=bold, penwidth=2.5, style=solid, "
         "weight=16];"}}},
      {"#BGCOLOR\n#ffffff\n",
       {{2, "bgcolor=\"#ffffff\", dpi=600, rankdir=TD, size=\"40,25\"];"}}},
      {"#TAGFILL_COLOR\ngrey\n#TAGBORDER_COLOR\nred\n",
       {{9, "2[label=\"[0.25 0.75]\", " + box},
        {10, "3[label=\"[0.50 0.50]\", " + box}}},
      {"#TAGLINK_COLOR\nblue\n",
       {{13, "0->2 [arrowhead=none, penwidth=3,color=blue];"},
        {15, "1->3 [arrowhead=none, penwidth=3,color=blue];"}}},
  };
  for (const auto& c : kCases) {
    PFSA m = two_state_model();
    m.drawGraphX(dir_.file("styled"),
                 style(std::string(c.keys) + "#GRAPH_TYPE\nNO_DOT\n"), "");
    std::vector<std::string> want = two_state_lines();
    for (const auto& [line, text] : c.changes) want[line] = text;
    EXPECT_EQ(join_lines(want), read_file(dir_.file("styled.dot"))) << c.keys;
  }
}

TEST_F(DrawGraphTest, CaptionAddsLabelToGraphLine) {
  const struct {
    const char* keys;
    const char* caption;
    std::string want;
  } kCases[] = {
      {"", "two states",
       "bgcolor=transparent, dpi=600, fontcolor=black, label=\"two states\", "
       "labelloc=b, rankdir=TD, size=\"40,25\"];"},
      {"#LABEL_COLOR\nred\n", "q0",
       "bgcolor=transparent, dpi=600, fontcolor=red, label=q0, labelloc=b, "
       "rankdir=TD, size=\"40,25\"];"},
      {"", "say \"hi\"",
       "bgcolor=transparent, dpi=600, fontcolor=black, "
       "label=\"say \\\"hi\\\"\", labelloc=b, rankdir=TD, size=\"40,25\"];"},
  };
  for (const auto& c : kCases) {
    PFSA m = two_state_model();
    m.drawGraphX(dir_.file("captioned"),
                 style(std::string(c.keys) + "#GRAPH_TYPE\nNO_DOT\n"),
                 c.caption);
    std::vector<std::string> want = two_state_lines();
    want[2] = c.want;
    EXPECT_EQ(join_lines(want), read_file(dir_.file("captioned.dot")))
        << c.caption;
  }
}

TEST_F(DrawGraphTest, BoxShowsTwoDecimals) {
  PFSA m;
  m.aut = {{0, {{0, 1}}}, {1, {{0, 0}}}};
  m.pit = {{0, {static_cast<float>(1.0 / 3.0), static_cast<float>(2.0 / 3.0)}},
           {1, {1.0}}};
  m.drawGraphX(dir_.file("thirds"), no_render(), "");
  const std::string dot = read_file(dir_.file("thirds.dot"));
  EXPECT_NE(std::string::npos, dot.find("2[label=\"[0.33 0.67]\","));
  EXPECT_NE(std::string::npos, dot.find("3[label=\"[1.00]\","));
}

TEST_F(DrawGraphTest, RendersWithArgumentVectorAndNoStdin) {
  const struct {
    const char* base;
    const char* type;
    std::vector<std::string> want;
  } kCases[] = {
      {"model_0_1_DEL_3",
       "svg",
       {"-Tsvg", "model_0_1_DEL_3.dot", "-o", "model_0_1_DEL_3.svg"}},
      {"a b;$(touch x)'\"",
       "png",
       {"-Tpng", "a b;$(touch x)'\".dot", "-o", "a b;$(touch x)'\".png"}},
      {"-x", "png", {"-Tpng", "./-x.dot", "-o", "./-x.png"}},
  };
  ScopedChdir here(dir_.path());
  const std::string prog = recorder();
  for (const auto& c : kCases) {
    PFSA m = two_state_model();
    m.drawGraphX(
        c.base, style("#DOT_PROG\n" + prog + "\n#GRAPH_TYPE\n" + c.type + "\n"),
        "");
    std::string want;
    for (const auto& a : c.want) want += a + "\n";
    EXPECT_EQ(want, read_file("args.txt")) << c.base;
    EXPECT_EQ("/dev/null\n", read_file("stdin.txt"));
    EXPECT_TRUE(file_exists(std::string(c.base) + ".dot"));
  }
  EXPECT_FALSE(file_exists("x"));
}

TEST_F(DrawGraphTest, NoDotRunsNothing) {
  PFSA m = two_state_model();
  m.drawGraphX(dir_.file("quiet"),
               style("#DOT_PROG\n" + recorder() + "\n#GRAPH_TYPE\nNO_DOT\n"),
               "");
  EXPECT_TRUE(file_exists(dir_.file("quiet.dot")));
  EXPECT_FALSE(file_exists(dir_.file("args.txt")));
}

TEST_F(DrawGraphTest, FailuresThrowGraphErrorOfTheirKind) {
  const std::string dying = dir_.file("dying.sh");
  write_file(dying, "#!/bin/sh\nkill -9 $$\n");
  chmod(dying.c_str(), 0755);
  const struct {
    std::string prog;
    GraphError::Kind kind;
  } kCases[] = {
      {"quorvane-no-such-render-program", GraphError::Kind::kProgramMissing},
      {dir_.file("no-such-script.sh"), GraphError::Kind::kProgramMissing},
      {"false", GraphError::Kind::kRenderFailed},
      {dying, GraphError::Kind::kRenderFailed},
  };
  for (const auto& c : kCases) {
    PFSA m = two_state_model();
    try {
      m.drawGraphX(dir_.file("failing"), style("#DOT_PROG\n" + c.prog + "\n"),
                   "");
      ADD_FAILURE() << c.prog << ": no exception";
    } catch (const GraphError& e) {
      EXPECT_EQ(c.kind, e.kind()) << c.prog << ": " << e.what();
      EXPECT_EQ(dir_.file("failing.png"), e.file());
      EXPECT_NE(std::string::npos, std::string(e.what()).find(e.file()));
    }
    EXPECT_TRUE(file_exists(dir_.file("failing.dot"))) << "the dot file stays";
  }
}

TEST_F(DrawGraphTest, UnwritableDotFileThrowsBeforeRendering) {
  PFSA m = two_state_model();
  const std::string base = dir_.file("missing/model");
  try {
    m.drawGraphX(base, style("#DOT_PROG\n" + recorder() + "\n"), "");
    FAIL() << "no exception";
  } catch (const GraphError& e) {
    EXPECT_EQ(GraphError::Kind::kDotFileNotWritten, e.kind());
    EXPECT_EQ(base + ".dot", e.file());
  }
  EXPECT_FALSE(file_exists(dir_.file("args.txt")));
}

TEST_F(DrawGraphTest, DefaultStylingRendersPng) {
  if (!have_dot()) GTEST_SKIP() << "dot is not installed";
  ScopedChdir here(dir_.path());
  const std::string png_signature = "\x89PNG\r\n\x1a\n";
  // No styling file: every default, dot to png. Names that a shell would
  // split or run, or that dot would take for an option, reach it intact.
  for (const std::string base : {"model_0_1_DEL_3", "a;touch x;b", "-x"}) {
    PFSA m = two_state_model();
    m.drawGraphX(base, dir_.file("no-such.cfg"), "");
    EXPECT_EQ(png_signature, read_file(base + ".png").substr(0, 8)) << base;
  }
  EXPECT_FALSE(file_exists("x"));
}
