// A program that keeps three settings, one of each type, and reads them back in its next run.
//   pelok_settings_example [DLL_REGISTRY_FILE]    (default: Pelok.ini beside the program)
#include <cstdio>
#include <string>

#include "pelok/registry.h"

int main(int argc, char** argv) {
  pelok::Framework framework;
  if (!framework.Open(argc > 1 ? argv[1] : ""))
    return std::fprintf(stderr, "%s\n", framework.error().message.c_str()), 1;
  pelok::Registry registry(framework);
  registry.SetStoreFile("settings.xml");  // in the current directory
  pelok::Key app = registry.Open("share/settings_example").value();
  const uint32_t runs = app.GetNumber("runs").value_or(0) + 1;
  std::printf("run %u, last greeting: %s, stamp bytes: %zu\n", static_cast<unsigned>(runs),
              app.GetText("greeting").value_or("none").c_str(),
              app.GetBinary("stamp").value().size());
  app.SetNumber("runs", runs);
  app.SetText("greeting", "hello from run " + std::to_string(runs));
  app.SetBinary("stamp", {0xCA, 0xFE, static_cast<uint8_t>(runs)});
  return registry.Flush() == pelok::Status::kOk ? 0 : 1;
}
