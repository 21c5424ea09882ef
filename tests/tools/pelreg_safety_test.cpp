// What keeps an administrator from losing data by accident, and what tells them why something
// failed: a key tree goes only with --force, a failure of the system names its reason, and the
// version and type names are the ones documented.
#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/pelreg_fixture.h"
#include "tests/support/pelreg_runner.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::ProgramRun;
using test::ReadFileBytes;

class PelregSafetyTest : public test::PelregTest {};

#if !defined(_WIN32)
// Another process holds the store's lock for longer than a save waits: pelreg gives up after a
// bounded time, says the store was busy, and the store is as it was.
TEST_F(PelregSafetyTest, AStoreHeldLockedByAnotherProcessIsReportedBusyAndLeftAsItWas) {
  Ok({"set", "share/app", "a", "1"});
  const std::string before = Store();
  const int held = open(dir_.Join("registry.xml").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(held, 0);
  ASSERT_EQ(0, flock(held, LOCK_EX));
  const ProgramRun run = Run({"set", "share/app", "b", "2"});
  close(held);
  EXPECT_EQ(3, run.status);
  EXPECT_EQ("pelreg: cannot write the store file '" + dir_.Join("registry.xml") +
                "': the store was busy (another process held its lock), or it is no store file a "
                "save can merge with; try again\n",
            run.err);
  EXPECT_EQ(before, Store());
  EXPECT_EQ(1, Run({"get", "share/app", "b"}).status);
}
#endif

TEST_F(PelregSafetyTest, AKeyWithKeysBelowItGoesOnlyWithForce) {
  Ok({"set", "share/app", "v", "1"});
  Ok({"set", "share/app/net", "w", "2"});
  Ok({"set", "share/app/net/deep", "x", "3"});
  const std::string before = Store();
  // Standard input is no terminal here: nobody can be asked.
  const ProgramRun root = Run({"delete", "share"});
  EXPECT_EQ(2, root.status);
  EXPECT_EQ(
      "pelreg: delete: 'share' has 3 keys below it; give --force (/f) to delete it with "
      "everything below it\n",
      root.err);
  const ProgramRun one = Run({"delete", "share/app/net"});
  EXPECT_EQ(2, one.status);
  EXPECT_EQ(
      "pelreg: delete: 'share/app/net' has 1 key below it; give --force (/f) to delete it with "
      "everything below it\n",
      one.err);
  EXPECT_EQ(before, Store());

  // A key with values only, and a value, need no force.
  Ok({"delete", "share/app/net/deep"});
  Ok({"delete", "share/app", "v"});
  Ok({"delete", "share/app", "--force"});
  EXPECT_EQ("", Run({"list", "share"}).out);
}

#if !defined(_WIN32)
TEST_F(PelregSafetyTest, OnATerminalTheUserIsAskedAndAnswers) {
  Ok({"set", "share/app/net", "w", "2"});
  const std::string before = Store();
  // script(1) gives pelreg a terminal and types the answer into it.
  const auto answer = [&](const std::string& typed) {
    return test::RunShell("printf '" + typed + "\\n' | script -qec " +
                              test::ShellQuote(test::PelregCommand({"delete", "share/app"})) +
                              " /dev/null",
                          dir_.path());
  };
  const ProgramRun no = answer("n");
  EXPECT_EQ(2, no.status) << no.out;
  EXPECT_NE(std::string::npos,
            no.out.find("pelreg: 'share/app' has 1 key below it. Delete it with everything "
                        "below it? [y/N] "))
      << no.out;
  EXPECT_NE(std::string::npos, no.out.find("pelreg: delete: 'share/app' kept")) << no.out;
  EXPECT_EQ(before, Store());
  const ProgramRun yes = answer("y");
  EXPECT_EQ(0, yes.status) << yes.out;
  EXPECT_EQ(1, Run({"list", "share/app"}).status);
}
#endif

TEST_F(PelregSafetyTest, FailuresOfTheSystemSayWhy) {
  Ok({"set", "share/app", "v", "1"});
  // A store file below a file: its directory cannot exist.
  ASSERT_TRUE(test::WriteFileBytes(dir_.Join("plain.txt"), "a file"));
  const std::string below_file = dir_.Join("plain.txt/reg.xml");
  const ProgramRun set = Run({"--store", "plain.txt/reg.xml", "set", "share/app", "v", "2"});
  EXPECT_EQ(3, set.status);
  EXPECT_EQ("pelreg: cannot open the key 'share/app' in the store file '" + below_file +
                "': no such directory\n",
            set.err);
  ASSERT_TRUE(test::WriteFileBytes(dir_.Join("patch.xml"),
                                   "<processregister><share><b type=\"1\" size=\"2\">x</b>"
                                   "</share></processregister>"));
  const ProgramRun import = Run({"--store", "plain.txt/reg.xml", "import", "patch.xml"});
  EXPECT_EQ(3, import.status);
  EXPECT_EQ("pelreg: cannot write the store file '" + below_file +
                "': cannot create a file beside it: no such directory\n",
            import.err);
  EXPECT_EQ("a file", [&] {
    std::string bytes;
    ReadFileBytes(dir_.Join("plain.txt"), &bytes);
    return bytes;
  }());

  std::filesystem::create_directory(dir_.Join("out.xml"));
  const ProgramRun directory = Run({"export", "share/app", "out.xml"});
  EXPECT_EQ(3, directory.status);
  EXPECT_EQ(
      "pelreg: cannot write the export file '" + dir_.Join("out.xml") + "': it is a directory\n",
      directory.err);

  const ProgramRun missing = Run({"export", "share/app", "no/such/out.xml"});
  EXPECT_EQ(3, missing.status);
  EXPECT_EQ("pelreg: cannot write the export file '" + dir_.Join("no/such/out.xml") +
                "': no such directory\n",
            missing.err);
}

TEST_F(PelregSafetyTest, AReadOnlyStoreIsWrittenAsTheRegistryWritesIt) {
  // The registry takes the read-only mark off a store file it writes; import does the same,
  // and keeps the store's other permissions.
  Ok({"set", "share/app", "v", "1"});
  const std::string store = dir_.Join("registry.xml");
  std::filesystem::permissions(store, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  ASSERT_TRUE(test::WriteFileBytes(dir_.Join("patch.xml"),
                                   "<processregister><share><b type=\"1\" size=\"2\">x</b>"
                                   "</share></processregister>"));
  Ok({"import", "patch.xml"});
  EXPECT_EQ("x\n", Run({"get", "share", "b"}).out);
  EXPECT_EQ("1\n", Run({"get", "share/app", "v"}).out);
  EXPECT_NE(std::filesystem::perms::none,
            std::filesystem::status(store).permissions() & std::filesystem::perms::owner_read);
}

#if defined(_WIN32)
// Windows refuses to replace a file another process holds open, as the registry's readers do
// for the moment of a read: the import waits for the file as the registry's own saves do.
TEST_F(PelregSafetyTest, AnImportWaitsForAStoreFileHeldOpenForAMoment) {
  Ok({"set", "share/app", "v", "1"});
  ASSERT_TRUE(test::WriteFileBytes(dir_.Join("patch.xml"),
                                   "<processregister><share><b type=\"1\" size=\"2\">x</b>"
                                   "</share></processregister>"));
  // Open for reading without letting the file be replaced, as a reader's handle does.
  HANDLE held = CreateFileA(dir_.Join("registry.xml").c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  // Let go well within the time a move is tried again, whenever the import reaches it.
  std::thread release([held] {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    CloseHandle(held);
  });
  const ProgramRun import = Run({"import", "patch.xml"});
  release.join();
  EXPECT_EQ(0, import.status) << import.err;
  EXPECT_EQ("x\n", Run({"get", "share", "b"}).out);
  EXPECT_EQ("1\n", Run({"get", "share/app", "v"}).out);
}
#endif

TEST_F(PelregSafetyTest, VersionIsTheProjectVersion) {
  const ProgramRun run = Run({"--version"});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_EQ(std::string("pelreg ") + PELREG_VERSION + "\n", run.out);
  const ProgramRun extra = Run({"--version", "tree"});
  EXPECT_EQ(2, extra.status);
  EXPECT_EQ("pelreg: --version takes no command\n", extra.err);
}

TEST_F(PelregSafetyTest, TypesGoByNameNumberOrRegName) {
  const char* words[][3] = {
      {"text", "1", "REG_SZ"}, {"int", "2", "reg_dword"}, {"binary", "3", "REG_BINARY"}};
  const char* data[] = {"0A0B", "2571", "0A0B"};
  const char* shown[] = {"text\t5\t0A0B", "int\t4\t2571", "binary\t2\t0A0B"};
  for (int type = 0; type < 3; ++type) {
    for (const char* word : words[type]) {
      Ok({"set", "share/t", "v", data[type], "--type", word});
      EXPECT_EQ(std::string("v\t") + shown[type] + "\n", Run({"list", "share/t"}).out) << word;
    }
  }
  const ProgramRun bad = Run({"set", "share/t", "v", "1", "--type", "4"});
  EXPECT_EQ(2, bad.status);
}

}  // namespace
}  // namespace pelok
