// Crash safety of the store file: a child process writes generation after generation of values
// and flushes each; it is killed (SIGKILL, or TerminateProcess on Windows) at a random moment,
// hundreds of times. After every kill the store must load and hold exactly one whole
// generation, never older than the last one seen. The store is read as the document module reads
// it: the file and its journal, to which each flush appends a record; the journal is folded into
// the file every dozen generations or so, so that the kills fall into appends and into folds
// alike. A killed append is only ever a record cut short: nothing is ever set aside.
//
// A second writer process on another key of the same file runs beside it all the while, so that
// the killed writer's saves are merges: after every kill both keys hold one whole generation,
// neither older than seen before; and the temporary files of the killed saves are gone once the
// store is opened again.
//
// The test program is its own writer: run with --writer FILE [KEY] it writes until it is killed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "pelok/register_front.h"
#include "tests/support/model_store.h"
#include "tests/support/pelreg_module.h"
#include "tests/support/temp_dir.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace pelok {
namespace test {
namespace {

#if defined(_WIN32)
constexpr int kKills = 60;  // Wine starts processes slowly
#else
constexpr int kKills = 300;
#endif
constexpr int kValues = 20;
constexpr uint32_t kShareStored = 0xbffffff3u;

std::string ValueText(int generation, int index) {
  return "g" + std::to_string(generation) + "-v" + std::to_string(index) + "-" +
         std::string(150 + index * 7, static_cast<char>('a' + index));
}

std::string ReadyFile(const std::string& path, const std::string& key) {
  return path + "." + key + ".ready";
}

// The writer: generation after generation, each flushed, until killed.
int RunWriter(const std::string& path, const std::string& key_name) {
  PelRegModule module;
  if (!module.complete()) return 3;
  module.SetDLLRegistry(BinPath("Pelok.ini").c_str());
  auto* front =
      static_cast<IRegisterFront*>(module.CreateComponent(component_id::kRegisterFront, 0));
  if (front == nullptr || !front->SetStoreFile(path.c_str())) return 4;
  uint32_t key = 0;
  int disposition = 0;
  if (!front->CreateKey(kShareStored, key_name.c_str(), 2, 0, &key, &disposition)) return 5;
  int generation = 0;
  front->QueryIntValue(key, "generation", &generation);
  bool ready = false;
  for (;;) {
    ++generation;
    for (int i = 0; i < kValues; ++i) {
      const std::string text = ValueText(generation, i);
      const std::string name = "v" + std::to_string(i);
      front->SetValue(key, name.c_str(), 1, text.c_str(), static_cast<int>(text.size() + 1));
    }
    front->SetValue(key, "generation", 2, &generation, 4);
    if (!front->Flush()) return 6;
    if (!ready) {
      ready = WriteFileBytes(ReadyFile(path, key_name), "1");
    }
  }
}

#if defined(_WIN32)
struct Writer {
  PROCESS_INFORMATION process{};
};

bool StartWriter(const std::string& path, const std::string& key, Writer* writer) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self + "\" --writer \"" + path + "\" " + key;
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  return CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &writer->process) != 0;
}

// Kills the writer; false when it had ended on its own.
bool KillWriter(Writer* writer) {
  const bool running = WaitForSingleObject(writer->process.hProcess, 0) == WAIT_TIMEOUT;
  TerminateProcess(writer->process.hProcess, 9);
  WaitForSingleObject(writer->process.hProcess, INFINITE);
  CloseHandle(writer->process.hProcess);
  CloseHandle(writer->process.hThread);
  return running;
}
#else
struct Writer {
  pid_t pid = -1;
};

