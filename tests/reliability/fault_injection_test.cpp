// Faults injected into every routed system call and every allocation, at its 1st, 2nd, ...
// use, raised until the work completes without reaching the fault: each time the registry must
// give its documented failure (results 0 or 1), crash nowhere, leak no instance, document or
// block, and lose nothing: afterwards the store file loads, and every value holds its old or its
// new content.
#include "platform/fault_injection.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/fault_memory.h"
#include "tests/support/fault_registry_host.h"
#include "tests/support/model_store.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace fault {
namespace {

constexpr uint32_t kShare = 0xbffffff3u;  // share, kind 2
constexpr uint32_t kPelok = 0xfffffff2u;  // pelok, kind 3
constexpr uint32_t kUser = 0x7ffffff4u;   // user, kind 1
const char kAbsent[] = "<absent>";

std::string Text(const char* text) { return std::string("1:") + text; }
std::string Blob(int length, int seed) {
  std::string bytes = "3:";
  for (int i = 0; i < length; ++i) bytes.push_back(static_cast<char>((i * 7 + seed) & 0xff));
  return bytes;
}

// Sets a value given as "type:bytes"; the result (0 or 1). Allocates nothing, so that only
// the registry meets the allocation faults.
int Set(IRegisterFront* front, uint32_t key, const char* name, const std::string& value) {
  const int type = value[0] - '0';
  const int length = static_cast<int>(value.size()) - 2;
  return front->SetValue(key, name, type, value.c_str() + 2, type == 1 ? length + 1 : length);
}

// A value as "type:bytes", or kAbsent.
std::string Get(IRegisterFront* front, uint32_t key, const char* name) {
  std::vector<char> data(8192);
  int type = 0, size = static_cast<int>(data.size());
  if (!front->QueryValue(key, name, &type, data.data(), &size)) return kAbsent;
  if (type == 1) return Text(data.data());
  return std::to_string(type) + ":" + std::string(data.data(), static_cast<size_t>(size));
}

struct Check {
  uint32_t root;
  const char* key;
  const char* name;
  std::set<std::string> allowed;
};

class FaultInjectionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    UseInProcessFactory();
    InstallMemoryFaults();
  }
  void SetUp() override {
    ASSERT_TRUE(fault_injection::Supported());
    WriteBase();
    ASSERT_TRUE(test::ReadFileBytes(path_, &base_bytes_));
  }

  // The store file every run starts from.
  void WriteBase() {
    IRegisterFront* front = CreateFront();
    ASSERT_NE(nullptr, front);
    ASSERT_EQ(1, front->SetStoreFile(path_.c_str()));
    uint32_t app = 0, tool = 0;
    int disposition = 0;
    ASSERT_EQ(1, front->CreateKey(kShare, "app", 2, 0, &app, &disposition));
    ASSERT_EQ(1, front->CreateKey(kPelok, "tool", 3, 0, &tool, &disposition));
    for (int i = 0; i < 5; ++i) {
      const std::string name = "v" + std::to_string(i);
      ASSERT_EQ(1, Set(front, app, name.c_str(), Text(("base-" + std::to_string(i)).c_str())));
    }
    const uint32_t one = 1;
    ASSERT_EQ(1, front->SetValue(tool, "n", 2, &one, 4));
    ASSERT_EQ(1, Set(front, tool, "b", Blob(200, 1)));
    front->Destroy(1);
  }

  // The work under faults, which arm() starts; every result must be 0 or 1.
  template <class Arm>
  void Work(Arm arm) {
    static const std::string new1 = Text("new-1"), new5 = Text("new-5"), blob = Blob(400, 2),
                             mem_blob = Blob(64, 3);
    int results[32];
    int count = 0;
    char data[512];
    arm();
    IRegisterFront* front = CreateFront();
    if (front == nullptr) return;
    results[count++] = front->SetStoreFile(path_.c_str());
    uint32_t app = 0, tool = 0, mem = 0, sub = 0;
    int disposition = 0, type = 0, size = 0;
    results[count++] = front->CreateKey(kShare, "app", 2, 0, &app, &disposition);
    results[count++] = front->CreateKey(kPelok, "tool", 3, 0, &tool, &disposition);
    results[count++] = front->CreateKey(kUser, "mem", 1, 0, &mem, &disposition);
    results[count++] = Set(front, app, "v1", new1);
    results[count++] = Set(front, app, "v5", new5);
    results[count++] = front->DeleteValue(app, "v2");
    results[count++] = Set(front, tool, "b", blob);
    results[count++] = Set(front, mem, "x", mem_blob);
    size = sizeof(data);
    results[count++] = front->QueryValue(app, "v0", &type, data, &size);
    size = sizeof(data);
    results[count++] = front->QueryValue(mem, "x", &type, data, &size);
    results[count++] = front->Flush();
    results[count++] = front->CreateKey(kShare, "app/sub", 2, 0, &sub, &disposition);
    const uint32_t nine = 9;
    results[count++] = front->SetValue(sub, "deep", 2, &nine, 4);
    char name[260];
    for (int index = 1; index < 8; ++index) {
      size = sizeof(data);
      results[count++] = front->EnumValue(app, index, name, sizeof(name), &type, data, &size);
    }
    results[count++] = front->DeleteKey(mem);
    front->Destroy(1);
    for (int i = 0; i < count; ++i) {
      if (results[i] != 0 && results[i] != 1) ADD_FAILURE() << "result " << results[i];
    }
  }

  // What the store file may hold after Work, under any fault.
  std::vector<Check> Checks() const {
    const uint32_t nine = 9, one = 1;
    const std::string number_nine = "2:" + std::string(reinterpret_cast<const char*>(&nine), 4);
    const std::string number_one = "2:" + std::string(reinterpret_cast<const char*>(&one), 4);
    return {{kShare, "app", "v0", {Text("base-0")}},
            {kShare, "app", "v1", {Text("base-1"), Text("new-1")}},
            {kShare, "app", "v2", {Text("base-2"), kAbsent}},
            {kShare, "app", "v3", {Text("base-3")}},
            {kShare, "app", "v4", {Text("base-4")}},
            {kShare, "app", "v5", {kAbsent, Text("new-5")}},
            {kPelok, "tool", "n", {number_one}},
            {kPelok, "tool", "b", {Blob(200, 1), Blob(400, 2)}},
            {kShare, "app/sub", "deep", {kAbsent, number_nine}}};
  }

  // After a run: nothing left alive, the file loads as a store, every value old or new.
  void Verify(const std::string& label) {
    EXPECT_EQ(0, LiveInstances()) << label;
    EXPECT_EQ(0, LiveDocuments()) << label;
    EXPECT_EQ(0, Allocator()->CountLiveBlocks(0)) << label;
    model::Element document;
    std::string error;
    ASSERT_TRUE(model::ReadStoreFile(path_, &document, &error)) << label << ": " << error;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".corrupt-"))
          << label << ": the store file was set aside as damaged";
    }
    IRegisterFront* front = CreateFront();
    ASSERT_NE(nullptr, front);
    ASSERT_EQ(1, front->SetStoreFile(path_.c_str()));
    for (const Check& check : Checks()) {
      uint32_t key = 0;
      int disposition = 0;
      const std::string value =
          front->CreateKey(check.root, check.key, check.root >> 30, 0, &key, &disposition)
              ? Get(front, key, check.name)
              : kAbsent;
      EXPECT_EQ(1u, check.allowed.count(value))
          << label << ": " << check.key << "/" << check.name << " is " << value.substr(0, 40);
    }
    front->Destroy(1);
  }

  // Puts the base file back and removes whatever a run left beside it.
  void Reset() {
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      std::filesystem::remove_all(entry.path());
    }
    ASSERT_TRUE(test::WriteFileBytes(path_, base_bytes_));
  }

  test::TempDir dir_;
  std::string path_ = dir_.Join("registry.xml");
  std::string base_bytes_;
};

