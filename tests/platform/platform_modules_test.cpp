// Modules: loading, finding a loaded module by name, its file name and its own instance handle.
// PelTestLib.dll is built beside the tests. Run against the real Win32 API in the Windows build
// as well.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32_api.h"
#include "tests/support/module_loader.h"

namespace pelok {
namespace {

using AnswerFn = int (*)();
using SelfFn = void* (*)();

constexpr char kModuleName[] = "PelTestLib.dll";

std::string ModuleFileName(HMODULE module) {
  char buf[1024];
  const DWORD n = GetModuleFileNameA(module, buf, sizeof(buf));
  return std::string(buf, n < sizeof(buf) ? n : 0);
}

std::string BaseName(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

TEST(ModuleTest, LoadAndFindExports) {
  HMODULE module = LoadLibraryA(test::BinPath(kModuleName).c_str());
  ASSERT_NE(module, nullptr);
  auto answer = reinterpret_cast<AnswerFn>(GetProcAddress(module, "PelTestLibAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
  EXPECT_TRUE(FreeLibrary(module));

  EXPECT_EQ(LoadLibraryA(test::BinPath("NoSuchModule.dll").c_str()), nullptr);
}

TEST(ModuleTest, APointerThatIsNoModuleHandleIsRefused) {
  int not_a_module[64] = {0};
  HMODULE bogus = reinterpret_cast<HMODULE>(not_a_module);
  EXPECT_EQ(nullptr, GetProcAddress(bogus, "CreateComponent"));
  EXPECT_FALSE(FreeLibrary(bogus));
  char buf[260] = {0};
  EXPECT_EQ(0u, GetModuleFileNameA(bogus, buf, sizeof(buf)));
  // A real handle, the program's own included, still works.
  EXPECT_NE(nullptr, GetModuleHandleA(nullptr));
  test::LoadedModule loaded(test::BinPath(kModuleName));
  ASSERT_TRUE(loaded.loaded());
  EXPECT_NE(nullptr, GetProcAddress(static_cast<HMODULE>(loaded.handle()), "PelTestLibAnswer"));
}

TEST(ModuleTest, PathMayUseBackslashes) {
  test::LoadedModule loaded(test::BinPath(kModuleName));
  ASSERT_TRUE(loaded.loaded());
  HMODULE again = LoadLibraryA((test::BinDir() + "\\" + kModuleName).c_str());
  EXPECT_EQ(again, loaded.handle());
  FreeLibrary(again);
}

TEST(ModuleTest, ModuleKnowsItsOwnHandle) {
  test::LoadedModule loaded(test::BinPath(kModuleName));
  ASSERT_TRUE(loaded.loaded());
  auto self = loaded.Get<SelfFn>("PelTestLibSelf");
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(self(), loaded.handle());
}

TEST(ModuleTest, LoadedModuleIsFoundByName) {
  EXPECT_EQ(GetModuleHandleA(kModuleName), nullptr);
  HMODULE module = LoadLibraryA(test::BinPath(kModuleName).c_str());
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetModuleHandleA("PelTestLib.dll"), module);
  EXPECT_EQ(GetModuleHandleA("peltestlib.DLL"), module);
  EXPECT_EQ(GetModuleHandleA("PELTESTLIB"), module);  // ".dll" is implied
  EXPECT_EQ(GetModuleHandleA(test::BinPath(kModuleName).c_str()), module);
  EXPECT_EQ(GetModuleHandleA("PelTestLib.dl"), nullptr);
  EXPECT_EQ(GetModuleHandleA("TestLib.dll"), nullptr);
  // Looking it up took no reference: one FreeLibrary unloads it.
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(GetModuleHandleA(kModuleName), nullptr);
}

TEST(ModuleTest, NullNameIsTheExecutable) {
  HMODULE executable = GetModuleHandleA(nullptr);
  ASSERT_NE(executable, nullptr);
  const std::string path = ModuleFileName(nullptr);
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(ModuleFileName(executable), path);
  EXPECT_EQ(GetModuleHandleA(BaseName(path).c_str()), executable);
}

TEST(ModuleTest, FileNameOfALibrary) {
  test::LoadedModule loaded(test::BinPath(kModuleName));
  ASSERT_TRUE(loaded.loaded());
  EXPECT_EQ(ModuleFileName(static_cast<HMODULE>(loaded.handle())), test::BinPath(kModuleName));
}

TEST(ModuleTest, FileNameIsCutToTheBuffer) {
  const std::string full = ModuleFileName(nullptr);
  const DWORD length = static_cast<DWORD>(full.size());
  ASSERT_GT(length, 10u);
  char buf[1024];

  std::memset(buf, '#', sizeof(buf));
  EXPECT_EQ(GetModuleFileNameA(nullptr, buf, length + 1), length);
  EXPECT_EQ(std::string(buf), full);

  // Not fitting: the result is the buffer's size and the text is cut.
  std::memset(buf, '#', sizeof(buf));
  EXPECT_EQ(GetModuleFileNameA(nullptr, buf, length), length);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(buf, length - 1), full.substr(0, length - 1));
  std::memset(buf, '#', sizeof(buf));
  EXPECT_EQ(GetModuleFileNameA(nullptr, buf, 10), 10u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(buf, 9), full.substr(0, 9));
  EXPECT_EQ(buf[10], '#');
#if !defined(_WIN32)
  // Terminated within the buffer, as current Windows does (Wine keeps the older habit of
  // leaving it unterminated).
  EXPECT_EQ(buf[9], '\0');
#endif
}

#if !defined(_WIN32)
TEST(ModuleTest, ModuleFromAddress) {
  test::LoadedModule loaded(test::BinPath(kModuleName));
  ASSERT_TRUE(loaded.loaded());
  EXPECT_EQ(PelokModuleFromAddress(loaded.Symbol("PelTestLibAnswer")), loaded.handle());
  EXPECT_EQ(PelokModuleFromAddress(reinterpret_cast<const void*>(&ModuleFileName)),
            GetModuleHandleA(nullptr));
  int on_the_stack = 0;
  EXPECT_EQ(PelokModuleFromAddress(&on_the_stack), nullptr);
  // No reference was kept.
  loaded.Unload();
  EXPECT_EQ(GetModuleHandleA(kModuleName), nullptr);
}
#endif

}  // namespace
}  // namespace pelok
