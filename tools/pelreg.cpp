#include "tools/pelreg.h"

#include <cerrno>
#include <cstdio>
#include <new>
#include <string>

#include "pelok/component.h"
#include "tools/command_context.h"
#include "tools/command_line.h"
#include "tools/commands.h"
#include "tools/console.h"
#include "tools/exit_status.h"
#include "tools/failure_reason.h"
#include "tools/usage.h"

namespace pelok {
namespace tool {

namespace {

struct CommandEntry {
  const char* command;
  int (*run)(CommandContext& context);
};

constexpr CommandEntry kCommands[] = {
    {"get", RunGet},   {"set", RunSet},       {"delete", RunDelete}, {"list", RunList},
    {"tree", RunTree}, {"export", RunExport}, {"import", RunImport}};

int RunHelp(const CommandLine& line) {
  // "pelreg help set", "pelreg set --help" and "pelreg --help" alike.
  std::string topic;
  if (line.command == "help") {
    if (line.args.size() > 1) {
      return Fail(kExitUsage, "help: unexpected argument " + Quoted(line.args[1]));
    }
    if (!line.args.empty()) topic = line.args[0];
  } else {
    topic = line.typed_command;
  }
  if (!PrintHelp(topic)) return Fail(kExitUsage, "help: unknown command " + Quoted(topic));
  return kExitOk;
}

// Output that did not reach its reader (a full disk, a pipe closed early) is a failure too.
int CheckOutput(int status) {
  const bool failed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
  if (!failed || status != kExitOk) return status;
  return Fail(kExitFailure, "cannot write to standard output" + Because(LibraryReason(errno)));
}

int RunCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  std::string error;
  if (!ParseCommandLine(argc, argv, &line, &error)) return Fail(kExitUsage, error);
  if (line.help || line.command == "help") return CheckOutput(RunHelp(line));
  if (line.version) {
    if (!line.command.empty()) return Fail(kExitUsage, "--version takes no command");
    std::printf("pelreg %s\n", PELREG_VERSION);
    return CheckOutput(kExitOk);
  }
  if (line.command.empty()) return Fail(kExitUsage, "no command given (see pelreg --help)");
  CommandContext context(line);
  if (context.store_path().size() >= static_cast<size_t>(kPathBufferSize)) {
    return Fail(kExitUsage, "the store file " + Quoted(context.store_path()) +
                                " is longer than 259 characters");
  }
  int status = kExitUsage;
  for (const CommandEntry& entry : kCommands) {
    if (line.command == entry.command) status = entry.run(context);
  }
  // Every key closed and the front destroyed, which writes the store file once more.
  context.CloseRegistry();
  return CheckOutput(status);
}

}  // namespace

int RunPelreg(int argc, const char* const* argv) {
  PrepareStreams();
  // Memory may run out anywhere (a large value, a large store, a limit on the process): the
  // command fails as any failure of the system does, with its one line, instead of aborting.
  // What the command held is given back on the way out, before the line is printed.
  try {
    return RunCommandLine(argc, argv);
  } catch (const std::bad_alloc&) {
    return FailForWantOfMemory();
  }
}

}  // namespace tool
}  // namespace pelok
