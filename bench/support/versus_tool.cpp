#include "support/versus_tool.h"

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace lf::bench {

namespace {

double OwnCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

// CPU time of finished child processes: the tool run through std::system.
double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto secs = [](const timeval& tv) { return double(tv.tv_sec) + tv.tv_usec / 1e6; };
  return secs(usage.ru_utime) + secs(usage.ru_stime);
}

double SecondsSince(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

}  // namespace

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void RunVersusTool(benchmark::State& state, const std::function<bool(std::string& error)>& ours,
                   const std::string& toolCommand, const std::string& toolName) {
  double oursTotal = 0, toolTotal = 0, oursCpu = 0, toolCpu = 0;
  std::vector<double> ratios, cpuRatios;  // one pair of runs each
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    double cpuStart = OwnCpuSeconds();
    std::string error;
    if (!ours(error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    const double oursSeconds = SecondsSince(start);
    const double oursCpuSeconds = OwnCpuSeconds() - cpuStart;
    oursCpu += oursCpuSeconds;

    start = std::chrono::steady_clock::now();
    cpuStart = ChildrenCpuSeconds();
    if (std::system(toolCommand.c_str()) != 0) {
      state.SkipWithError(("the " + toolName + " tool failed (is it installed?)").c_str());
      return;
    }
    const double toolSeconds = SecondsSince(start), toolCpuSeconds = ChildrenCpuSeconds() - cpuStart;
    toolTotal += toolSeconds;
    toolCpu += toolCpuSeconds;
    ratios.push_back(oursSeconds / toolSeconds);
    cpuRatios.push_back(oursCpuSeconds / toolCpuSeconds);
    state.SetIterationTime(oursSeconds);
    oursTotal += oursSeconds;
  }
  const double n = double(state.iterations());
  state.counters["ours_s"] = oursTotal / n;
  state.counters[toolName + "_s"] = toolTotal / n;
  state.counters["ratio"] = Median(ratios);
  state.counters["ours_cpu_s"] = oursCpu / n;
  state.counters[toolName + "_cpu_s"] = toolCpu / n;
  state.counters["cpu_ratio"] = Median(cpuRatios);
}

}  // namespace lf::bench
