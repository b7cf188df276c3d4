#pragma once
// How many processors this process may use: the processors its affinity
// mask allows (taskset, a container's cpuset), cut to the CPU quota of its
// control group where there is one (a container's --cpus, a service's
// CPUQuota); and how busy other programs keep them. Threads beyond that
// share processors and hold up every step of the band reduction. The texts
// of the system's files are read by the small parsers below, which take the
// texts and touch nothing else.
#include <string>
#include <string_view>
#include <vector>

namespace analysis {

// Processors a quota of `quota` per `period` microseconds amounts to,
// rounded up; 0 for no quota (a quota below 1 or a period below 1).
int QuotaProcessors(long long quota, long long period);

// The quota of a cgroup v2 "cpu.max" text ("max 100000", "200000 100000"),
// in processors; 0 for "max" or a text that is not of that form.
int ParseCpuMax(std::string_view cpuMax);

// The quota of cgroup v1 "cpu.cfs_quota_us" ("-1" for none, "200000") and
// "cpu.cfs_period_us" ("100000") texts, in processors; 0 for none.
int ParseCfsQuota(std::string_view quotaUs, std::string_view periodUs);

// The process's group in a "/proc/self/cgroup" text: of the cgroup v2
// line ("0::/path") when controller is empty, else of the v1 line whose
// controller list holds it ("4:cpu,cpuacct:/path"). Empty when not there.
std::string CgroupPath(std::string_view procSelfCgroup, std::string_view controller);

// Where a control group hierarchy is mounted, from a "/proc/self/mountinfo"
// text: the cgroup v2 mount when controller is empty, else the v1 mount
// that holds the controller. `root` is the group the mount shows at its top:
// not "/" in a container that sees only its own group.
struct CgroupMount {
  std::string point;
  std::string root;
};
CgroupMount FindCgroupMount(std::string_view mountinfo, std::string_view controller);

// The folder of the group `path` under a mount; a group outside what the
// mount shows is taken as its top. Empty without a mount.
std::string CgroupFolder(const CgroupMount& mount, const std::string& path);

// A field of "/proc/self/mountinfo" with its octal escapes decoded ("\040"
// a blank, "\011" a tab, "\012" a line end, "\134" a backslash).
std::string DecodeMountField(std::string_view field);

// The processors in the calling thread's affinity mask, by number, the mask
// sized to the machine (a fixed cpu_set_t holds 1024); empty when the system
// does not say.
std::vector<int> AffinityCpus();

// Processors in the calling thread's affinity mask; 0 when the system does
// not say.
int AffinityProcessors();

// The smallest CPU quota of the process's control group and the groups
// above it, cgroup v2 or v1, in processors; 0 for none.
int CgroupQuotaProcessors();

// The processors this process may run on: the affinity mask cut to the
// quota; at least 1.
int AllowedProcessors();

// The threads of a run when the processors' times cannot be read: half of
// the `allowed` processors, at most 4, at least 1, and no more than the
// `online` processors of the machine leave free under the `load` of the
// last minute (a negative load: unknown).
int RunThreadCount(int allowed, int online, double load);

// The times of one processor from "/proc/stat", in clock ticks since boot:
// idle (idle and waiting for input or output) and all.
struct CpuTimes {
  int cpu = -1;
  unsigned long long idle = 0;
  unsigned long long total = 0;
};

// The "cpuN" lines of a "/proc/stat" text; lines not of that form are left out.
std::vector<CpuTimes> ParseProcStat(std::string_view procStat);
// The same read from this machine's "/proc/stat"; empty when it cannot be read.
std::vector<CpuTimes> ReadProcStat();

// The threads of a run from how busy the processors of its `mask` were
// between two samples of their times: one for each processor that others
// kept busy no more than a quarter of the time, at least 1, at most
// `limit`. `ownBusy` is what this process itself used meanwhile, in
// processors (its own thread made its processor look busy). A processor
// another program keeps busy would hold up every step of the reduction, an
// idle one anywhere in the mask speeds it up. 0 when the samples do not
// tell (a processor of the mask missing, no time passed).
int IdleProcessorThreads(const std::vector<int>& mask, const std::vector<CpuTimes>& before,
                         const std::vector<CpuTimes>& after, double ownBusy, int limit);

}  // namespace analysis
