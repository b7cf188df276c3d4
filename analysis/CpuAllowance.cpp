#include "analysis/CpuAllowance.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
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
    if (match) return {DecodeMountField(w[4]), DecodeMountField(w[3])};
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

std::string DecodeMountField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  auto octal = [](char c) { return c >= '0' && c <= '7'; };
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && octal(field[i + 1]) && octal(field[i + 2]) &&
        octal(field[i + 3])) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::vector<int> AffinityCpus() {
  // The mask grows until it holds every processor the system may name.
  for (int size = std::max<long>(1024, ::sysconf(_SC_NPROCESSORS_CONF)); size <= (1 << 22); size *= 2) {
    cpu_set_t* set = CPU_ALLOC(size);
    if (!set) return {};
    const std::size_t bytes = CPU_ALLOC_SIZE(size);
    CPU_ZERO_S(bytes, set);
    if (::sched_getaffinity(0, bytes, set) == 0) {
      std::vector<int> cpus;
      for (int cpu = 0; cpu < size; ++cpu)
        if (CPU_ISSET_S(cpu, bytes, set)) cpus.push_back(cpu);
      CPU_FREE(set);
      return cpus;
    }
    const int error = errno;
    CPU_FREE(set);
    if (error != EINVAL) return {};
  }
  return {};
}

int AffinityProcessors() { return static_cast<int>(AffinityCpus().size()); }

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

std::vector<CpuTimes> ParseProcStat(std::string_view procStat) {
  std::vector<CpuTimes> cpus;
  std::istringstream lines{std::string(procStat)};
  std::string line;
  while (std::getline(lines, line)) {
    const std::vector<std::string_view> w = Words(line);
    // "cpuN user nice system idle iowait irq softirq steal ...", at least
    // the first four times; the line "cpu" alone sums them all.
    if (w.size() < 5 || w[0].size() < 4 || w[0].substr(0, 3) != "cpu") continue;
    long long number = 0;
    if (!ToInteger(w[0].substr(3), number) || number < 0 || number > (1 << 22)) continue;
    CpuTimes t;
    t.cpu = static_cast<int>(number);
    bool good = true;
    // guest and guest_nice (fields 9 and 10) are counted in user and nice already.
    for (std::size_t f = 1; f < w.size() && f <= 8 && good; ++f) {
      long long v = 0;
      good = ToInteger(w[f], v) && v >= 0;
      if (!good) break;
      t.total += static_cast<unsigned long long>(v);
      if (f == 4 || f == 5) t.idle += static_cast<unsigned long long>(v);
    }
    if (good) cpus.push_back(t);
  }
  return cpus;
}

std::vector<CpuTimes> ReadProcStat() { return ParseProcStat(ReadText("/proc/stat")); }

int IdleProcessorThreads(const std::vector<int>& mask, const std::vector<CpuTimes>& before,
                         const std::vector<CpuTimes>& after, double ownBusy, int limit) {
  auto find = [](const std::vector<CpuTimes>& sample, int cpu) -> const CpuTimes* {
    for (const CpuTimes& t : sample)
      if (t.cpu == cpu) return &t;
    return nullptr;
  };
  if (mask.empty()) return 0;
  int free = 0;
  for (int cpu : mask) {
    const CpuTimes* a = find(before, cpu);
    const CpuTimes* b = find(after, cpu);
    if (!a || !b || b->total <= a->total || b->idle < a->idle) return 0;
    const unsigned long long total = b->total - a->total, idle = std::min(b->idle - a->idle, total);
    // Busy at most a quarter of the time.
    if (4 * (total - idle) <= total) ++free;
  }
  // The processors this process kept busy itself are its own to use.
  const int own = static_cast<int>(std::lround(std::clamp(ownBusy, 0.0, static_cast<double>(mask.size()))));
  free = std::min(static_cast<int>(mask.size()), free + own);
  return std::clamp(free, 1, std::max(limit, 1));
}

int RunThreadCount(int allowed, int online, double load) {
  int count = std::clamp(allowed / 2, 1, 4);
  // Only the processors other programs leave free: a member without one of
  // its own holds up every step of the reduction until it gets one back.
  if (load >= 0 && online > 0) count = std::min(count, std::max(1, online - static_cast<int>(std::ceil(load))));
  return count;
}

}  // namespace analysis
