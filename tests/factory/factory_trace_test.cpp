// The trace settings the factory hands each component at registration: the masks and the name
// from the DLL registry file's "[Trace]" section, and one trace file shared by everyone.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/factory_module.h"
#include "tests/support/module_loader.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_component.h"

namespace pelok {
namespace {

using test::Factory;
using test::ITestComponent;
using test::ModulePath;
using test::TempDir;
using test::WriteRegistryFile;

// A record as a component builds it before registering.
RegistrationRecord FreshRecord() {
  RegistrationRecord record;
  std::memset(&record, 0, sizeof(record));
  record.traceFile = -1;
  return record;
}

class RegisterRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Factory().complete());
    factory_ = Factory().factory;
  }

  // Registers record for id with the file at registry_path; returns the result pointer.
  intptr_t* Register(const std::string& registry_path, int id, RegistrationRecord* record) {
    intptr_t* words = nullptr;
    EXPECT_EQ(
        1, factory_->RegisterRecord(registry_path.c_str(), id, record, &record->fileMask, &words));
    return words;
  }

  IComponentFactory* factory_ = nullptr;
  TempDir dir_;
};

// The factory keeps what it read of a file whose stamp can be trusted; an edit that changes
// the stamp, even one that keeps the size, is read at the next registration.
TEST_F(RegisterRecordTest, AnEditOfAnOldFileIsSeenAtTheNextRegistration) {
  const std::string ini = WriteRegistryFile(dir_, "edit.ini", "[Trace]\nDebugMask=2\n");
  const auto an_hour_ago = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  std::filesystem::last_write_time(ini, an_hour_ago);
  for (int round = 0; round < 3; ++round) {  // the first reads it; the others find it kept
    RegistrationRecord record = FreshRecord();
    Register(ini, 1139, &record);
    EXPECT_EQ(2, record.debugMask);
  }
  ASSERT_TRUE(test::WriteFileBytes(ini, "[Trace]\nDebugMask=4\n"));
  std::filesystem::last_write_time(ini, an_hour_ago + std::chrono::minutes(1));
  RegistrationRecord record = FreshRecord();
  Register(ini, 1139, &record);
  EXPECT_EQ(4, record.debugMask);

  // A file that appears where none was is read too.
  const std::string later = dir_.Join("later.ini");
  RegistrationRecord before = FreshRecord();
  Register(later, 1139, &before);
  EXPECT_EQ(0, before.debugMask);
  ASSERT_TRUE(test::WriteFileBytes(later, "[Trace]\nDebugMask=2\n"));
  RegistrationRecord after = FreshRecord();
  Register(later, 1139, &after);
  EXPECT_EQ(2, after.debugMask);
}

TEST_F(RegisterRecordTest, TraceSectionFillsTheRecord) {
  const std::string ini = WriteRegistryFile(
      dir_, "r.ini", "[Trace]\nFile=trace.log\nDebugMask=2\nFileMask=6\n1139=store\n");
  RegistrationRecord store = FreshRecord();
  intptr_t* words = Register(ini, 1139, &store);
  EXPECT_EQ(2, store.debugMask);
  EXPECT_EQ(6, store.fileMask);
  EXPECT_STREQ("store", store.traceName);
  ASSERT_NE(nullptr, words);
  EXPECT_NE(0, words[0]);
  EXPECT_NE(-1, words[1]);
  // Created beside the DLL registry file.
  EXPECT_TRUE(test::FileExistsAt(dir_.Join("trace.log")));

  // Another id gets its decimal id as name, and the same file with the same lock.
  RegistrationRecord core = FreshRecord();
  EXPECT_EQ(words, Register(ini, 1140, &core));
  EXPECT_STREQ("1140", core.traceName);
  EXPECT_EQ(6, core.fileMask);
}

