// Which DLL registry file is read after its redirects, and where the modules it names are.
#include "framework/dll_registry_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/module_loader.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::TempDir;
using test::WriteFileBytes;

#if defined(_WIN32)
const std::string kSep = "\\";
#else
const std::string kSep = "/";
#endif

std::string Resolve(const char* registry_path) {
  char out[260] = {0};
  ResolveRegistryFile(registry_path, out, sizeof(out));
  return out;
}

std::string Follow(const std::string& ini_path) {
  char out[260] = {0};
  FollowRedirect(ini_path.c_str(), out, sizeof(out));
  return out;
}

std::string ModulePath(const std::string& ini_path, const char* section) {
  char out[260] = {0};
  ReadModulePath(ini_path.c_str(), section, out, sizeof(out));
  return out;
}

std::string FactoryPath(const std::string& ini_path) {
  char out[260] = {0};
  ReadFactoryDllPath(ini_path.c_str(), out, sizeof(out));
  return out;
}

std::string ModuleValue(const std::string& ini_path, const char* dll, int use_default_dir) {
  char out[260] = {0};
  ResolveModuleValue(ini_path.c_str(), dll, use_default_dir, out, sizeof(out));
  return out;
}

// An INI file at dir/name with the given text; returns its path.
std::string Ini(const TempDir& dir, const std::string& name, const std::string& text) {
  const std::string path = dir.path() + kSep + name;
  EXPECT_TRUE(WriteFileBytes(path, text)) << path;
  return path;
}

std::string Redirect(const std::string& target) { return "[Redirect]\nPath=" + target + "\n"; }

TEST(ResolveRegistryFileTest, DefaultAndRelativeNamesAreBesideTheExecutable) {
  // The build puts a Pelok.ini without redirect beside the test programs.
  EXPECT_EQ(test::BinDir() + "\\Pelok.ini", Resolve(nullptr));
  EXPECT_EQ(test::BinDir() + "\\Pelok.ini", Resolve(""));
  EXPECT_EQ(test::BinDir() + "\\no_such_registry.ini", Resolve("no_such_registry.ini"));
}

TEST(ResolveRegistryFileTest, AbsolutePathIsUsedAndFollowed) {
  TempDir dir;
  const std::string target = Ini(dir, "target.ini", "[361]\nDLL=x.dll\n");
  const std::string first = Ini(dir, "first.ini", Redirect(target));
  EXPECT_EQ(target, Resolve(target.c_str()));
  EXPECT_EQ(target, Resolve(first.c_str()));
}

TEST(FollowRedirectTest, AbsoluteRedirectsAreFollowedToTheEndOfTheChain) {
  TempDir dir;
  const std::string c = Ini(dir, "c.ini", "[Redirect]\nPath=\n");
  const std::string b = Ini(dir, "b.ini", Redirect(c));
  const std::string a = Ini(dir, "a.ini", Redirect(b));
  EXPECT_EQ(c, Follow(a));
  EXPECT_EQ(c, Follow(b));
  EXPECT_EQ(c, Follow(c));
  // The second file's "361" section is the one that counts.
  Ini(dir, "b.ini", Redirect(c) + "[361]\nDLL=FromB.dll\n");
  Ini(dir, "c.ini", "[361]\nDLL=FromC.dll\n");
  EXPECT_EQ(dir.path() + kSep + "FromC.dll", FactoryPath(Resolve(a.c_str())));
}

TEST(FollowRedirectTest, RelativeRedirectJoinsTheDirectoryAndStops) {
  TempDir dir;
  const std::string c = Ini(dir, "c.ini", "");
  const std::string a = Ini(dir, "a.ini", Redirect("next.ini"));
  // next.ini beside a.ini is used as named, whatever its own Redirect says.
  Ini(dir, "next.ini", Redirect(c));
  EXPECT_EQ(dir.path() + kSep + "next.ini", Follow(a));
  const std::string nested = Ini(dir, "nested.ini", Redirect("sub\\deeper.ini"));
  EXPECT_EQ(dir.path() + kSep + "sub\\deeper.ini", Follow(nested));
}

TEST(FollowRedirectTest, BlankRedirectKeepsTheFile) {
  TempDir dir;
  const std::string a = Ini(dir, "a.ini", "[Redirect]\nPath=\" \t \"\n");
  EXPECT_EQ(a, Follow(a));
  const std::string b = Ini(dir, "b.ini", "[Other]\nPath=elsewhere.ini\n");
  EXPECT_EQ(b, Follow(b));
}

