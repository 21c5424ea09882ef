// pelreg's commands. Each checks its arguments, does its work and returns the exit status,
// having printed its one failure line.
#ifndef PELOK_TOOLS_COMMANDS_H_
#define PELOK_TOOLS_COMMANDS_H_

#include "tools/command_context.h"

namespace pelok {
namespace tool {

int RunGet(CommandContext& context);
int RunSet(CommandContext& context);
int RunDelete(CommandContext& context);
int RunList(CommandContext& context);
int RunTree(CommandContext& context);
int RunExport(CommandContext& context);
int RunImport(CommandContext& context);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_COMMANDS_H_