TEST_F(RegisterRecordTest, WithoutTraceSectionTheRecordStaysSilent) {
  const std::string ini = WriteRegistryFile(dir_, "r.ini", "[361]\nDLL=PelFact.dll\n");
  RegistrationRecord record = FreshRecord();
  record.debugMask = 7;
  record.fileMask = 7;
  EXPECT_EQ(nullptr, Register(ini, 1139, &record));
  EXPECT_EQ(0, record.debugMask);
  EXPECT_EQ(0, record.fileMask);
  EXPECT_EQ(-1, record.traceFile);
  EXPECT_EQ(0, record.traceLock);

  RegistrationRecord missing = FreshRecord();
  EXPECT_EQ(nullptr, Register(dir_.Join("missing.ini"), 1139, &missing));
  EXPECT_EQ(0, missing.fileMask);

  intptr_t* words = nullptr;
  EXPECT_EQ(0, factory_->RegisterRecord(ini.c_str(), 1139, nullptr, nullptr, &words));
  EXPECT_EQ(nullptr, words);
}

TEST_F(RegisterRecordTest, WithoutTraceSectionTheNameIsTheId) {
  const std::string ini =
      WriteRegistryFile(dir_, "r.ini", "[361]\nDLL=PelFact.dll\n[Tracer]\n1139=x\n");
  RegistrationRecord record = FreshRecord();
  EXPECT_EQ(nullptr, Register(ini, 1139, &record));
  EXPECT_STREQ("1139", record.traceName);
}

TEST_F(RegisterRecordTest, TraceSectionIsFoundWhateverItsCaseAndPlace) {
  const std::string ini =
      WriteRegistryFile(dir_, "r.ini",
                        "[361]\nDLL=PelFact.dll\n[Modules]\nxml=PelXml.dll\n[ tRACE ]\nFileMask=2\n"
                        "1139=store\n[Other]\nFileMask=4\n");
  RegistrationRecord record = FreshRecord();
  EXPECT_EQ(nullptr, Register(ini, 1139, &record));
  EXPECT_EQ(2, record.fileMask);
  EXPECT_STREQ("store", record.traceName);
}

TEST_F(RegisterRecordTest, NameIsCutToTheRecord) {
  const std::string ini =
      WriteRegistryFile(dir_, "r.ini", "[Trace]\nFileMask=2\n1139=" + std::string(100, 'n') + "\n");
  RegistrationRecord record = FreshRecord();
  std::strcpy(record.recordText1, "keep");
  EXPECT_EQ(nullptr, Register(ini, 1139, &record));
  EXPECT_EQ(std::string(63, 'n'), record.traceName);
  EXPECT_STREQ("keep", record.recordText1);
}

TEST_F(RegisterRecordTest, TraceFileThatCannotBeOpenedIsNotHandedOut) {
  const std::string ini =
      WriteRegistryFile(dir_, "r.ini", "[Trace]\nFile=no_such_dir\\trace.log\nFileMask=2\n");
  RegistrationRecord record = FreshRecord();
  EXPECT_EQ(nullptr, Register(ini, 1139, &record));
  EXPECT_EQ(-1, record.traceFile);
}

TEST_F(RegisterRecordTest, TraceFileIsOpenedOncePerProcess) {
  TempDir logs;
  const std::string log = logs.Join("shared.log");
  const std::string first =
      WriteRegistryFile(dir_, "first.ini", "[Trace]\nFile=" + log + "\nFileMask=2\n");
  const std::string second =
      WriteRegistryFile(dir_, "second.ini", "[Trace]\nFile=" + log + "\nDebugMask=2\n");
  RegistrationRecord a = FreshRecord();
  RegistrationRecord b = FreshRecord();
  intptr_t* words = Register(first, 1139, &a);
  ASSERT_NE(nullptr, words);
  EXPECT_EQ(words, Register(second, 1152, &b));
  EXPECT_EQ(2, a.fileMask);
  EXPECT_EQ(0, b.fileMask);
  EXPECT_EQ(2, b.debugMask);
}

