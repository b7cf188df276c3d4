// How many threads a run takes: the processors the process may use (affinity
// mask, control group quota) and how busy other programs keep them.
#include <gtest/gtest.h>

#include <sched.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "analysis/CpuAllowance.h"
#include "analysis/Workers.h"

namespace {

using namespace analysis;

TEST(CpuAllowance, QuotaTextsAndGroupPaths) {
  EXPECT_EQ(ParseCpuMax("max 100000\n"), 0);
  EXPECT_EQ(ParseCpuMax("200000 100000\n"), 2);
  EXPECT_EQ(ParseCpuMax("150000 100000"), 2);  // a part of a processor still takes one
  EXPECT_EQ(ParseCpuMax("50000 100000\n"), 1);
  for (const char* bad : {"", "200000", "200000 0", "-5 100000", "2e5 100000", "200000 100000 7"})
    EXPECT_EQ(ParseCpuMax(bad), 0) << bad;

  EXPECT_EQ(ParseCfsQuota("-1\n", "100000\n"), 0);
  EXPECT_EQ(ParseCfsQuota("250000\n", "100000\n"), 3);
  EXPECT_EQ(ParseCfsQuota("100000\n", "\n"), 0);

  const char* hybrid =
      "9:name=systemd:/\n4:memory:/jobs/7\n2:cpuacct:/\n1:cpu,cpuacct:/jobs/7\n3:cpuset:/\n0::/user.slice/run-1\n";
  EXPECT_EQ(CgroupPath(hybrid, ""), "/user.slice/run-1");
  EXPECT_EQ(CgroupPath(hybrid, "cpu"), "/jobs/7");
  EXPECT_EQ(CgroupPath("0::/\n", "cpu"), "");
  EXPECT_EQ(CgroupPath("2:cpuacct:/a\n", "cpu"), "");

  const char* mountinfo =
      "31 23 0:28 / /sys/fs/cgroup rw,relatime - tmpfs tmpfs rw,mode=755\n"
      "32 31 0:29 /jobs /sys/fs/cgroup/cpu,cpuacct rw,relatime - cgroup cgroup rw,cpu,cpuacct\n"
      "33 31 0:30 / /sys/fs/cgroup/cpuset rw,relatime - cgroup cgroup rw,cpuset\n"
      "41 31 0:38 / /sys/fs/cgroup/unified rw,relatime shared:9 - cgroup2 cgroup2 rw\n";
  const CgroupMount v2 = FindCgroupMount(mountinfo, ""), v1 = FindCgroupMount(mountinfo, "cpu");
  EXPECT_EQ(v2.point, "/sys/fs/cgroup/unified");
  EXPECT_EQ(CgroupFolder(v2, "/user.slice/run-1"), "/sys/fs/cgroup/unified/user.slice/run-1");
  EXPECT_EQ(CgroupFolder(v2, "/"), "/sys/fs/cgroup/unified");
  EXPECT_EQ(v1.point, "/sys/fs/cgroup/cpu,cpuacct");
  EXPECT_EQ(CgroupFolder(v1, "/jobs/7"), "/sys/fs/cgroup/cpu,cpuacct/7");  // the mount shows /jobs at its top
  EXPECT_EQ(CgroupFolder(v1, "/jobsother"), "/sys/fs/cgroup/cpu,cpuacct");
  EXPECT_EQ(FindCgroupMount(mountinfo, "memory").point, "");
  EXPECT_EQ(CgroupFolder(CgroupMount{}, "/a"), "");

  // The kernel escapes blanks, tabs, line ends and backslashes in mount
  // points and roots.
  const char* escaped =
      "41 31 0:38 /my\\040jobs /run/my\\040cgroups\\134v2 rw shared:9 - cgroup2 cgroup2 rw\n";
  const CgroupMount spaced = FindCgroupMount(escaped, "");
  EXPECT_EQ(spaced.point, "/run/my cgroups\\v2");
  EXPECT_EQ(spaced.root, "/my jobs");
  EXPECT_EQ(CgroupFolder(spaced, "/my jobs/7"), "/run/my cgroups\\v2/7");
  EXPECT_EQ(DecodeMountField("a\\011b\\012c"), "a\tb\nc");
  EXPECT_EQ(DecodeMountField("\\04"), "\\04");  // too short to be an escape
  EXPECT_EQ(DecodeMountField("\\089"), "\\089");
}

// A sample of "/proc/stat" for eight processors; a later one (`busy` given)
// 100 ticks on, of which each processor spent its `busy` ticks at work.
std::string ProcStat(const std::vector<int>& busy = {}) {
  std::string text = "cpu  1 2 3 4 5 6 7 8 0 0\n";
  for (std::size_t cpu = 0; cpu < 8; ++cpu) {
    const int b = busy.empty() ? 0 : busy[cpu];
    const int user = 1000 + b, idle = 5000 + (busy.empty() ? 0 : 100 - b);
    // user nice system idle iowait irq softirq steal guest guest_nice
    text += "cpu" + std::to_string(cpu) + " " + std::to_string(user) + " 0 0 " + std::to_string(idle) +
            " 0 0 0 0 7 0\n";
  }
  return text + "intr 1 2 3\nctxt 99\n";
}

TEST(CpuAllowance, ProcessorTimesFromProcStat) {
  const std::vector<CpuTimes> t =
      ParseProcStat("cpu  10 0 5 100 3 0 0 0 0 0\ncpu0 4 1 2 50 3 1 1 1 9 9\ncpu12 1 1 1 1\ncpux 1 2 3 4\n"
                    "cpu3 1 2\ncpu5 1 2 3 -4\nintr 5\n");
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].cpu, 0);
  EXPECT_EQ(t[0].idle, 53u);   // idle and iowait
  EXPECT_EQ(t[0].total, 63u);  // guest times are in user and nice already
  EXPECT_EQ(t[1].cpu, 12);
  EXPECT_EQ(t[1].total, 4u);
}

