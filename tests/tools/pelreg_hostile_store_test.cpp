// Store files made to hurt: values whose "size" claims what their text does not hold, a store
// path that names no file (a FIFO, a device, a directory), and a process that runs out of
// memory. pelreg takes memory by what a file holds, never by what it claims, fails one value
// rather than the whole command, refuses what is no file at once, and fails with its one line
// and status 3 when memory runs out.
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <functional>
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

// The address space pelreg is given where memory is limited: far below what believing one of
// the claimed sizes takes (200 MB for a text of 100000000 bytes), far above what pelreg needs.
constexpr int kMemoryLimitKilobytes = 100 * 1024;

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer reserves terabytes of address space up front: no limit on it can hold.
constexpr bool kCanLimitMemory = false;
#elif defined(_WIN32)
constexpr bool kCanLimitMemory = false;
#else
constexpr bool kCanLimitMemory = true;
#endif

std::string StoreOf(const std::string& app_values) {
  return "<?xml version=\"1.0\"?>\n<processregister><share><app>" + app_values +
         "</app></share></processregister>\n";
}

// 50 values that each claim 100000000 bytes and hold one character, then a plain number.
std::string SizeBombStore() {
  std::string values;
  for (int i = 0; i < 50; ++i) {
    values +=
        "<b" + std::to_string(i) + " type=\"1\" size=\"100000000\">x</b" + std::to_string(i) + ">";
  }
  return StoreOf(values + "<port type=\"2\" size=\"4\">8080</port>");
}

class PelregHostileStoreTest : public test::PelregTest {
 protected:
  // pelreg with its address space limited (RLIMIT_AS, set by the shell that starts it).
  ProgramRun RunWithLimitedMemory(const std::vector<std::string>& args) {
    return test::RunShell(
        "ulimit -v " + std::to_string(kMemoryLimitKilobytes) + " && " + test::PelregCommand(args),
        dir_.path());
  }

  void WriteStore(const std::string& bytes) {
    ASSERT_TRUE(WriteFileBytes(dir_.Join("registry.xml"), bytes));
  }
};

// What get, list and delete do with the size-bomb store: the same with and without a limit.
void ExpectSizeBombStoreServed(const std::function<ProgramRun(const std::vector<std::string>&)>& run,
                               const std::function<ProgramRun(const std::vector<std::string>&)>& plain) {
  const ProgramRun get = run({"get", "share/app", "port"});
  EXPECT_EQ(0, get.status) << get.err;
  EXPECT_EQ("8080\n", get.out);
  EXPECT_EQ("", get.err);

  // Listing reads every one of them: each is shown as the file holds it, and said to be odd.
  const ProgramRun list = run({"list", "share/app"});
  EXPECT_EQ(0, list.status) << list.err;
  const std::vector<std::string> lines = test::Lines(list.out);
  ASSERT_EQ(51u, lines.size()) << list.out;
  EXPECT_EQ("b0\ttext\t2\tx", lines[0]);
  EXPECT_EQ("port\tint\t4\t8080", lines[50]);
  const std::vector<std::string> warnings = test::Lines(list.err);
  ASSERT_EQ(50u, warnings.size()) << list.err;
  EXPECT_EQ(
      "pelreg: the value 'b0' of the key 'share/app' claims 100000000 bytes, which its text does "
      "not hold; shown as the file holds it (set or delete it to mend it)",
      warnings[0]);

  EXPECT_EQ(0, run({"delete", "share/app", "b7"}).status);
  EXPECT_EQ(1, plain({"get", "share/app", "b7"}).status);
}

TEST_F(PelregHostileStoreTest, ClaimedSizesAreNeverBelieved) {
  WriteStore(SizeBombStore());
  const auto plain = [this](const std::vector<std::string>& args) { return Run(args); };
  ExpectSizeBombStoreServed(plain, plain);
}

TEST_F(PelregHostileStoreTest, ClaimedSizesTakeNoMemory) {
  if (!kCanLimitMemory) GTEST_SKIP() << "no memory limit can be set in this build";
  WriteStore(SizeBombStore());
  ExpectSizeBombStoreServed(
      [this](const std::vector<std::string>& args) { return RunWithLimitedMemory(args); },
      [this](const std::vector<std::string>& args) { return Run(args); });
}