// Components of the test module register when they are built, as the registry's do.
class TraceSharingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Factory().complete());
    ASSERT_TRUE(module_.loaded());
    set_registry_ = module_.Get<SetDLLRegistryFn>("SetDLLRegistry");
    ASSERT_NE(nullptr, set_registry_);
  }

  void TearDown() override {
    if (set_registry_ != nullptr) set_registry_("");
  }

  ITestComponent* Create(int id, const std::string& ini) {
    return static_cast<ITestComponent*>(Factory().factory->CreateInstance(id, ini.c_str()));
  }

  test::LoadedModule module_{ModulePath("PelTest.dll")};
  SetDLLRegistryFn set_registry_ = nullptr;
  TempDir dir_;
};

TEST_F(TraceSharingTest, ComponentsAppendToOneFile) {
  const std::string log = dir_.Join("shared.log");
  ASSERT_TRUE(test::WriteFileBytes(log, "earlier line\n"));
  const std::string ini = WriteRegistryFile(
      dir_, "r.ini",
      "[Trace]\nFile=shared.log\nFileMask=2\n5001=first\n5002=second\n[Modules]\ntest=" +
          ModulePath("PelTest.dll") + "\n");
  set_registry_(ini.c_str());
  ITestComponent* first = Create(test::kTestComponent, ini);
  ITestComponent* second = Create(test::kOtherTestComponent, ini);
  ASSERT_NE(nullptr, first);
  ASSERT_NE(nullptr, second);
  const RegistrationRecord* a = first->Record();
  const RegistrationRecord* b = second->Record();
  EXPECT_STREQ("first", a->traceName);
  EXPECT_STREQ("second", b->traceName);
  EXPECT_EQ(2, a->fileMask);
  EXPECT_NE(-1, a->traceFile);
  EXPECT_NE(0, a->traceLock);
  EXPECT_EQ(a->traceFile, b->traceFile);
  EXPECT_EQ(a->traceLock, b->traceLock);

  EXPECT_EQ(1, first->AppendTrace("Trace_first one\n"));
  EXPECT_EQ(1, second->AppendTrace("Trace_second two\n"));
  EXPECT_EQ(1, first->AppendTrace("Trace_first three\n"));
  std::string text;
  ASSERT_TRUE(test::ReadFileBytes(log, &text));
  EXPECT_EQ("earlier line\nTrace_first one\nTrace_second two\nTrace_first three\n", text);
  first->Destroy(1);
  second->Destroy(1);
}

TEST_F(TraceSharingTest, LinesFromManyThreadsStayWhole) {
  const std::string ini = WriteRegistryFile(
      dir_, "r.ini",
      "[Trace]\nFile=threads.log\nFileMask=2\n[Modules]\ntest=" + ModulePath("PelTest.dll") + "\n");
  set_registry_(ini.c_str());
  constexpr int kThreads = 4;
  constexpr int kLines = 200;
  std::vector<ITestComponent*> components;
  for (int t = 0; t < kThreads; ++t) {
    components.push_back(
        Create(t % 2 == 0 ? test::kTestComponent : test::kOtherTestComponent, ini));
    ASSERT_NE(nullptr, components.back());
  }
  const std::string line_body(40, 'x');
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string line = std::to_string(t) + ":" + line_body + "\n";
      for (int i = 0; i < kLines; ++i) components[t]->AppendTrace(line.c_str());
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (ITestComponent* component : components) component->Destroy(1);

  std::string text;
  ASSERT_TRUE(test::ReadFileBytes(dir_.Join("threads.log"), &text));
  std::vector<int> per_thread(kThreads, 0);
  size_t start = 0;
  int lines = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    const std::string line = text.substr(start, end - start);
    ++lines;
    ASSERT_EQ(42u, line.size()) << line;
    ASSERT_EQ(line_body, line.substr(2)) << line;
    ++per_thread[line[0] - '0'];
    start = end + 1;
  }
  EXPECT_EQ(text.size(), start);
  EXPECT_EQ(kThreads * kLines, lines);
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(kLines, per_thread[t]);
}

}  // namespace
}  // namespace pelok
