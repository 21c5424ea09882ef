// A trace file that cannot be opened (its directory is missing): the trace lines go nowhere,
// and everything else works as it would without trace settings. Through the real modules, on
// Linux and under Wine.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/persistence_host.h"
#include "tests/support/debug_capture.h"
#include "tests/support/module_loader.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace test {
namespace {

#if defined(_WIN32)
constexpr char kSeparator[] = "\\";
#else
constexpr char kSeparator[] = "/";
#endif

TEST(FaultMissingTraceTest, AMissingTraceFileCostsOnlyTheTraceLines) {
  TempDir dir;
  const std::string ini = dir.Join("Pelok.ini");
  ASSERT_TRUE(WriteFileBytes(ini, "[361]\nDLL=" + BinPath("PelFact.dll") +
                                      "\n[Modules]\nregistry=" + BinPath("PelReg.dll") +
                                      "\nxml=" + BinPath("PelXml.dll") + "\n[Trace]\nFile=missing" +
                                      kSeparator + "trace.log\nDebugMask=2\nFileMask=2\n"));
  DebugCapture capture;
  RegistryHost host(ini);
  ASSERT_TRUE(host.ready());
  IRegisterFront* front = host.front();
  // Two directory levels missing: the store cannot make its file and traces that.
  const std::string store = dir.Join("a") + kSeparator + "b" + kSeparator + "registry.xml";
  ASSERT_EQ(1, front->SetStoreFile(store.c_str()));
  uint32_t key = 0;
  int disposition = 0;
  EXPECT_EQ(0, front->CreateKey(0xbffffff3u, "app", 2, 0, &key, &disposition));
  EXPECT_EQ(0, front->Flush());
  ASSERT_EQ(1, front->CreateKey(0x7ffffff4u, "mem", 1, 0, &key, &disposition));
  EXPECT_EQ(1, front->SetValue(key, "x", 1, "y", 2));
  host.Shutdown();
  EXPECT_NE(std::string::npos, capture.Text().find("Trace_")) << "the line was traced";
  EXPECT_FALSE(FileExistsAt(dir.Join("missing"))) << "no trace file was made";
  EXPECT_FALSE(FileExistsAt(dir.Join("a")));
}

}  // namespace
}  // namespace test
}  // namespace pelok
