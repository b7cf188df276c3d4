#include "analysis/SolverListing.h"

#include <string>
#include <vector>

namespace analysis::listing {

void Line(platform::TextFile& file, std::string_view text) { PrintLine(file, {End(text)}); }

void LabelLine(platform::TextFile& file, std::string_view label, PrintValue value) {
  PrintLine(file, {Glue(label), End(std::move(value))});
}

void Header(platform::TextFile& file, std::span<const std::string_view> titles) {
  std::vector<PrintItem> items;
  items.reserve(titles.size());
  for (std::string_view t : titles) items.push_back(Zone(t));
  if (items.empty()) items.push_back(End(""));
  items.back().separator = Separator::LineEnd;
  PrintLine(file, items);
}

void CountLine(platform::TextFile& file, std::string_view label, long long count) {
  PrintLine(file, {Zone(label), Tab(50), End(count)});
}

void Row(platform::TextFile& file, std::initializer_list<PrintValue> values) {
  std::vector<PrintItem> items;
  items.reserve(values.size());
  for (const PrintValue& v : values) items.push_back(Zone(v));
  if (items.empty()) items.push_back(End(""));
  items.back().separator = Separator::LineEnd;
  PrintLine(file, items);
}

void DisplacementRow(platform::TextFile& file, long long node, double u, double v) {
  PrintLine(file, {Zone(node), Zone(FormatMask(u, kMask)), Zone(FormatMask(v, kMask)), End("")});
}

void EigenValueLine(platform::TextFile& file, double eigenvalue) {
  PrintLine(file, {Glue("[EigenValue:"), Glue(FormatMask(eigenvalue, kFineMask)), End("]")});
}

}  // namespace analysis::listing
