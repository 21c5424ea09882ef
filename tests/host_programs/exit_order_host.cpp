// A host program that keeps the framework in a global object and never closes it: the front is
// released by that object's destructor as the process ends, after main has returned.
//
//   pelok_exit_order_host STORE_FILE [keep-modules|free-registry-first|free-factory-first]
//
// The second argument also takes references of its own on the two modules and gives them back
// before main returns, in the order named: whatever the order, the modules must still be there
// for the global destructor.
#include <cstdio>
#include <cstring>
#include <string>

#include "pelok/loader.h"
#include "platform/win32_api.h"
#include "tests/support/module_loader.h"

namespace {

pelok::Framework framework;  // released at exit

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string order = argc > 2 ? argv[2] : "keep-modules";
  if (!framework.Open()) {
    std::fprintf(stderr, "%s\n", framework.error().message.c_str());
    return 1;
  }
  pelok::IRegisterFront* front = framework.front();
  uint32_t key = 0;
  int disposition = 0;
  const char text[] = "written at exit";
  if (!front->SetStoreFile(argv[1]) ||
      !front->CreateKey(pelok::RootOfKind(pelok::root::kShare, pelok::kind::kStored), "exit",
                        pelok::kind::kStored, 0, &key, &disposition) ||
      !front->SetValue(key, "when", pelok::value_type::kText, text, sizeof(text))) {
    std::fprintf(stderr, "setting the value failed\n");
    return 1;
  }
  // No Flush: the value reaches the file when the global framework closes the front.
  if (order != "keep-modules") {
    HMODULE registry = LoadLibraryA(pelok::test::BinPath("PelReg.dll").c_str());
    HMODULE factory = LoadLibraryA(pelok::test::BinPath("PelFact.dll").c_str());
    if (registry == nullptr || factory == nullptr) return 1;
    if (order == "free-registry-first") {
      FreeLibrary(registry);
      FreeLibrary(factory);
    } else {
      FreeLibrary(factory);
      FreeLibrary(registry);
    }
  }
  std::printf("main returns (%s)\n", order.c_str());
  return 0;
}
