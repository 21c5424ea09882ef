// A host program on the raw interface, as a program in another language would drive it: loads
// the framework, keeps values of the three types in a stored key, reads them back and shuts
// down. pelok/registry.h does the same in C++ with less (examples/settings_example.cpp).
//
//   pelok_host_example [STORE_FILE]    (default: example_store.xml in the current directory)
//
// It links none of the modules: PelReg.dll, PelFact.dll and PelXml.dll are found at run time
// through the DLL registry file, Pelok.ini beside the executable. Every registry operation
// returns 1 for success and 0 for failure; nothing throws.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "pelok/loader.h"          // Framework: the modules, the factory and the front in one call
#include "pelok/register_front.h"  // IRegisterFront, component 991
#include "pelok/store_format.h"    // the root directory setting's key and value names

using namespace pelok;

namespace {

int Failed(const char* what) {
  std::fprintf(stderr, "host_example: %s failed\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const char* store_file = argc > 1 ? argv[1] : "example_store.xml";

  // PelReg.dll told its DLL registry file, PelFact.dll and its ComponentFactory (361), and the
  // register front (991) obtained through the factory.
  Framework framework;
  if (!framework.Open()) {
    std::fprintf(stderr, "host_example: %s\n", framework.error().message.c_str());
    return 1;
  }
  IRegisterFront* front = framework.front();

  // Before the first stored key: the store file, and the directory a relative store file name
  // is taken against. That directory is the text value pelok_rootpath_data of the in-memory
  // (kind 1) key user/pelok_rootpath; the key stays open, or its value would be gone.
  const std::string directory = std::filesystem::current_path().string();
  uint32_t root_path_key = 0;
  int disposition = 0;
  if (!front->SetStoreFile(store_file) ||
      !front->CreateKey(root::kUser, kRootDirectoryKey, kind::kMemory, 0, &root_path_key,
                        &disposition) ||
      !front->SetValue(root_path_key, kRootDirectoryValue, value_type::kText, directory.c_str(),
                       static_cast<int>(directory.size() + 1))) {
    return Failed("setting the store file");
  }

  // A kind-2 key: share/example/settings. Its values live in the store file. The parent is the
  // root "share" routed to the kind-2 table; the sub-key may name several levels at once.
  uint32_t key = 0;
  if (!front->CreateKey(RootOfKind(root::kShare, kind::kStored), "example/settings", kind::kStored,
                        0, &key, &disposition)) {
    return Failed("opening share/example/settings");
  }

  // Values of the three types. A size is in bytes; text is stored with its terminator.
  const char title[] = "Hello, registry";
  const uint32_t port = 8080;
  const uint8_t magic[] = {0xCA, 0xFE, 0x01};
  if (!front->SetValue(key, "title", value_type::kText, title, sizeof(title)) ||
      !front->SetValue(key, "port", value_type::kUint32, &port, sizeof(port)) ||
      !front->SetValue(key, "magic", value_type::kBinary, magic, sizeof(magic))) {
    return Failed("setting the values");
  }
  // Values are changed in memory; Flush writes the store file.
  if (!front->Flush()) return Failed("writing the store file");

  // Reading them back. A size goes in as the buffer's capacity and comes out as the stored size.
  char text[64] = {0};
  int text_size = sizeof(text);
  int number = 0;
  uint8_t bytes[16] = {0};
  int bytes_size = sizeof(bytes);
  if (!front->QueryStringValue(key, "title", text, &text_size) ||
      !front->QueryIntValue(key, "port", &number) ||
      !front->QueryBinaryValue(key, "magic", bytes, &bytes_size)) {
    return Failed("reading the values");
  }
  std::printf("title = %s\n", text);
  std::printf("port = %u\n", static_cast<unsigned>(number));
  std::printf("magic =");
  for (int i = 0; i < bytes_size; ++i) std::printf(" %02X", bytes[i]);
  std::printf("\n");

  // Shutting down: Close (also the destructor's) closes every key and destroys the front, which
  // writes the store file once more, then releases the factory.
  framework.Close();
  return 0;
}
