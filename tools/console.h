// The standard streams as pelreg uses them. One implementation per system, chosen by the build.
#ifndef PELOK_TOOLS_CONSOLE_H_
#define PELOK_TOOLS_CONSOLE_H_

#include <cstdio>

namespace pelok {
namespace tool {

// Before anything is written: a reader that closes a pipe early makes writes fail (and the
// failure is reported) instead of ending the process without a word.
void PrepareStreams();

// Standard input and standard error are both a terminal: a question can be asked and answered.
bool CanAsk();

// The stream passes bytes unchanged (no line-end translation, no end-of-file byte).
void UseBinary(std::FILE* stream);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_CONSOLE_H_