bool StartWriter(const std::string& path, const std::string& key, Writer* writer) {
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
  if (length <= 0) return false;
  self[length] = 0;
  writer->pid = fork();
  if (writer->pid == 0) {
    execl(self, self, "--writer", path.c_str(), key.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return writer->pid > 0;
}

bool KillWriter(Writer* writer) {
  int status = 0;
  const bool running = waitpid(writer->pid, &status, WNOHANG) == 0;
  if (running) {
    kill(writer->pid, SIGKILL);
    waitpid(writer->pid, &status, 0);
  }
  return running;
}
#endif

// The generation the store file holds whole under share/KEY, or -1 with *problem set.
int GenerationInFile(const std::string& path, std::string* problem,
                     const std::string& key_name = "crash") {
  model::Element document;
  if (!model::ReadStoreFile(path, &document, problem)) return -1;
  const model::Element* key = nullptr;
  for (const auto& root : document.children) {
    if (root.name != "share") continue;
    for (const auto& child : root.children) {
      if (child.name == key_name) key = &child;
    }
  }
  if (key == nullptr) return 0;
  if (key->children.empty()) return 0;  // the key before its first flush
  int generation = -1;
  for (const auto& value : key->children) {
    if (value.name == "generation") generation = model::ParseInt(value.text);
  }
  if (generation < 0) {
    *problem = "no generation value";
    return -1;
  }
  for (int i = 0; i < kValues; ++i) {
    const std::string name = "v" + std::to_string(i);
    bool found = false;
    for (const auto& value : key->children) {
      if (value.name != name) continue;
      found = true;
      if (value.text != ValueText(generation, i)) {
        *problem = name + " is not of generation " + std::to_string(generation);
        return -1;
      }
    }
    if (!found) {
      *problem = name + " is missing";
      return -1;
    }
  }
  return generation;
}

// Whether a killed save left anything set aside: a journal (or part of one) or the store file.
void ExpectNothingSetAside(const TempDir& dir, int kills) {
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    ASSERT_EQ(std::string::npos, name.find(".corrupt-")) << "the store file was set aside";
    if (name.find(".damaged-") != std::string::npos) {
      std::string bytes;
      ReadFileBytes(entry.path().string(), &bytes);
      std::string hex;
      for (size_t i = 0; i < bytes.size() && i < 96; ++i) {
        char h[4];
        std::snprintf(h, sizeof(h), "%02x", static_cast<unsigned char>(bytes[i]));
        hex += h;
      }
      std::string journal;
      ReadFileBytes(dir.Join("registry.xml.journal"), &journal);
      FAIL() << "a journal was set aside after kill " << kills << ": " << bytes.size()
             << " bytes: " << hex << " (the journal now " << journal.size() << " bytes)";
    }
  }
}

TEST(CrashStoreTest, AKilledWriterLeavesTheOldOrTheNewContent) {
  TempDir dir;
  const std::string path = dir.Join("registry.xml");
  std::mt19937 random(20261208);
  int last = 0, kills = 0, advanced = 0;
  // Kills after which a journal stood beside the file, and rounds in which the file was written
  // again (a fold).
  int with_journal = 0, folds = 0;
  std::string file_before;
  for (int round = 0; round < kKills; ++round) {
    std::filesystem::remove(ReadyFile(path, "crash"));
    Writer writer;
    ASSERT_TRUE(StartWriter(path, "crash", &writer));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!FileExistsAt(ReadyFile(path, "crash")) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
    ASSERT_TRUE(KillWriter(&writer)) << "the writer ended before it was killed, round " << round;
    ++kills;
    std::string problem;
    const int generation = GenerationInFile(path, &problem);
    ASSERT_GE(generation, 0) << "after kill " << kills << ": " << problem;
    ASSERT_GE(generation, last) << "after kill " << kills << ": an older generation came back";
    if (generation > last) ++advanced;
    last = generation;
    ExpectNothingSetAside(dir, kills);
    if (FileExistsAt(path + ".journal")) ++with_journal;
    std::string file_now;
    ReadFileBytes(path, &file_now);
    if (file_now != file_before) ++folds;
    file_before = file_now;
    // A killed save leaves its temporary file behind; it is never read.
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      const std::string name = entry.path().filename().string();
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) {
        std::filesystem::remove(entry.path());
      }
    }
  }
  std::printf(
      "kills survived: %d (the store moved on %d times, to generation %d; %d kills with a "
      "journal, the file written whole in %d rounds)\n",
      kills, advanced, last, with_journal, folds);
  // The kills fell into appends and into folds.
  EXPECT_GT(with_journal, kills / 4);
  EXPECT_GT(folds, 2);
}

