#include "analysis/CpuAllowance.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace analysis {
namespace {

// The blank-separated words of a text.
std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    const std::size_t start = i;
    while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// A whole word as an integer; false when it is not one.
bool ToInteger(std::string_view word, long long& value) {
  const char* end = word.data() + word.size();
  const auto [p, ec] = std::from_chars(word.data(), end, value);
  return ec == std::errc() && p == end;
}

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Whether a comma-separated controller list holds the controller.
bool HasController(std::string_view list, std::string_view controller) {
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    if (list.substr(0, comma) == controller) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

// The smallest quota of the group `path` and the groups above it, up to the
// mount's top; `read` gives a group folder's quota in processors, 0 for none.
template <typename Read>
int SmallestQuota(const CgroupMount& mount, const std::string& path, Read read) {
  const std::filesystem::path top = mount.point;
  std::filesystem::path folder = CgroupFolder(mount, path);
  if (folder.empty()) return 0;
  int smallest = 0;
  for (;;) {
    const int q = read(folder);
    if (q > 0) smallest = smallest == 0 ? q : std::min(smallest, q);
    if (folder == top || !folder.has_relative_path() || folder.parent_path() == folder) break;
    folder = folder.parent_path();
  }
  return smallest;
}

}  // namespace

int QuotaProcessors(long long quota, long long period) {
  if (quota < 1 || period < 1) return 0;
  const long long n = quota / period + (quota % period != 0 ? 1 : 0);
  return static_cast<int>(std::min<long long>(n, 1 << 20));
}

int ParseCpuMax(std::string_view cpuMax) {
  const std::vector<std::string_view> w = Words(cpuMax);
  long long quota = 0, period = 0;
  if (w.size() != 2 || !ToInteger(w[0], quota) || !ToInteger(w[1], period)) return 0;
  return QuotaProcessors(quota, period);
}

int ParseCfsQuota(std::string_view quotaUs, std::string_view periodUs) {
  const std::vector<std::string_view> q = Words(quotaUs), p = Words(periodUs);
  long long quota = 0, period = 0;
  if (q.size() != 1 || p.size() != 1 || !ToInteger(q[0], quota) || !ToInteger(p[0], period)) return 0;
  return QuotaProcessors(quota, period);
}

std::string CgroupPath(std::string_view procSelfCgroup, std::string_view controller) {
  std::istringstream lines{std::string(procSelfCgroup)};
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t first = line.find(':');
    const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos) continue;
    const std::string_view id = std::string_view(line).substr(0, first);
    const std::string_view list = std::string_view(line).substr(first + 1, second - first - 1);
    const bool match = controller.empty() ? id == "0" && list.empty() : HasController(list, controller);
    if (match) return line.substr(second + 1);
  }
  return {};
}

CgroupMount FindCgroupMount(std::string_view mountinfo, std::string_view controller) {
  std::istringstream lines{std::string(mountinfo)};
  std::string line;
  while (std::getline(lines, line)) {
    const std::vector<std::string_view> w = Words(line);
    const auto dash = std::find(w.begin(), w.end(), std::string_view("-"));
    if (dash == w.end() || w.end() - dash < 4 || dash - w.begin() < 5) continue;
    const std::string_view type = dash[1], options = dash[3];
    const bool match = controller.empty() ? type == "cgroup2" : type == "cgroup" && HasController(options, controller);
    if (match) return {std::string(w[4]), std::string(w[3])};
  }
  return {};
}

std::string CgroupFolder(const CgroupMount& mount, const std::string& path) {
  if (mount.point.empty()) return {};
  std::string below = path;
  if (mount.root != "/") {
    const bool inside = below.rfind(mount.root, 0) == 0 &&
                        (below.size() == mount.root.size() || below[mount.root.size()] == '/');
    below = inside ? below.substr(mount.root.size()) : std::string();
  }
  const std::filesystem::path relative = std::filesystem::path(below).relative_path();
  return (relative.empty() ? std::filesystem::path(mount.point) : mount.point / relative).string();
}

int AffinityProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) != 0) return 0;
  return CPU_COUNT(&set);
}

int CgroupQuotaProcessors() {
  const std::string cgroup = ReadText("/proc/self/cgroup");
  const std::string mountinfo = ReadText("/proc/self/mountinfo");
  const int v2 = SmallestQuota(FindCgroupMount(mountinfo, ""), CgroupPath(cgroup, ""), [](const std::filesystem::path& f) {
    return ParseCpuMax(ReadText(f / "cpu.max"));
  });
  const int v1 =
      SmallestQuota(FindCgroupMount(mountinfo, "cpu"), CgroupPath(cgroup, "cpu"), [](const std::filesystem::path& f) {
        return ParseCfsQuota(ReadText(f / "cpu.cfs_quota_us"), ReadText(f / "cpu.cfs_period_us"));
      });
  if (v2 > 0 && v1 > 0) return std::min(v2, v1);
  return std::max(v2, v1);
}

int AllowedProcessors() {
  int allowed = AffinityProcessors();
  if (allowed < 1) allowed = std::max(1, static_cast<int>(::sysconf(_SC_NPROCESSORS_ONLN)));
  const int quota = CgroupQuotaProcessors();
  if (quota > 0) allowed = std::min(allowed, quota);
  return std::max(1, allowed);
}

int RunThreadCount(int allowed, int online, double load) {
  int count = std::clamp(allowed / 2, 1, 4);
  // Only the processors other programs leave free: a member without one of
  // its own holds up every step of the reduction until it gets one back.
  if (load >= 0 && online > 0) count = std::min(count, std::max(1, online - static_cast<int>(std::ceil(load))));
  return count;
}

}  // namespace analysis
