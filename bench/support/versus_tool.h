#pragma once
// Times our own operation against a reference command-line tool doing the same
// job, alternating the two in each iteration so both see the same machine.
// Reports wall and CPU seconds of each (means) and their ratios (ours / tool,
// the median over the iterations' pairs of runs, which a shared machine's
// drift touches least) as counters named after the tool; the benchmark's
// time is ours.
#include <benchmark/benchmark.h>

#include <functional>
#include <string>

namespace lf::bench {

// `ours` returns false with an error text to stop the benchmark.
void RunVersusTool(benchmark::State& state, const std::function<bool(std::string& error)>& ours,
                   const std::string& toolCommand, const std::string& toolName);

}  // namespace lf::bench