struct CallFault {
  const char* call;
  int error;
};

constexpr CallFault kCallFaults[] = {{"open", EACCES},   {"close", EIO},     {"read", EIO},
                                     {"write", ENOSPC},  {"lseek", EIO},     {"fsync", EIO},
                                     {"ftruncate", EIO}, {"rename", EACCES}, {"unlink", EACCES},
                                     {"mkdir", EACCES},  {"rmdir", EACCES},  {"stat", EIO},
                                     {"fstat", EIO},     {"chmod", EPERM},   {"access", EACCES}};

long total_faults = 0;

TEST_F(FaultInjectionTest, EverySystemCallFailingAtEveryUse) {
  long faults = 0;
  for (const CallFault& fault : kCallFaults) {
    for (bool persistent : {false, true}) {
      for (long nth = 1; nth < 5000; ++nth) {
        Reset();
        fault_injection::Restore();
        Work([&] { fault_injection::FailCall(fault.call, nth, fault.error, persistent); });
        const bool fired = fault_injection::UseCount(fault.call) >= nth;
        fault_injection::Restore();
        if (!fired) break;
        ++faults;
        Verify(std::string(fault.call) + (persistent ? " from use " : " at use ") +
               std::to_string(nth));
        if (HasFailure()) return;
      }
    }
  }
  total_faults += faults;
  std::printf("system-call faults injected: %ld\n", faults);
}

TEST_F(FaultInjectionTest, EveryAllocationFailingAtEveryUse) {
  long faults = 0;
  for (bool persistent : {false, true}) {
    for (long nth = 1; nth < 100000; ++nth) {
      Reset();
      Work([&] { FailAllocation(nth, persistent); });
      const bool fired = AllocationCount() >= nth;
      RestoreMemory();
      if (!fired) break;
      ++faults;
      Verify(std::string("allocation ") + (persistent ? "from " : "at ") + std::to_string(nth));
      if (HasFailure()) return;
    }
  }
  total_faults += faults;
  std::printf("allocation faults injected: %ld\n", faults);
}

}  // namespace
}  // namespace fault
}  // namespace pelok