// Two cases of a shared machine: four processors of the mask idle while
// four others are busy (load near 4): four threads; the mask's processors
// idle while the others carry a load of 7: as many as it has idle, not one.
TEST(CpuAllowance, TheThreadsFollowHowBusyTheMasksOwnProcessorsAre) {
  const std::vector<int> all = {0, 1, 2, 3, 4, 5, 6, 7}, low = {0, 1, 2, 3}, two = {2, 3};
  const std::vector<CpuTimes> before = ParseProcStat(ProcStat());
  auto after = [](const std::vector<int>& busy) { return ParseProcStat(ProcStat(busy)); };
  // Four others busy anywhere in an eight-processor mask.
  EXPECT_EQ(IdleProcessorThreads(all, before, after({0, 100, 0, 100, 0, 100, 0, 100}), 0.0, 4), 4);
  // Confined to four idle processors, the other four overloaded.
  EXPECT_EQ(IdleProcessorThreads(low, before, after({0, 0, 0, 0, 100, 100, 100, 100}), 0.0, 4), 4);
  EXPECT_EQ(IdleProcessorThreads(two, before, after({0, 0, 0, 0, 100, 100, 100, 100}), 0.0, 4), 2);
  // What the load guard protects: no thread on a processor another
  // program keeps busy, and at least the caller's own.
  EXPECT_EQ(IdleProcessorThreads(low, before, after({100, 0, 100, 0, 0, 0, 0, 0}), 0.0, 4), 2);
  EXPECT_EQ(IdleProcessorThreads(low, before, after({100, 100, 100, 100, 0, 0, 0, 0}), 0.0, 4), 1);
  EXPECT_EQ(IdleProcessorThreads(all, before, after({100, 60, 30, 25, 10, 0, 0, 0}), 0.0, 8), 5);
  // The process's own thread kept one of them busy: that one is its own.
  EXPECT_EQ(IdleProcessorThreads(low, before, after({0, 100, 0, 0, 0, 0, 0, 0}), 1.0, 4), 4);
  EXPECT_EQ(IdleProcessorThreads(low, before, after({0, 100, 100, 0, 0, 0, 0, 0}), 0.9, 4), 3);
  // At most the limit (four, or the quota).
  EXPECT_EQ(IdleProcessorThreads(all, before, after({0, 0, 0, 0, 0, 0, 0, 0}), 0.0, 4), 4);
  EXPECT_EQ(IdleProcessorThreads(all, before, after({0, 0, 0, 0, 0, 0, 0, 0}), 0.0, 2), 2);
  // Samples that do not tell: 0, and the run falls back on the load average.
  EXPECT_EQ(IdleProcessorThreads(all, before, before, 0.0, 4), 0);
  EXPECT_EQ(IdleProcessorThreads({0, 9}, before, after({0, 0, 0, 0, 0, 0, 0, 0}), 0.0, 4), 0);
  EXPECT_EQ(IdleProcessorThreads({}, before, before, 0.0, 4), 0);
  EXPECT_EQ(IdleProcessorThreads(all, after({0, 0, 0, 0, 0, 0, 0, 0}), before, 0.0, 4), 0);
}