TEST_F(PelregHostileStoreTest, TheLargestClaimedSizeFailsNoCommandAndIsDeleted) {
  WriteStore(
      StoreOf("<odd type=\"3\" size=\"2147483647\">FF00</odd>"
              "<keep type=\"1\" size=\"3\">ok</keep>"));
  EXPECT_EQ("ok\n", Out({"get", "share/app", "keep"}));
  EXPECT_EQ("share\n  app\n    odd (binary) = FF00\n    keep (text) = ok\n", Out({"tree"}));

  const ProgramRun odd = Run({"get", "share/app", "odd"});
  EXPECT_EQ(0, odd.status) << odd.err;
  EXPECT_EQ("FF00\n", odd.out);
  EXPECT_EQ(
      "pelreg: the value 'odd' of the key 'share/app' claims 2147483647 bytes, which its text "
      "does not hold; shown as the file holds it (set or delete it to mend it)\n",
      odd.err);
  const ProgramRun json = Run({"--json", "get", "share/app", "odd"});
  EXPECT_EQ(0, json.status);
  EXPECT_EQ(
      "{\"key\":\"share/app\",\"name\":\"odd\",\"type\":\"binary\",\"size\":2,\"data\":\"FF00\"}\n",
      json.out);

  // The delete that mends it, and the store is whole again.
  Ok({"delete", "share/app", "odd"});
  EXPECT_EQ(1, Run({"get", "share/app", "odd"}).status);
  const ProgramRun list = Run({"list", "share/app"});
  EXPECT_EQ(0, list.status);
  EXPECT_EQ("keep\ttext\t3\tok\n", list.out);
  EXPECT_EQ("", list.err);
}

TEST_F(PelregHostileStoreTest, ANegativeClaimedSizeIsShownAsHeldAndMended) {
  WriteStore(StoreOf("<neg type=\"1\" size=\"-5\">hi</neg><n type=\"2\" size=\"-5\">7</n>"));
  const ProgramRun get = Run({"get", "share/app", "neg"});
  EXPECT_EQ(0, get.status) << get.err;
  EXPECT_EQ("hi\n", get.out);
  EXPECT_NE(std::string::npos, get.err.find("claims -5 bytes")) << get.err;

  const ProgramRun list = Run({"list", "share/app"});
  EXPECT_EQ(0, list.status) << list.err;
  EXPECT_EQ("neg\ttext\t3\thi\nn\tint\t4\t7\n", list.out);
  EXPECT_EQ(2u, test::Lines(list.err).size()) << list.err;

  // set writes the size the data takes, which mends it.
  Ok({"set", "share/app", "neg", "again"});
  Ok({"get", "share/app", "neg"});
  Ok({"delete", "share/app", "n"});
  EXPECT_EQ("neg\ttext\t6\tagain\n", Out({"list", "share/app"}));
}

TEST_F(PelregHostileStoreTest, AnOddValueWithoutDataFailsOnlyItself) {
  WriteStore(StoreOf("<bad type=\"3\" size=\"9\">zz</bad><good type=\"1\" size=\"4\">yes</good>"));
  const ProgramRun list = Run({"list", "share/app"});
  EXPECT_EQ(0, list.status) << list.err;
  EXPECT_EQ("good\ttext\t4\tyes\n", list.out);
  ASSERT_EQ(1u, test::Lines(list.err).size()) << list.err;
  EXPECT_EQ(0u, list.err.find("pelreg: the value 'bad' of the key 'share/app' claims 9 bytes"))
      << list.err;

  const ProgramRun get = Run({"get", "share/app", "bad"});
  EXPECT_EQ(3, get.status);
  EXPECT_EQ("", get.out);
  EXPECT_EQ(1u, test::Lines(get.err).size()) << get.err;
  Ok({"delete", "share/app", "bad"});
  EXPECT_EQ("good\ttext\t4\tyes\n", Out({"list", "share/app"}));
}

TEST_F(PelregHostileStoreTest, AStorePathThatIsADirectoryIsRefused) {
  ASSERT_TRUE(std::filesystem::create_directory(dir_.Join("sub")));
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--store", "sub", "get", "share/app", "v"},
        std::vector<std::string>{"--store", "sub", "set", "share/app", "v", "1"},
        std::vector<std::string>{"--store", "sub", "list", "share"}}) {
    const ProgramRun run = Run(args);
    EXPECT_EQ(3, run.status) << args[2];
    EXPECT_EQ(0u, run.err.find("pelreg: the store file '")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("sub' is a directory\n")) << run.err;
    EXPECT_EQ(1u, test::Lines(run.err).size()) << run.err;
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir_.Join("sub")));
  EXPECT_TRUE(std::filesystem::is_empty(dir_.Join("sub")));
}

