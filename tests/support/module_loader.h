// Loading the real modules from the test executable's directory, as a host program does.
#ifndef PELOK_TESTS_SUPPORT_MODULE_LOADER_H_
#define PELOK_TESTS_SUPPORT_MODULE_LOADER_H_

#include <string>

namespace pelok {
namespace test {

// The directory of the running test executable (where the build puts every module).
std::string BinDir();
// BinDir() joined with name, with the system's separator.
std::string BinPath(const std::string& name);
// dir and name joined with the system's separator.
std::string JoinPath(const std::string& dir, const std::string& name);

// A module loaded with LoadLibraryA and freed with FreeLibrary when the object goes.
class LoadedModule {
 public:
  LoadedModule() = default;
  explicit LoadedModule(const std::string& path);
  LoadedModule(LoadedModule&& other) noexcept;
  LoadedModule& operator=(LoadedModule&& other) noexcept;
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;
  ~LoadedModule();

  bool loaded() const { return handle_ != nullptr; }
  void* handle() const { return handle_; }
  // The export of that name, or null.
  void* Symbol(const char* name) const;
  template <class Fn>
  Fn Get(const char* name) const {
    return reinterpret_cast<Fn>(Symbol(name));
  }
  // Frees the module now.
  void Unload();

 private:
  void* handle_ = nullptr;
};

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_SUPPORT_MODULE_LOADER_H_