bool WaitReady(const std::string& path, const std::string& key) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!FileExistsAt(ReadyFile(path, key))) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

TEST(CrashStoreTest, AKilledWriterWhoseSavesMergeLosesNothingOfTheOther) {
  TempDir dir;
  const std::string path = dir.Join("registry.xml");
  std::mt19937 random(20261209);
  Writer partner;
  ASSERT_TRUE(StartWriter(path, "partner", &partner));
  // Killed however the test ends.
  struct PartnerGuard {
    Writer* writer;
    bool armed = true;
    ~PartnerGuard() {
      if (armed) KillWriter(writer);
    }
  } guard{&partner};
  ASSERT_TRUE(WaitReady(path, "partner"));
  int last = 0, last_partner = 0, kills = 0;
  for (int round = 0; round < kKills / 2; ++round) {
    std::filesystem::remove(ReadyFile(path, "crash"));
    Writer writer;
    ASSERT_TRUE(StartWriter(path, "crash", &writer));
    ASSERT_TRUE(WaitReady(path, "crash")) << "round " << round;
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
    ASSERT_TRUE(KillWriter(&writer)) << "the writer ended before it was killed, round " << round;
    ++kills;
    std::string problem;
    // Read through the module, which reads the file and its journal under the file's lock (Wine
    // replaces a file by removing the old one first, and a reader without the lock may meet
    // neither).
    const int generation = GenerationInFile(path, &problem, "crash");
    const int partner_generation = GenerationInFile(path, &problem, "partner");
    ExpectNothingSetAside(dir, kills);
    ASSERT_GE(generation, 0) << "after kill " << kills << ": " << problem;
    ASSERT_GE(generation, last) << "after kill " << kills << ": an older generation came back";
    last = generation;
    ASSERT_GE(partner_generation, 0) << "after kill " << kills << ": " << problem;
    ASSERT_GE(partner_generation, last_partner) << "after kill " << kills << ": partner went back";
    last_partner = partner_generation;
  }
  guard.armed = false;
  ASSERT_TRUE(KillWriter(&partner)) << "the partner ended on its own";
  std::string problem;
  ASSERT_GE(GenerationInFile(path, &problem, "crash"), last) << problem;
  ASSERT_GE(GenerationInFile(path, &problem, "partner"), last_partner) << problem;
  EXPECT_GT(last_partner, 0) << "the partner saved while the other was killed";

  // Opening the store again removes the temporary files the killed saves left.
  {
    PelRegModule module;
    ASSERT_TRUE(module.complete());
    module.SetDLLRegistry(BinPath("Pelok.ini").c_str());
    auto* front =
        static_cast<IRegisterFront*>(module.CreateComponent(component_id::kRegisterFront, 0));
    ASSERT_NE(nullptr, front);
    ASSERT_NE(0, front->SetStoreFile(path.c_str()));
    uint32_t key = 0;
    int disposition = 0;
    ASSERT_NE(0, front->CreateKey(kShareStored, "crash", 2, 0, &key, &disposition));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      const std::string name = entry.path().filename().string();
      EXPECT_FALSE(name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0)
          << name << " is left after the store was opened again";
    }
    front->Destroy(1);
  }
  std::printf("kills survived beside a merging partner: %d (generations %d and %d)\n", kills, last,
              last_partner);
}

}  // namespace
}  // namespace test
}  // namespace pelok

int main(int argc, char** argv) {
  if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--writer") == 0) {
    return pelok::test::RunWriter(argv[2], argc == 4 ? argv[3] : "crash");
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