#if defined(_WIN32)
// The null device, in any directory.
constexpr char kDevice[] = "NUL";
#else
// /dev/zero never ends: read whole, it would take all the memory there is.
constexpr char kDevice[] = "/dev/zero";
#endif

TEST_F(PelregHostileStoreTest, ADeviceAsTheStoreIsRefusedAtOnce) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--store", kDevice, "get", "share/app", "v"},
        std::vector<std::string>{"--store", kDevice, "set", "share/app", "v", "1"},
        std::vector<std::string>{"--store", kDevice, "list", "share"}}) {
    const ProgramRun run = Run(args);
    EXPECT_EQ(3, run.status) << args[2];
    EXPECT_EQ(0u, run.err.find("pelreg: the store file '")) << run.err;
    EXPECT_NE(std::string::npos,
              run.err.find(std::string(kDevice) + "' is no file (a FIFO, a device or a socket)\n"))
        << run.err;
    EXPECT_EQ(1u, test::Lines(run.err).size()) << run.err;
  }
}

#if !defined(_WIN32)
TEST_F(PelregHostileStoreTest, RunningOutOfMemoryFailsWithOneLine) {
  if (!kCanLimitMemory) GTEST_SKIP() << "no memory limit can be set in this build";
  Ok({"set", "share/app", "keep", "1"});
  const std::string before = Store();
  // Far more than the limit leaves room for: the bytes of the file alone do not fit twice.
  ASSERT_TRUE(WriteFileBytes(dir_.Join("big.bin"), std::string(80u << 20, 'z')));
  const ProgramRun run = RunWithLimitedMemory(
      {"set", "share/app", "big", "--from-file", "big.bin", "--type", "binary"});
  EXPECT_EQ(3, run.status) << run.err;
  EXPECT_EQ("pelreg: not enough memory\n", run.err);
  EXPECT_EQ(before, Store());
}

TEST_F(PelregHostileStoreTest, AFifoAsTheStoreIsRefusedAtOnce) {
  const std::string fifo = dir_.Join("registry.xml");
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  // Without a writer, anything that opens it to read would wait for ever.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"get", "share/app", "v"},
        std::vector<std::string>{"set", "share/app", "v", "1"}, std::vector<std::string>{"tree"}}) {
    const ProgramRun run = Run(args);
    EXPECT_EQ(3, run.status) << args[0];
    EXPECT_EQ("pelreg: the store file '" + fifo + "' is no file (a FIFO, a device or a socket)\n",
              run.err);
  }
  struct stat info;
  ASSERT_EQ(0, stat(fifo.c_str(), &info));
  EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the FIFO stays what it is";
  EXPECT_EQ(1u, FileCount());
}

TEST_F(PelregHostileStoreTest, AFifoAsTheDllRegistryFileReadsAsAnEmptyOne) {
  // Read to find the modules, it would wait for ever for a writer.
  ASSERT_EQ(0, mkfifo(dir_.Join("Pelok.ini").c_str(), 0600));
  const ProgramRun run = Run({"--registry", "Pelok.ini", "get", "share/app", "v"});
  EXPECT_EQ(3, run.status) << run.err;
  EXPECT_EQ(1u, test::Lines(run.err).size()) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("Pelok.ini")) << run.err;
}

TEST_F(PelregHostileStoreTest, AnImportFileMayBeAFifo) {
  Ok({"set", "share/app", "keep", "1"});
  ASSERT_TRUE(WriteFileBytes(dir_.Join("patch.xml"),
                             "<processregister><share><app><v type=\"1\" "
                             "size=\"3\">in</v></app></share></processregister>"));
  ASSERT_EQ(0, mkfifo(dir_.Join("pipe").c_str(), 0600));
  const ProgramRun run = test::RunShell(
      "cat patch.xml > pipe & " + test::PelregCommand({"import", "pipe"}), dir_.path());
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ("in\n", Out({"get", "share/app", "v"}));
  EXPECT_EQ("1\n", Out({"get", "share/app", "keep"}));
}
#endif

}  // namespace
}  // namespace pelok