TEST(FollowRedirectTest, CycleStopsAtTheFileReached) {
  TempDir dir;
  const std::string a_path = dir.path() + kSep + "a.ini";
  const std::string b_path = dir.path() + kSep + "b.ini";
  Ini(dir, "a.ini", Redirect(b_path));
  Ini(dir, "b.ini", Redirect(a_path));
  EXPECT_EQ(b_path, Follow(a_path));
  EXPECT_EQ(a_path, Follow(b_path));

  const std::string self = Ini(dir, "self.ini", "");
  Ini(dir, "self.ini", Redirect(self));
  EXPECT_EQ(self, Follow(self));

  // x -> y -> z -> y: the chain ends in z, the last file before the repeat.
  const std::string x = dir.path() + kSep + "x.ini";
  const std::string y = dir.path() + kSep + "y.ini";
  const std::string z = dir.path() + kSep + "z.ini";
  Ini(dir, "x.ini", Redirect(y));
  Ini(dir, "y.ini", Redirect(z));
  Ini(dir, "z.ini", Redirect(y));
  EXPECT_EQ(z, Follow(x));
}

TEST(FollowRedirectTest, CycleIsSeenThroughCaseAndSeparators) {
  TempDir dir;
  const std::string a = dir.path() + kSep + "a.ini";
  const std::string b = dir.path() + kSep + "b.ini";
  std::string a_spelt_otherwise = a;
  for (char& c : a_spelt_otherwise) {
    if (c == '/') {
      c = '\\';
    } else if (c == '\\') {
      c = '/';
    } else if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  // Only on Windows does the other spelling open a.ini again; either way b.ini is where the
  // chain stops.
  Ini(dir, "a.ini", Redirect(b));
  Ini(dir, "b.ini", Redirect(a_spelt_otherwise));
  EXPECT_EQ(b, Follow(a));
}

TEST(FollowRedirectTest, MissingOrUnreadableFilesAreUsedAsNamed) {
  TempDir dir;
  const std::string missing = dir.path() + kSep + "missing.ini";
  EXPECT_EQ(missing, Follow(missing));
  // A redirect into a file that does not exist ends there.
  const std::string a = Ini(dir, "a.ini", Redirect(missing));
  EXPECT_EQ(missing, Follow(a));
  // A directory cannot be read as a file.
  EXPECT_EQ(dir.path(), Follow(dir.path()));
  const std::string empty = Ini(dir, "empty.ini", "");
  EXPECT_EQ(empty, Follow(empty));
}

TEST(FollowRedirectTest, PathThatDoesNotFitLeavesTheResultEmpty) {
  const std::string long_path(300, 'p');
  char out[260];
  out[0] = 'x';
  FollowRedirect(long_path.c_str(), out, sizeof(out));
  EXPECT_STREQ("", out);
  char small[8];
  FollowRedirect("/dir/file.ini", small, sizeof(small));
  EXPECT_STREQ("", small);
}

TEST(ReadModulePathTest, AbsoluteValueStandsAsItIs) {
  TempDir dir;
  TempDir modules;
  const std::string dll = modules.path() + kSep + "PelFact.dll";
  const std::string ini = Ini(dir, "r.ini",
                              "[361]\nDLL=" + dll +
                                  "\nNotUseDefaultDllPath=1\n"
                                  "[DefaultValue]\nDllPath=" +
                                  dir.path() + "\n");
  EXPECT_EQ(dll, FactoryPath(ini));
}

TEST(ReadModulePathTest, RelativeValueWithoutDefaultDirectoryIsBesideTheFile) {
  TempDir dir;
  const std::string ini = Ini(dir, "r.ini", "[361]\nDLL=PelFact.dll\n");
  EXPECT_EQ(dir.path() + kSep + "PelFact.dll", FactoryPath(ini));
}

TEST(ReadModulePathTest, DefaultDirectoryComesFirstUnlessSwitchedOff) {
  TempDir dir;
  TempDir modules;
  const std::string defaults = "[DefaultValue]\nDllPath=" + modules.path() + "\n";
  const std::string with_default = Ini(dir, "a.ini", "[361]\nDLL=PelFact.dll\n" + defaults);
  EXPECT_EQ(modules.path() + "\\PelFact.dll", FactoryPath(with_default));

  const std::string switched_off =
      Ini(dir, "b.ini", "[361]\nDLL=PelFact.dll\nNotUseDefaultDllPath=1\n" + defaults);
  EXPECT_EQ(dir.path() + kSep + "PelFact.dll", FactoryPath(switched_off));

  // Only the first character of the trimmed flag counts.
  const std::string flag_padded =
      Ini(dir, "c.ini", "[361]\nDLL=PelFact.dll\nNotUseDefaultDllPath=\" 1x\"\n" + defaults);
  EXPECT_EQ(dir.path() + kSep + "PelFact.dll", FactoryPath(flag_padded));
  const std::string flag_zero =
      Ini(dir, "d.ini", "[361]\nDLL=PelFact.dll\nNotUseDefaultDllPath=0\n" + defaults);
  EXPECT_EQ(modules.path() + "\\PelFact.dll", FactoryPath(flag_zero));
}

TEST(ReadModulePathTest, RelativeDefaultDirectoryIsBesideTheFile) {
  TempDir dir;
  const std::string ini =
      Ini(dir, "r.ini", "[361]\nDLL=PelFact.dll\n[DefaultValue]\nDllPath=mods\n");
  EXPECT_EQ(dir.path() + kSep + "mods\\PelFact.dll", FactoryPath(ini));
}

TEST(ReadModulePathTest, ValueIsTrimmedOfBlanksButKeepsInnerOnes) {
  TempDir dir;
  // The quotes keep the blanks in the value as the INI reader gives it.
  const std::string ini = Ini(dir, "r.ini", "[361]\nDLL=\" \t my mods\\PelFact.dll\t \"\n");
  EXPECT_EQ(dir.path() + kSep + "my mods\\PelFact.dll", FactoryPath(ini));
}

TEST(ReadModulePathTest, EmptyOrMissingValueGivesTheFilesDirectory) {
  TempDir dir;
  const std::string empty = Ini(dir, "r.ini", "[361]\nDLL=\n");
  EXPECT_EQ(dir.path() + kSep, FactoryPath(empty));
  const std::string missing = dir.path() + kSep + "missing.ini";
  EXPECT_EQ(dir.path() + kSep, FactoryPath(missing));
  // A value too long for a path is dropped rather than cut.
  const std::string too_long = Ini(dir, "long.ini", "[361]\nDLL=" + std::string(300, 'm') + "\n");
  EXPECT_EQ(dir.path() + kSep, FactoryPath(too_long));
}

TEST(ReadModulePathTest, ReadsTheSectionItIsGiven) {
  TempDir dir;
  const std::string ini =
      Ini(dir, "r.ini", "[361]\nDLL=PelFact.dll\n[1140]\nDLL=PelReg.dll\nNotUseDefaultDllPath=1\n");
  EXPECT_EQ(dir.path() + kSep + "PelReg.dll", ModulePath(ini, "1140"));
  EXPECT_EQ(dir.path() + kSep + "PelFact.dll", ModulePath(ini, "361"));
  EXPECT_EQ(dir.path() + kSep, ModulePath(ini, "5000"));
}

TEST(ResolveModuleValueTest, ResolvesLikeADllValue) {
  TempDir dir;
  TempDir modules;
  const std::string ini = Ini(dir, "r.ini", "[DefaultValue]\nDllPath=" + modules.path() + "\n");
  EXPECT_EQ(modules.path() + "\\PelTest.dll", ModuleValue(ini, "PelTest.dll", 1));
  EXPECT_EQ(dir.path() + kSep + "PelTest.dll", ModuleValue(ini, "PelTest.dll", 0));
  const std::string absolute = modules.path() + kSep + "Other.dll";
  EXPECT_EQ(absolute, ModuleValue(ini, absolute.c_str(), 1));
  EXPECT_EQ(absolute, ModuleValue(ini, absolute.c_str(), 0));
  const std::string plain = Ini(dir, "plain.ini", "");
  EXPECT_EQ(dir.path() + kSep + "PelTest.dll", ModuleValue(plain, "PelTest.dll", 1));
}

TEST(DllRegistryValuesTest, ValuesAreTrimmedAndASectionNamesAModuleOnlyWithADllValue) {
  TempDir dir;
  const std::string ini = dir.Join("Pelok.ini");
  WriteFileBytes(ini,
                 "[361]\nDLL =  \tPelFact.dll  \n[991]\nDLL=   \n[Modules]\nregistry= PelReg.dll\n"
                 "[1139]\nDLL=" + std::string(300, 'x') + ".dll\n");
  EXPECT_EQ("361", SectionOf(361));
  EXPECT_EQ("PelFact.dll", ReadTrimmedValue(ini.c_str(), SectionOf(361).c_str(), kModuleKey));
  EXPECT_EQ("PelReg.dll", ReadTrimmedValue(ini.c_str(), kModulesSection, "registry"));
  EXPECT_TRUE(NamesModule(ini.c_str(), "361"));
  // A blank value, a missing section and a value too long for a path name no module.
  EXPECT_FALSE(NamesModule(ini.c_str(), "991"));
  EXPECT_FALSE(NamesModule(ini.c_str(), "1134"));
  EXPECT_FALSE(NamesModule(ini.c_str(), "1139"));
  // Without a file nothing is read (the system would read a default file of its own).
  EXPECT_EQ("", ReadTrimmedValue(nullptr, "361", kModuleKey));
  EXPECT_FALSE(NamesModule(nullptr, "361"));
}

}  // namespace
}  // namespace pelok
