#include "tests/support/module_loader.h"

#include <utility>

#include "platform/win32_api.h"

namespace pelok {
namespace test {

std::string BinDir() {
  char path[1024] = {0};
  GetModuleFileNameA(nullptr, path, sizeof(path) - 1);
  std::string dir(path);
  const size_t cut = dir.find_last_of("\\/");
  return cut == std::string::npos ? std::string(".") : dir.substr(0, cut);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
#if defined(_WIN32)
  return dir + "\\" + name;
#else
  return dir + "/" + name;
#endif
}

std::string BinPath(const std::string& name) { return JoinPath(BinDir(), name); }

LoadedModule::LoadedModule(const std::string& path)
    : handle_(reinterpret_cast<void*>(LoadLibraryA(path.c_str()))) {}

LoadedModule::LoadedModule(LoadedModule&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

LoadedModule& LoadedModule::operator=(LoadedModule&& other) noexcept {
  if (this != &other) {
    Unload();
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

LoadedModule::~LoadedModule() { Unload(); }

void* LoadedModule::Symbol(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void LoadedModule::Unload() {
  if (handle_ != nullptr) {
    FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
  }
}

}  // namespace test
}  // namespace pelok