TEST(CpuAllowance, HalfTheAllowedProcessorsAtMostFourWithinTheLoad) {
  EXPECT_EQ(RunThreadCount(8, 8, 0.0), 4);
  EXPECT_EQ(RunThreadCount(64, 64, 0.0), 4);
  EXPECT_EQ(RunThreadCount(6, 64, 0.0), 3);
  EXPECT_EQ(RunThreadCount(2, 8, 0.0), 1);  // confined to two processors of eight
  EXPECT_EQ(RunThreadCount(1, 8, 0.0), 1);
  EXPECT_EQ(RunThreadCount(8, 8, 5.2), 2);  // the load leaves two free
  EXPECT_EQ(RunThreadCount(8, 8, 9.0), 1);
  EXPECT_EQ(RunThreadCount(8, 8, -1.0), 4);  // load unknown
}

// Pins the calling thread to its first n allowed processors while it lives.
class Pinned {
 public:
  explicit Pinned(int n) {
    CPU_ZERO(&saved_);
    ok_ = ::sched_getaffinity(0, sizeof saved_, &saved_) == 0 && CPU_COUNT(&saved_) >= n;
    if (!ok_) return;
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int cpu = 0, taken = 0; cpu < CPU_SETSIZE && taken < n; ++cpu)
      if (CPU_ISSET(cpu, &saved_)) {
        CPU_SET(cpu, &set);
        ++taken;
      }
    ok_ = ::sched_setaffinity(0, sizeof set, &set) == 0;
  }
  ~Pinned() { ::sched_setaffinity(0, sizeof saved_, &saved_); }
  bool ok() const { return ok_; }

 private:
  cpu_set_t saved_;
  bool ok_ = false;
};

TEST(CpuAllowance, ARunConfinedToFewProcessorsStartsNoMoreThreadsThanHalfOfThem) {
  for (int n : {1, 2}) {
    Pinned pinned(n);
    if (!pinned.ok()) continue;
    EXPECT_EQ(AffinityProcessors(), n);
    EXPECT_LE(AllowedProcessors(), n);
    EXPECT_EQ(Workers::DefaultCount(), 1) << n << " processors";
  }
  EXPECT_GE(AffinityProcessors(), 1);
}

// The mask is read whole, sized to the machine, and names the processors.
TEST(CpuAllowance, TheMaskNamesItsProcessors) {
  cpu_set_t fixed;
  CPU_ZERO(&fixed);
  ASSERT_EQ(::sched_getaffinity(0, sizeof fixed, &fixed), 0);
  const std::vector<int> cpus = AffinityCpus();
  ASSERT_EQ(static_cast<int>(cpus.size()), CPU_COUNT(&fixed));
  for (int cpu : cpus) EXPECT_TRUE(CPU_ISSET(cpu, &fixed)) << cpu;
  Pinned pinned(1);
  if (pinned.ok()) {
    EXPECT_EQ(AffinityCpus().size(), 1u);
  }
}

// A team of the run's own choice counts the caller alone until it has
// watched the processors long enough, then chooses once, within its mask.
TEST(CpuAllowance, ATeamOfItsOwnChoiceChoosesAfterWatching) {
  Pinned pinned(2);
  if (!pinned.ok()) GTEST_SKIP() << "fewer than two processors";
  Workers team;
  const auto made = std::chrono::steady_clock::now();
  const int early = team.Count();
  if (std::chrono::steady_clock::now() - made < Workers::kChoiceWindow / 2) {
    EXPECT_EQ(early, 1);
  }
  std::this_thread::sleep_for(Workers::kChoiceWindow);
  const int chosen = team.Count();
  EXPECT_GE(chosen, 1);
  EXPECT_LE(chosen, 2);
  std::vector<int> seen(static_cast<std::size_t>(chosen), 0);
  team.Run([&](int m) { seen[static_cast<std::size_t>(m)] += 1; });
  EXPECT_EQ(seen, std::vector<int>(static_cast<std::size_t>(chosen), 1));
  EXPECT_EQ(team.Count(), chosen);
}

}  // namespace
