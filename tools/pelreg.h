// pelreg: the registry's command-line host.
#ifndef PELOK_TOOLS_PELREG_H_
#define PELOK_TOOLS_PELREG_H_

namespace pelok {
namespace tool {

// Runs one pelreg command line and returns its exit status.
int RunPelreg(int argc, const char* const* argv);

}  // namespace tool
}  // namespace pelok

#endif  // PELOK_TOOLS_PELREG_H_
