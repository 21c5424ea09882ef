// Any bytes as the store file, opened through the store component (in the registry of this
// process), used, and closed: nothing crashes, and the file left behind loads as a store. A
// file that did not load is kept beside it, byte for byte.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/fault_registry_host.h"
#include "tests/support/model_store.h"

namespace {

std::string TempDirectory() {
  // On tmpfs where there is one: each save syncs the file, which a disk makes slow.
  char path[] = "/dev/shm/pelok_fuzz_store_XXXXXX";
  if (mkdtemp(path) != nullptr) return path;
  std::snprintf(path, sizeof(path), "/tmp/pelok_fuzz_store_XXXXXX");
  return mkdtemp(path) != nullptr ? path : "/tmp";
}

void RemoveDirectoryContent(const std::string& dir) {
  const std::string command = "rm -rf '" + dir + "'/*";
  if (std::system(command.c_str()) != 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelok;
  static const std::string dir = TempDirectory();
  const std::string path = dir + "/registry.xml";
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return 0;
  std::fwrite(data, 1, size, out);
  std::fclose(out);

  IRegisterFront* front = fault::CreateFront();
  if (front == nullptr) __builtin_trap();
  front->SetStoreFile(path.c_str());
  uint32_t key = 0, deep = 0;
  int disposition = 0;
  if (front->CreateKey(0xbffffff3u, "app", 2, 0, &key, &disposition)) {
    const uint32_t number = 42;
    front->SetValue(key, "port", 2, &number, 4);
    front->SetValue(key, "name", 1, "text", 5);
    char name[260], value[512];
    for (int index = 1; index < 6; ++index) {
      int type = 0, value_size = sizeof(value);
      front->EnumValue(key, index, name, sizeof(name), &type, value, &value_size);
    }
    front->CreateKey(key, "a/b", 3, 0, &deep, &disposition);
    front->Flush();
    front->DeleteKey(deep);
  }
  front->Destroy(1);
  if (fault::LiveInstances() != 0 || fault::LiveDocuments() != 0) __builtin_trap();

  model::Element document;
  std::string error;
  if (!model::ReadStoreFile(path, &document, &error)) __builtin_trap();
  RemoveDirectoryContent(dir);
  return 0;
}
