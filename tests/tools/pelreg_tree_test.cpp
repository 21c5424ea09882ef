// pelreg tree, export and import: the store file's hierarchy as a whole.
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/pelreg_fixture.h"
#include "tests/support/pelreg_runner.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::ProgramRun;
using test::WriteFileBytes;

class PelregTreeTest : public test::PelregTest {
 protected:
  void SetSample() {
    Ok({"set", "share/app", "port", "8080", "--type", "int"});
    Ok({"set", "share/app", "name", "demo"});
    Ok({"set", "share/app/net", "mask", "FF00", "--type", "binary"});
    Ok({"set", "user/me", "lang", "en"});
  }
};

TEST_F(PelregTreeTest, TreeShowsEveryStoredKeyAndValueIndented) {
  SetSample();
  const ProgramRun tree = Run({"tree"});
  EXPECT_EQ(0, tree.status) << tree.err;
  EXPECT_EQ(
      "share\n"
      "  app\n"
      "    port (int) = 8080\n"
      "    name (text) = demo\n"
      "    net\n"
      "      mask (binary) = FF00\n"
      "user\n"
      "  me\n"
      "    lang (text) = en\n",
      tree.out);
}

TEST_F(PelregTreeTest, TreeOfAKeyStartsAtThatKey) {
  SetSample();
  const ProgramRun tree = Run({"tree", "Share/App/Net"});
  EXPECT_EQ(0, tree.status) << tree.err;
  EXPECT_EQ("share/app/net\n  mask (binary) = FF00\n", tree.out);
}

TEST_F(PelregTreeTest, TreeOfAnEmptyOrMissingStorePrintsNothing) {
  const ProgramRun missing = Run({"tree"});
  EXPECT_EQ(0, missing.status) << missing.err;
  EXPECT_EQ("", missing.out);
  EXPECT_FALSE(test::FileExistsAt(dir_.Join("registry.xml"))) << "reading creates no store";

  Ok({"set", "share/a", "v", "1"});
  Ok({"delete", "share", "--force"});
  const ProgramRun empty = Run({"tree"});
  EXPECT_EQ(0, empty.status) << empty.err;
  EXPECT_EQ("", empty.out);
}

TEST_F(PelregTreeTest, ExportWritesTheKeyUnderItsFullPathAndImportBringsItBack) {
  SetSample();
  Ok({"export", "share/app", "app.xml"});
  // The export is a store file of its own: pelreg reads it as one.
  const ProgramRun exported = Run({"--store", "app.xml", "tree"});
  EXPECT_EQ(0, exported.status) << exported.err;
  EXPECT_EQ(
      "share\n"
      "  app\n"
      "    port (int) = 8080\n"
      "    name (text) = demo\n"
      "    net\n"
      "      mask (binary) = FF00\n",
      exported.out)
      << "user/me is not below share/app";

  Ok({"--store", "other.xml", "import", "app.xml"});
  const ProgramRun get = Run({"--store", "other.xml", "get", "share/app/net", "mask"});
  EXPECT_EQ("FF00\n", get.out);
  const ProgramRun list = Run({"--store", "other.xml", "list", "share/app"});
  EXPECT_EQ("port\tint\t4\t8080\nname\ttext\t5\tdemo\nnet/\n", list.out);
}

TEST_F(PelregTreeTest, ImportOverwritesValuesAndRemovesNothing) {
  SetSample();
  ASSERT_TRUE(
      WriteFileBytes(dir_.Join("patch.xml"),
                     "<?xml version=\"1.0\"?>\n"
                     "<processregister>\n"
                     "  <share><app>\n"
                     "    <port type=\"2\" size=\"4\">9090</port>\n"
                     "    <extra type=\"1\" size=\"4\">new</extra>\n"
                     "    <empty/>\n"
                     "  </app></share>\n"
                     "  <WinReg><Tools><ver type=\"3\" size=\"2\">0102</ver></Tools></WinReg>\n"
                     "</processregister>\n"));
  Ok({"import", "patch.xml"});
  EXPECT_EQ("9090\n", Run({"get", "share/app", "port"}).out);
  EXPECT_EQ("new\n", Run({"get", "share/app", "extra"}).out);
  EXPECT_EQ("demo\n", Run({"get", "share/app", "name"}).out) << "kept";
  EXPECT_EQ("FF00\n", Run({"get", "share/app/net", "mask"}).out) << "kept";
  EXPECT_EQ("en\n", Run({"get", "user/me", "lang"}).out) << "kept";
  EXPECT_EQ("0102\n", Run({"get", "winreg/tools", "ver"}).out);
  EXPECT_EQ(0, Run({"list", "share/app/empty"}).status) << "a key without values comes too";
}

