// Drawing a crossed model as a Graphviz graph: one circle per state, one
// arrow per transition labelled with its symbol, and beside each state a box
// with its probability vector. The dot text comes from Boost.Graph's
// graphviz writer; the image is rendered by running the dot program directly,
// without a shell.

#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

// GCC 12 reports a false "may be used uninitialized" inside the edge
// iterator (a boost::optional) that the graphviz writer instantiates. Clang
// has no such warning and would warn about the unknown name instead.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/graphviz.hpp>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#include "tolmek/config/config.h"
#include "tolmek/graph/graph_error.h"
#include "tolmek/model/pfsa.h"

extern char** environ;

namespace {

// The styling settings with their built-in defaults.
struct DotStyle {
  std::string graph_size = "40,25";
  std::string rankdir = "TD";
  std::string dpi = "600";
  std::string bgcolor = "transparent";
  std::string node_style = "filled";
  std::string node_color = "black";
  std::string node_fontsize = "16";
  std::string node_fontweight = "bold";
  std::string edge_weight = "16";
  std::string edge_fontcolor = "midnightblue";
  std::string edge_fontweight = "bold";
  std::string node_fontcolor = "black";
  std::string edge_style = "solid";
  std::string edge_fontname = "Helvetica";
  std::string node_fontname = "Helvetica";
  std::string label_color = "black";
  std::string edge_color = "darkslategray4";
  std::string edge_penwidth = "1";
  std::string node_fillcolor = "papayawhip";
  std::string arrow_size = "1";
  std::string taglink_color = "black";
  std::string tagborder_color = "black";
  std::string tagfill_color = "whitesmoke";
  std::string graph_type = "png";
  std::string dot_prog = "dot";
};

constexpr const char* kNoRender = "NO_DOT";

// Defaults overridden by the styling file, keys read in this order. The key
// EDEGE_FONTWEIGHT is spelled as the styling files have always spelled it.
DotStyle read_style(const std::string& file) {
  DotStyle s;
  CONFIG cfg(file);
  cfg.set(s.graph_size, "GRAPH_SIZE");
  cfg.set(s.rankdir, "RANKDIR");
  cfg.set(s.dpi, "DPI");
  cfg.set(s.bgcolor, "BGCOLOR");
  cfg.set(s.node_style, "NODESTYLE");
  cfg.set(s.node_color, "NODECOLOR");
  cfg.set(s.node_fontsize, "NODEFONTSIZE");
  cfg.set(s.node_fontweight, "NODE_FONTWEIGHT");
  cfg.set(s.edge_weight, "EDGE_WEIGHT");
  cfg.set(s.edge_fontcolor, "EDGE_FONTCOLOR");
  cfg.set(s.edge_fontweight, "EDEGE_FONTWEIGHT");
  cfg.set(s.node_fontcolor, "NODE_FONTCOLOR");
  cfg.set(s.edge_style, "EDGE_STYLE");
  cfg.set(s.edge_fontname, "EDGE_FONTNAME");
  cfg.set(s.node_fontname, "NODE_FONTNAME");
  cfg.set(s.label_color, "LABEL_COLOR");
  cfg.set(s.edge_color, "EDGE_COLOR");
  cfg.set(s.edge_penwidth, "EDGE_PENWIDTH");
  cfg.set(s.node_fillcolor, "NODE_FILLCOLOR");
  cfg.set(s.arrow_size, "ARROW_SIZE");
  cfg.set(s.taglink_color, "TAGLINK_COLOR");
  cfg.set(s.tagborder_color, "TAGBORDER_COLOR");
  cfg.set(s.tagfill_color, "TAGFILL_COLOR");
  cfg.set(s.graph_type, "GRAPH_TYPE");
  cfg.set(s.dot_prog, "DOT_PROG");
  return s;
}

using Graph =
    boost::adjacency_list<boost::vecS, boost::vecS, boost::directedS,
                          boost::no_property,
                          boost::property<boost::edge_name_t, std::string>>;
using Attributes = std::map<std::string, std::string>;

// Writes a vertex's stored text as its label, unquoted: the text is either
// an HTML-like label or a quoted label followed by further attributes.
class label_writer_html {
 public:
  explicit label_writer_html(const std::vector<std::string>& texts)
      : texts_(texts) {}
  template <class Vertex>
  void operator()(std::ostream& out, const Vertex& v) const {
    out << "[label=" << texts_[v] << "]";
  }

 private:
  const std::vector<std::string>& texts_;
};

// Writes an edge's stored attribute text unquoted.
template <class NameMap>
class label_writer_noquotes {
 public:
  explicit label_writer_noquotes(NameMap names) : names_(names) {}
  template <class Edge>
  void operator()(std::ostream& out, const Edge& e) const {
    out << "[" << get(names_, e) << "]";
  }

 private:
  NameMap names_;
};

// `p` with two decimals ("%1.2f").
std::string two_decimals(double p) {
  const int n = std::snprintf(nullptr, 0, "%1.2f", p);
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), "%1.2f", p);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

