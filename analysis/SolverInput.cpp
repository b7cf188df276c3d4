#include "analysis/SolverInput.h"

namespace analysis {
namespace {

// The run's node count toward a block: the size of the run, 16-bit.
short RunCount(const std::vector<short>& nodes) { return To16(static_cast<long long>(nodes.size())); }

// Defaults of blocks 6 to 10: last below first means first; a step of 0 or less means 1.
void NodeBlockDefaults(NodeRecord& r) {
  if (r.last < r.first) r.last = r.first;
  if (r.increment <= 0) r.increment = 1;
  r.nodes = RunNumbers(r.first, r.last, r.increment);
}

void ReadRun(model::RecordReader& in, NodeRecord& r) {
  r.first = in.Integer();
  r.last = in.Integer();
  r.increment = in.Integer();
}

void ReadNodeBlock(model::RecordReader& in, SolverGeometry& g, short points) {
  long count = 0;
  do {
    short first = in.Integer();
    short last = in.Integer();
    short inc = in.Integer();
    double x1 = in.Double(), y1 = in.Double(), x2 = in.Double(), y2 = in.Double();
    if (last <= 0) last = first;
    if (inc <= 0) inc = 1;
    double dx = 0.0, dy = 0.0;
    if (last != first) {
      double span = static_cast<double>(last) - static_cast<double>(first);
      dx = (x2 - x1) * inc / span;
      dy = (y2 - y1) * inc / span;
    }
    std::vector<short> run = RunNumbers(first, last, inc);
    for (std::size_t k = 0; k < run.size(); ++k) {
      g.nodeX(run[k]) = x1 + static_cast<double>(k) * dx;
      g.nodeY(run[k]) = y1 + static_cast<double>(k) * dy;
    }
    count += static_cast<long>(run.size());
  } while (count < points);
}

// Blocks 2 and 3: element runs whose corners step by the node increment.
template <std::size_t Corners>
void ReadElementBlock(model::RecordReader& in, Array1<std::array<short, Corners>>& nodes,
                      short declared) {
  if (declared == 0) return;
  long count = 0;
  do {
    short first = in.Integer();
    short last = in.Integer();
    short nodeInc = in.Integer();
    short elementInc = in.Integer();
    std::array<short, Corners> c{};
    for (auto& cj : c) cj = in.Integer();
    if (last == 0) last = first;
    if (nodeInc <= 0) nodeInc = 1;
    if (elementInc <= 0) elementInc = 1;
    std::vector<short> run = RunNumbers(first, last, elementInc);
    for (std::size_t k = 0; k < run.size(); ++k) {
      std::array<short, Corners>& e = nodes(run[k]);
      for (std::size_t j = 0; j < Corners; ++j)
        e[j] = To16(static_cast<long long>(c[j]) + static_cast<long long>(k) * nodeInc);
    }
    count += static_cast<long>(run.size());
  } while (count < declared);
}

// Blocks 4 and 5: a run of elements all given the same values.
template <typename Apply>
void ReadSizeBlock(model::RecordReader& in, short declared, int values, Apply apply) {
  if (declared == 0) return;
  long count = 0;
  do {
    short first = in.Integer();
    short last = in.Integer();
    short inc = in.Integer();
    std::array<double, 2> v{};
    for (int i = 0; i < values; ++i) v[static_cast<std::size_t>(i)] = in.Double();
    if (last == 0) last = first;
    if (inc == 0) inc = 1;
    std::vector<short> run = RunNumbers(first, last, inc);
    for (short e : run) apply(e, v);
    count += static_cast<long>(run.size());
  } while (count < declared);
}

}  // namespace

short To16(long long v) {
  if (v < -32768 || v > 32767) platform::Raise(platform::kErrOverflow);
  return static_cast<short>(v);
}

short Equation(long n, int perNode, int d) {
  return To16((static_cast<long long>(n) - 1) * perNode + d);
}

SolverHeader Read_Header(model::RecordReader& in) {
  SolverHeader h;
  h.title = in.String();
  h.description = in.String();
  h.runId = in.String();
  h.plates = in.Integer();
  h.stiffeners = in.Integer();
  h.points = in.Integer();
  h.loads = in.Integer();
  h.inPlaneRestraints = in.Integer();
  h.inPlaneSprings = in.Integer();
  h.outOfPlaneRestraints = in.Integer();
  h.outOfPlaneSprings = in.Integer();
  h.MOE = in.Double();
  h.PR = in.Double();
  return h;
}

SolverGeometry::SolverGeometry(long nodeRows, long nP, long nS)
    : nodeX(static_cast<std::size_t>(nodeRows)),
      nodeY(static_cast<std::size_t>(nodeRows)),
      plateNodes(static_cast<std::size_t>(nP)),
      plateThickness(static_cast<std::size_t>(nP)),
      stiffenerNodes(static_cast<std::size_t>(nS)),
      stiffenerThickness(static_cast<std::size_t>(nS)),
      stiffenerWidth(static_cast<std::size_t>(nS)) {}

std::vector<short> RunNumbers(short first, short last, short increment) {
  std::vector<short> run;
  if (increment == 0) increment = 1;
  if (increment > 0) {
    for (long n = first; n <= last; n += increment) run.push_back(static_cast<short>(n));
  } else {
    for (long n = first; n >= last; n += increment) run.push_back(static_cast<short>(n));
  }
  return run;
}

void Read_Geometry(model::RecordReader& in, SolverGeometry& g, short plates, short stiffeners,
                   short points) {
  ReadNodeBlock(in, g, points);
  ReadElementBlock(in, g.plateNodes, plates);
  ReadElementBlock(in, g.stiffenerNodes, stiffeners);
  ReadSizeBlock(in, plates, 1, [&](short e, const std::array<double, 2>& v) {
    g.plateThickness(e) = v[0];
  });
  ReadSizeBlock(in, stiffeners, 2, [&](short e, const std::array<double, 2>& v) {
    g.stiffenerThickness(e) = v[0];
    g.stiffenerWidth(e) = v[1];
  });
}

NodeRecord Read_Load_Record(model::RecordReader& in) {
  NodeRecord r;
  ReadRun(in, r);
  r.values[0] = in.Double();
  r.values[1] = in.Double();
  NodeBlockDefaults(r);
  if (r.values[0] != 0.0 || r.values[1] != 0.0) r.counts = RunCount(r.nodes);
  return r;
}

NodeRecord Read_InPlane_Restraint_Record(model::RecordReader& in) {
  NodeRecord r;
  ReadRun(in, r);
  r.flags[0] = in.Integer();
  r.flags[1] = in.Integer();
  r.values[0] = in.Double();
  r.values[1] = in.Double();
  NodeBlockDefaults(r);
  if (r.flags[0] != 0 || r.flags[1] != 0) r.counts = 1;
  return r;
}

// Loads and in-plane springs share one layout: a run of nodes and two values.
NodeRecord Read_InPlane_Spring_Record(model::RecordReader& in) { return Read_Load_Record(in); }

NodeRecord Read_OutOfPlane_Restraint_Record(model::RecordReader& in) {
  NodeRecord r;
  ReadRun(in, r);
  for (int d = 0; d < 3; ++d) r.flags[static_cast<std::size_t>(d)] = in.Integer();
  NodeBlockDefaults(r);
  if (r.flags[0] != 0 || r.flags[1] != 0 || r.flags[2] != 0) r.counts = RunCount(r.nodes);
  return r;
}

NodeRecord Read_OutOfPlane_Spring_Record(model::RecordReader& in) {
  NodeRecord r;
  ReadRun(in, r);
  for (int d = 0; d < 3; ++d) r.values[static_cast<std::size_t>(d)] = in.Double();
  NodeBlockDefaults(r);
  if (r.values[0] != 0.0 || r.values[1] != 0.0 || r.values[2] != 0.0) r.counts = RunCount(r.nodes);
  return r;
}

}  // namespace analysis