TEST_F(PelregTreeTest, AnImportThatCannotBeMergedLeavesTheStoreAsItWas) {
  SetSample();
  std::string before;
  ASSERT_TRUE(test::ReadFileBytes(dir_.Join("registry.xml"), &before));
  struct Case {
    const char* body;
    int status;
    const char* says;
  } cases[] = {
      {"<processregister><nowhere><a type=\"1\" size=\"2\">x</a></nowhere></processregister>", 3,
       "'nowhere' is not a root"},
      {"<processregister><share><a type=\"2\" size=\"4\">12x</a></share></processregister>", 3,
       "'12x' is not a 32-bit number"},
      {"<processregister><share><a type=\"3\" size=\"1\">ABC</a></share></processregister>", 3,
       "is not binary data"},
      {"<processregister><share><a type=\"1\" size=\"2\">x</a><b type=\"1\" size=\"2\">y</b>"
       "<app><port><x type=\"1\" size=\"2\">z</x></port></app></share></processregister>",
       1, "'share/app/port' is a value in the store, not a key"},
      {"<processregister><share><app type=\"1\" size=\"2\">z</app></share></processregister>", 1,
       "'share/app' is a key in the store, not a value"},
      {"<processregister><share><a type=\"1\" size=\"2\">x</a><a><b/></a></share>"
       "</processregister>",
       3, "both a key and a value 'share/a'"},
      {"<other/>", 3, "no \"processregister\" element"},
      {"this is not xml", 3, "cannot read the import file"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteFileBytes(dir_.Join("bad.xml"), c.body));
    const ProgramRun run = Run({"import", "bad.xml"});
    EXPECT_EQ(c.status, run.status) << c.body;
    EXPECT_NE(std::string::npos, run.err.find(c.says)) << c.body << "\n" << run.err;
    std::string after;
    ASSERT_TRUE(test::ReadFileBytes(dir_.Join("registry.xml"), &after));
    EXPECT_EQ(before, after) << c.body;
  }
  EXPECT_EQ(3, Run({"import", "missing.xml"}).status);
}

TEST_F(PelregTreeTest, ExportRefusesAMissingKeyAndTheStoreFileItself) {
  SetSample();
  const ProgramRun missing = Run({"export", "share/none", "x.xml"});
  EXPECT_EQ(1, missing.status);
  EXPECT_EQ("pelreg: key 'share/none' not found\n", missing.err);
  EXPECT_FALSE(test::FileExistsAt(dir_.Join("x.xml")));

  const ProgramRun itself = Run({"export", "share/app", "registry.xml"});
  EXPECT_EQ(2, itself.status);
  EXPECT_EQ("pelreg: export: 'registry.xml' is the store file itself\n", itself.err);

  // Other spellings of the same file would have replaced the whole store by one key.
  const std::string before = Store();
  std::filesystem::create_directory(dir_.Join("sub"));
  for (const std::string& spelling : std::vector<std::string>{
           "./registry.xml", "sub/../registry.xml", dir_.path() + "/./registry.xml"}) {
    const ProgramRun other = Run({"export", "share/app", spelling});
    EXPECT_EQ(2, other.status) << spelling;
    EXPECT_EQ("pelreg: export: '" + spelling + "' is the store file itself\n", other.err);
  }
  EXPECT_EQ(before, Store());
}

TEST_F(PelregTreeTest, AFailedExportLeavesTheFileThatWasThere) {
  SetSample();
  const std::string locked = dir_.Join("locked.xml");
  ASSERT_TRUE(WriteFileBytes(locked, "precious"));
  std::filesystem::permissions(locked, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  const ProgramRun run = Run({"export", "share/app", "locked.xml"});
  EXPECT_EQ(3, run.status);
  EXPECT_EQ("pelreg: cannot write the export file '" + locked +
                "': permission denied (the file is read-only)\n",
            run.err);
  std::string content;
  ASSERT_TRUE(test::ReadFileBytes(locked, &content));
  EXPECT_EQ("precious", content);
  const auto files = std::distance(std::filesystem::directory_iterator(dir_.path()),
                                   std::filesystem::directory_iterator());
  EXPECT_EQ(2, files) << "nothing but the store and the locked file is left behind";
}

}  // namespace
}  // namespace pelok
