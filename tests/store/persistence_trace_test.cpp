// The store's one trace line, in the trace file that the factory module shares, when the
// directory of a new store file cannot be made. A program of its own: the factory module reads
// its trace settings from the DLL registry file it is first given.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "pelok/register_front.h"
#include "tests/support/persistence_host.h"
#include "tests/support/module_loader.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::BinPath;
using test::FileExistsAt;
using test::ReadFileBytes;
using test::RegistryHost;
using test::TempDir;
using test::WriteFileBytes;

// "Error : 目录 <path> 创建失败!" in GBK ("directory <path> could not be created").
std::string DirectoryMessage(const std::string& path) {
  return "Error : \xC4\xBF\xC2\xBC " + path + " \xB4\xB4\xBD\xA8\xCA\xA7\xB0\xDC!\n";
}

class PersistenceTraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A DLL registry file of this test's own: the modules by absolute path, and a trace file.
    ini_ = dir_.Join("Pelok.ini");
    ASSERT_TRUE(WriteFileBytes(ini_, "[361]\nDLL=" + BinPath("PelFact.dll") +
                                         "\n\n[Modules]\nregistry=" + BinPath("PelReg.dll") +
                                         "\nxml=" + BinPath("PelXml.dll") +
                                         "\n\n[Trace]\nFile=trace.log\nDebugMask=0\nFileMask=2\n"));
  }
  std::string TraceText() {
    std::string text;
    ReadFileBytes(dir_.Join("trace.log"), &text);
    return text;
  }

  TempDir dir_;
  std::string ini_;
};

TEST_F(PersistenceTraceTest, MissingDirectoryTwoLevelsDeepIsTracedInGbk) {
  RegistryHost host(ini_);
  ASSERT_TRUE(host.ready());
  const std::string deep = dir_.Join("missing") + "\\deeper\\registry.xml";
  ASSERT_EQ(1, host.front()->SetStoreFile(deep.c_str()));
  uint32_t key = 0;
  int disposition = 0;
  EXPECT_EQ(0,
            host.front()->CreateKey(RootOfKind(root::kShare, 2), "app", 2, 0, &key, &disposition));
  EXPECT_FALSE(FileExistsAt(dir_.Join("missing")));

  const std::string text = TraceText();
  const std::string message = DirectoryMessage(deep);
  const size_t at = text.find(message);
  ASSERT_NE(std::string::npos, at) << text;
  // The line: "Trace_", the store's trace name, a blank, the message.
  const size_t previous_end = at == 0 ? std::string::npos : text.rfind('\n', at - 1);
  const size_t line_start = previous_end == std::string::npos ? 0 : previous_end + 1;
  const std::string head = text.substr(line_start, at - line_start);
  EXPECT_EQ(0u, head.find("Trace_")) << head;
  EXPECT_EQ(' ', head.back());

  // One missing level is simply made, and nothing more is traced.
  ASSERT_NE(nullptr, host.Restart());
  const std::string shallow = dir_.Join("made") + "\\registry.xml";
  ASSERT_EQ(1, host.front()->SetStoreFile(shallow.c_str()));
  EXPECT_EQ(1,
            host.front()->CreateKey(RootOfKind(root::kShare, 2), "app", 2, 0, &key, &disposition));
  EXPECT_TRUE(FileExistsAt(dir_.Join("made")));
  EXPECT_EQ(text, TraceText());
}

}  // namespace
}  // namespace pelok
