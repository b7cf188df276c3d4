// How many threads a run takes: the processors the process may use (affinity
// mask, control group quota) and the load guard.
#include <gtest/gtest.h>

#include <sched.h>

#include <algorithm>

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

}  // namespace
