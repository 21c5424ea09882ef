// One store file shared by many processes at once: host programs that hold the store for their
// whole run and write value after value (each followed by a Flush, and keys opened between them,
// which save too), pelreg commands setting values, and readers opening the key again and again.
// Every completed write must be in the file at the end (lost values: goal 0), every exit status
// must say success, and no reader may ever see a value that its writer did not write whole.
//
// The test program is its own host writer and reader: --host-writer FILE ID COUNT and
// --reader FILE ROUNDS.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "pelok/register_front.h"
#include "tests/support/model_store.h"
#include "tests/support/pelreg_runner.h"
#include "tests/support/child_process.h"
#include "tests/support/module_loader.h"
#include "tests/support/pelreg_module.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace test {
namespace {

#if defined(_WIN32)
// Wine starts processes slowly.
constexpr int kHostWriters = 2;
constexpr int kHostValues = 12;
constexpr int kReaders = 1;
constexpr int kReaderRounds = 30;
#else
constexpr int kHostWriters = 4;
constexpr int kHostValues = 40;
constexpr int kReaders = 2;
constexpr int kReaderRounds = 200;
#endif
constexpr int kParallelPelregs = 20;
constexpr uint32_t kShareStored = 0xbffffff3u;

// What a writer writes under a name: the name itself and a tail whose length depends on it, so
// that a value cut short or mixed with another shows.
std::string TextFor(const std::string& name) {
  uint32_t length = 0;
  for (char c : name) length = length * 31 + static_cast<unsigned char>(c);
  return name + "=" + std::string(20 + length % 200, static_cast<char>('a' + length % 26));
}

std::string HostValueName(int writer, int index) {
  return "h" + std::to_string(writer) + "_" + std::to_string(index);
}

std::string PelregValueName(int index) { return "p" + std::to_string(index); }

// A host program's registry: the module loaded, its front, the store file set.
struct Session {
  PelRegModule module;
  IRegisterFront* front = nullptr;

  bool Begin(const std::string& path) {
    if (!module.complete()) return false;
    module.SetDLLRegistry(BinPath("Pelok.ini").c_str());
    front = static_cast<IRegisterFront*>(module.CreateComponent(component_id::kRegisterFront, 0));
    return front != nullptr && front->SetStoreFile(path.c_str()) != 0;
  }
  ~Session() {
    if (front != nullptr) front->Destroy(1);
  }
};

// Holds the store for its whole run; every value flushed as soon as it is set. The exit status
// counts the calls that failed.
int RunHostWriter(const std::string& path, int id, int count) {
  Session session;
  if (!session.Begin(path)) return 100;
  uint32_t key = 0;
  int disposition = 0;
  if (!session.front->CreateKey(kShareStored, "stress", 2, 0, &key, &disposition)) return 101;
  int failures = 0;
  for (int i = 0; i < count; ++i) {
    const std::string name = HostValueName(id, i);
    const std::string text = TextFor(name);
    if (!session.front->SetValue(key, name.c_str(), 1, text.c_str(),
                                 static_cast<int>(text.size() + 1))) {
      ++failures;
    }
    if (!session.front->Flush()) ++failures;
    if (i % 5 == 0) {
      // Opening a key saves the store: never a revert of what others wrote.
      uint32_t other = 0;
      const std::string sub = "stress/host" + std::to_string(id);
      if (!session.front->CreateKey(kShareStored, sub.c_str(), 2, 0, &other, &disposition)) {
        ++failures;
      } else {
        session.front->CloseKey(other);
      }
    }
  }
  session.front->CloseAllKeys();
  return failures;
}

// Opens the key again and again and reads every value it has: each must be whole. Exit status
// 0, or 1 when a value was seen that no writer wrote.
int RunReader(const std::string& path, int rounds) {
  Session session;
  if (!session.Begin(path)) return 100;
  int bad = 0;
  for (int round = 0; round < rounds; ++round) {
    uint32_t key = 0;
    int disposition = 0;
    if (!session.front->CreateKey(kShareStored, "stress", 2, 0, &key, &disposition)) {
      ++bad;
      continue;
    }
    for (int index = 1;; ++index) {
      char name[260] = {};
      char data[1024] = {};
      int type = 0;
      int size = sizeof(data);
      if (!session.front->EnumValue(key, index, name, sizeof(name), &type, data, &size)) break;
      if (type != 1 || TextFor(name) != data) {
        std::fprintf(stderr, "reader: value %s is not whole: %s\n", name, data);
        ++bad;
      }
    }
    session.front->CloseKey(key);
  }
  return bad == 0 ? 0 : 1;
}

// The names of the values of share/stress in the store file, and whether every one is whole.
bool ValuesInFile(const std::string& path, std::set<std::string>* names, std::string* problem) {
  model::Element document;
  if (!model::ReadStoreFile(path, &document, problem)) return false;
  for (const auto& root : document.children) {
    if (root.name != "share") continue;
    for (const auto& key : root.children) {
      if (key.name != "stress") continue;
      for (const auto& value : key.children) {
        if (value.attributes.count("type") == 0) continue;
        if (value.text != TextFor(value.name)) {
          *problem = "value " + value.name + " is not whole";
          return false;
        }
        names->insert(value.name);
      }
    }
  }
  return true;
}

class StoreSharingTest : public ::testing::Test {
 protected:
  std::vector<std::string> PelregSet(int index) const {
    const std::string name = PelregValueName(index);
    return {"--store", path_, "set", "share/stress", name, TextFor(name)};
  }