std::string state_text(int i) {
  return "<q<SUB>" + std::to_string(i) + "</SUB>>";
}

std::string box_text(const std::vector<double>& probs, const DotStyle& s) {
  std::string text = "\"[";
  for (std::size_t i = 0; i < probs.size(); ++i) {
    if (i > 0) text += ' ';
    text += two_decimals(probs[i]);
  }
  return text +
         "]\", shape=box,fontcolor=black, fontname=Helvetica, fontsize=14, "
         "penwidth=2, fillcolor=" +
         s.tagfill_color + ",color=" + s.tagborder_color;
}

Attributes graph_attributes(const DotStyle& s, const std::string& caption) {
  Attributes a;
  if (!caption.empty()) {
    a["labelloc"] = "b";
    a["label"] = caption;
    a["fontcolor"] = s.label_color;
  }
  a["bgcolor"] = s.bgcolor;
  a["size"] = s.graph_size;
  a["rankdir"] = s.rankdir;
  a["dpi"] = s.dpi;
  return a;
}

Attributes node_attributes(const DotStyle& s) {
  return {{"shape", "circle"},
          {"style", s.node_style},
          {"color", s.node_color},
          {"fillcolor", s.node_fillcolor},
          {"fontcolor", s.node_fontcolor},
          {"fontweight", s.node_fontweight},
          {"fontsize", s.node_fontsize},
          {"fontname", s.node_fontname}};
}

Attributes edge_attributes(const DotStyle& s) {
  return {{"fontcolor", s.edge_fontcolor},   {"fontname", s.edge_fontname},
          {"fontweight", s.edge_fontweight}, {"weight", s.edge_weight},
          {"style", s.edge_style},           {"color", s.edge_color},
          {"penwidth", s.edge_penwidth},     {"arrowsize", s.arrow_size}};
}

// A file argument that dot could take for an option is passed as "./name".
std::string file_argument(const std::string& path) {
  return !path.empty() && path[0] == '-' ? "./" + path : path;
}

// Runs `argv` (looked up on PATH, no shell) with standard input from
// /dev/null and waits for it. Throws GraphError about `image`.
void run_render(const std::vector<std::string>& args,
                const std::string& image) {
  std::vector<char*> argv;
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid = 0;
  const int rc =
      posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    throw GraphError(GraphError::Kind::kProgramMissing, image,
                     "cannot start " + args[0] + " to render " + image + ": " +
                         std::strerror(rc));
  }
  int status = 0;
  while (waitpid(pid, &status, 0) == -1) {
    if (errno != EINTR) {
      throw GraphError(GraphError::Kind::kRenderFailed, image,
                       "lost " + args[0] + " rendering " + image);
    }
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return;
  const std::string how =
      WIFEXITED(status)
          ? "exit status " + std::to_string(WEXITSTATUS(status))
          : "signal " +
                std::to_string(WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  throw GraphError(GraphError::Kind::kRenderFailed, image,
                   args[0] + " failed to render " + image + " (" + how + ")");
}

}  // namespace

void PFSA::drawGraphX(std::string base, std::string styling_file,
                      std::string caption) {
  const DotStyle style = read_style(styling_file);
  if (aut.empty()) return;
  num_states = static_cast<unsigned int>(aut.size());
  alphabet_size = static_cast<unsigned int>(aut[0].size());
  const int n = static_cast<int>(num_states);
  const int k = static_cast<int>(alphabet_size);

  std::vector<std::string> texts;
  for (int i = 0; i < n; ++i) texts.push_back(state_text(i));
  for (int j = 0; j < n; ++j) texts.push_back(box_text(pit[j], style));

  Graph g(texts.size());
  for (int i = 0; i < n; ++i) {
    for (int s = 0; s < k; ++s) {
      const int next = aut[i][symbol(static_cast<std::uint32_t>(s))];
      // -1: no transition. A next state outside the model (a broken model)
      // is left out rather than growing the graph.
      if (next < 0 || next >= n) continue;
      boost::add_edge(i, next, "label=" + std::to_string(s), g);
    }
  }
  for (int i = 0; i < n; ++i) {
    boost::add_edge(
        i, n + i, "arrowhead=none, penwidth=3,color=" + style.taglink_color, g);
  }

  const std::string dot_file = base + ".dot";
  {
    std::ofstream out(dot_file, std::ios::out | std::ios::trunc);
    if (out) {
      boost::write_graphviz(
          out, g, label_writer_html(texts),
          label_writer_noquotes(boost::get(boost::edge_name, g)),
          boost::make_graph_attributes_writer(graph_attributes(style, caption),
                                              node_attributes(style),
                                              edge_attributes(style)));
      out.close();
    }
    if (out.fail()) {
      throw GraphError(GraphError::Kind::kDotFileNotWritten, dot_file,
                       "cannot write dot file " + dot_file);
    }
  }

  if (style.graph_type == kNoRender) return;
  const std::string image = base + "." + style.graph_type;
  run_render({style.dot_prog, "-T" + style.graph_type, file_argument(dot_file),
              "-o", file_argument(image)},
             image);
}
