// demo-stream: a short synthetic packet stream, for `make run` and trials.
#include <string>

#include "cli/command.h"
#include "core/cdg/cdg_demo_stream.h"
#include "core/cdg/cdg_stream_file.h"

namespace lf::cli {

namespace {

int RunDemoStream(const std::vector<std::string>& argv) {
  Args args(argv, {}, {});
  const std::string output = args.Required("-o");
  std::string error;
  if (!WriteCdgStreamFile(output, MakeDemoStream(), error)) throw CliError(kExitOutput, error);
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(demo_stream, "demo-stream", "demo-stream -o OUT.cdg", RunDemoStream);

}  // namespace lf::cli