  TempDir dir_;
  const std::string path_ = dir_.Join("registry.xml");
};

TEST_F(StoreSharingTest, TwentyParallelPelregSetsOnANewStoreAllSurvive) {
  std::vector<ChildProcess> runs(kParallelPelregs);
  for (int i = 0; i < kParallelPelregs; ++i) {
    ASSERT_TRUE(runs[i].Start(ProgramPath("pelreg"), PelregSet(i)));
  }
  for (int i = 0; i < kParallelPelregs; ++i) EXPECT_EQ(0, runs[i].Wait()) << "pelreg " << i;
  std::set<std::string> names;
  std::string problem;
  ASSERT_TRUE(ValuesInFile(path_, &names, &problem)) << problem;
  int lost = 0;
  for (int i = 0; i < kParallelPelregs; ++i) lost += names.count(PelregValueName(i)) == 0;
  EXPECT_EQ(0, lost) << "values lost of " << kParallelPelregs;
}

TEST_F(StoreSharingTest, HostsPelregAndReadersAtOnceLoseNothing) {
  // The store exists before the crowd arrives, as a store in use does.
  ASSERT_EQ(0, [&] {
    ChildProcess first;
    return first.Start(ProgramPath("pelreg"),
                       {"--store", path_, "set", "share/stress", "seed", TextFor("seed")})
               ? first.Wait()
               : -2;
  }());
  std::vector<ChildProcess> hosts(kHostWriters);
  std::vector<ChildProcess> readers(kReaders);
  std::vector<ChildProcess> pelregs(kParallelPelregs);
  for (int i = 0; i < kHostWriters; ++i) {
    ASSERT_TRUE(hosts[i].Start(
        SelfPath(), {"--host-writer", path_, std::to_string(i), std::to_string(kHostValues)}));
  }
  for (int i = 0; i < kReaders; ++i) {
    ASSERT_TRUE(readers[i].Start(SelfPath(), {"--reader", path_, std::to_string(kReaderRounds)}));
  }
  for (int i = 0; i < kParallelPelregs; ++i) {
    ASSERT_TRUE(pelregs[i].Start(ProgramPath("pelreg"), PelregSet(i)));
  }
  for (int i = 0; i < kParallelPelregs; ++i) EXPECT_EQ(0, pelregs[i].Wait()) << "pelreg " << i;
  for (int i = 0; i < kHostWriters; ++i) {
    EXPECT_EQ(0, hosts[i].Wait()) << "host writer " << i << ": failed calls";
  }
  for (int i = 0; i < kReaders; ++i) EXPECT_EQ(0, readers[i].Wait()) << "reader " << i;

  std::set<std::string> names;
  std::string problem;
  ASSERT_TRUE(ValuesInFile(path_, &names, &problem)) << problem;
  int lost = names.count("seed") == 0 ? 1 : 0;
  for (int i = 0; i < kParallelPelregs; ++i) lost += names.count(PelregValueName(i)) == 0;
  for (int w = 0; w < kHostWriters; ++w) {
    for (int i = 0; i < kHostValues; ++i) lost += names.count(HostValueName(w, i)) == 0;
  }
  EXPECT_EQ(0, lost) << "values lost of " << 1 + kParallelPelregs + kHostWriters * kHostValues;
  std::printf("values in the store: %zu, lost: %d\n", names.size(), lost);
}

}  // namespace
}  // namespace test
}  // namespace pelok

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--host-writer") == 0) {
    return pelok::test::RunHostWriter(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  }
  if (argc == 4 && std::strcmp(argv[1], "--reader") == 0) {
    return pelok::test::RunReader(argv[2], std::atoi(argv[3]));
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
