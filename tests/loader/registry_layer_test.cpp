// The C++ layer over the real modules: typed values of every kind, results that say why,
// buffers grown inside, one way to enumerate for every kind, stored sub-keys that are not open,
// and keys that close themselves.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "pelok/registry.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

class RegistryLayerTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(); }

  // A new front on the same store file, as the program's next run would have.
  void Start() {
    registry_.reset();
    framework_.Close();
    ASSERT_TRUE(framework_.Open()) << framework_.error().message;
    registry_ = std::make_unique<Registry>(framework_);
    ASSERT_EQ(Status::kOk, registry_->SetStoreFile(dir_.Join("store.xml")));
  }

  Key Open(const std::string& path, int key_kind = kind::kStored) {
    Result<Key> key = registry_->Open(path, key_kind);
    EXPECT_TRUE(key.ok()) << path << ": " << StatusText(key.status());
    return std::move(key).value();
  }

  test::TempDir dir_;
  Framework framework_;
  std::unique_ptr<Registry> registry_;
};

TEST_F(RegistryLayerTest, TypedValuesRoundTripInEveryKind) {
  for (int key_kind : {kind::kMemory, kind::kStored, kind::kStored3}) {
    SCOPED_TRACE(key_kind);
    Key key = Open("share/app" + std::to_string(key_kind), key_kind);
    EXPECT_EQ(key_kind, key.kind());
    EXPECT_EQ(Status::kOk, key.SetText("title", "Hello, registry"));
    EXPECT_EQ(Status::kOk, key.SetNumber("port", 4294967295u));
    EXPECT_EQ(Status::kOk, key.SetBinary("magic", std::vector<uint8_t>{0x00, 0xFF, 0x10}));
    EXPECT_EQ("Hello, registry", key.GetText("title").value());
    EXPECT_EQ(4294967295u, key.GetNumber("port").value());
    EXPECT_EQ((std::vector<uint8_t>{0x00, 0xFF, 0x10}), key.GetBinary("magic").value());
    EXPECT_EQ(value_type::kUint32, key.TypeOf("port").value());
    // An empty text is a value too (its terminator is stored).
    EXPECT_EQ(Status::kOk, key.SetText("empty", ""));
    EXPECT_EQ("", key.GetText("empty").value());
    EXPECT_TRUE(key.GetText("empty").ok());
  }
}

TEST_F(RegistryLayerTest, ResultsSayWhyThereIsNoValue) {
  Key key = Open("share/app");
  ASSERT_EQ(Status::kOk, key.SetNumber("port", 80));
  EXPECT_EQ(Status::kNotFound, key.GetText("missing").status());
  EXPECT_EQ(Status::kWrongType, key.GetText("port").status());
  EXPECT_EQ(Status::kWrongType, key.GetBinary("port").status());
  EXPECT_EQ(7u, key.GetNumber("missing").value_or(7));
  EXPECT_FALSE(key.Has("missing"));
  EXPECT_TRUE(key.Has("port"));
  EXPECT_EQ(Status::kInvalidArgument, key.SetText("", "x"));
  EXPECT_EQ(Status::kInvalidArgument, key.SetText(std::string("a\0b", 3), "x"));
  EXPECT_EQ(Status::kInvalidArgument, key.SetBinary("nothing", nullptr, 0));
  // A name enumeration could not give back, and text that a NUL would cut.
  EXPECT_EQ(Status::kInvalidArgument, key.SetNumber(std::string(300, 'n'), 1));
  EXPECT_EQ(Status::kInvalidArgument, key.SetText("nul", std::string("a\0b", 3)));
  EXPECT_EQ(Status::kNotFound, key.GetText("nul").status());
  EXPECT_EQ(Status::kInvalidArgument, registry_->Open("nowhere/app").status());
  EXPECT_EQ(Status::kInvalidArgument, registry_->Open("share").status());
  EXPECT_EQ(Status::kInvalidArgument, registry_->Open("share/app", 4).status());
  EXPECT_EQ(Status::kOk, key.Delete("port"));
  EXPECT_EQ(Status::kNotFound, key.Delete("port"));
  Key closed;
  EXPECT_EQ(Status::kFailed, closed.SetNumber("port", 1));
  EXPECT_EQ(Status::kFailed, closed.GetText("port").status());
}

TEST_F(RegistryLayerTest, LargeValuesAreReadWholeWhateverTheirSize) {
  const std::string text(100000, 'x');
  std::vector<uint8_t> bytes(70000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  for (int key_kind : {kind::kMemory, kind::kStored}) {
    SCOPED_TRACE(key_kind);
    Key key = Open("share/big" + std::to_string(key_kind), key_kind);
    ASSERT_EQ(Status::kOk, key.SetText("text", text));
    ASSERT_EQ(Status::kOk, key.SetBinary("bytes", bytes));
    // Compared whole, but not printed whole when they differ.
    EXPECT_TRUE(text == key.GetText("text").value());
    EXPECT_TRUE(bytes == key.GetBinary("bytes").value());
    const std::vector<ValueEntry> values = key.Values().value();
    ASSERT_EQ(2u, values.size());
    for (const ValueEntry& entry : values) {
      if (entry.name == "text") {
        EXPECT_TRUE(text == entry.text());
      } else {
        EXPECT_EQ("bytes", entry.name);
        EXPECT_TRUE(bytes == entry.data);
      }
    }
  }
}

TEST_F(RegistryLayerTest, ValuesEnumerateAlikeInMemoryAndStoredKeys) {
  for (int key_kind : {kind::kMemory, kind::kStored, kind::kStored3}) {
    SCOPED_TRACE(key_kind);
    Key key = Open("share/list" + std::to_string(key_kind), key_kind);
    ASSERT_EQ(Status::kOk, key.SetText("a", "first"));
    ASSERT_EQ(Status::kOk, key.SetNumber("b", 2));
    ASSERT_EQ(Status::kOk, key.SetBinary("c", std::vector<uint8_t>{3}));
    // A sub-key among the values is no value.
    Open(key.path() + "/sub", key_kind);
    std::vector<ValueEntry> values = key.Values().value();
    ASSERT_EQ(3u, values.size());
    std::sort(values.begin(), values.end(),
              [](const ValueEntry& x, const ValueEntry& y) { return x.name < y.name; });
    EXPECT_EQ("a", values[0].name);
    EXPECT_EQ(value_type::kText, values[0].type);
    EXPECT_EQ("first", values[0].text());
    EXPECT_EQ(2u, values[1].number());
    EXPECT_EQ((std::vector<uint8_t>{3}), values[2].data);
  }
}

TEST_F(RegistryLayerTest, StoredSubKeysAreListedWhetherOpenOrNot) {
  {
    Key app = Open("share/app");
    Open("share/app/window");
    Open("share/app/recent/files");
    ASSERT_EQ(Status::kOk, app.SetNumber("value", 1));
  }
  Start();  // nothing is open in the new front
  Key app = Open("share/app");
  std::vector<std::string> names = app.SubKeys().value();
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"recent", "window"}), names);
  EXPECT_TRUE(Open("share/app/window").SubKeys().value().empty());

  // A key deleted in this process is gone from the list at once.
  ASSERT_EQ(Status::kOk, Open("share/app/window").Remove());
  EXPECT_EQ((std::vector<std::string>{"recent"}), app.SubKeys().value());
}

TEST_F(RegistryLayerTest, MemorySubKeysAreTheOpenOnes) {
  Key app = Open("user/app", kind::kMemory);
  Key deep = Open("user/app/a/b", kind::kMemory);
  Key other = Open("user/app/c", kind::kMemory);
  Key unrelated = Open("user/apple", kind::kMemory);
  std::vector<std::string> names = app.SubKeys().value();
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"a", "c"}), names);
}

TEST_F(RegistryLayerTest, ValuesSurviveTheNextRun) {
  {
    Key key = Open("share/settings");
    ASSERT_EQ(Status::kOk, key.SetText("greeting", "hi"));
    ASSERT_EQ(Status::kOk, registry_->Flush());
  }
  Start();
  EXPECT_EQ("hi", Open("share/settings").GetText("greeting").value());
}

TEST_F(RegistryLayerTest, KeysOfOnePathShareTheHandleUntilTheLastCloses) {
  Key first = Open("share/app", kind::kMemory);
  ASSERT_EQ(Status::kOk, first.SetNumber("n", 5));
  {
    Key second = Open("share/app", kind::kMemory);
    EXPECT_EQ(first.handle(), second.handle());
  }
  // The second one's end did not close the key under the first.
  EXPECT_EQ(5u, first.GetNumber("n").value());
  Key moved = std::move(first);
  EXPECT_FALSE(first.is_open());
  EXPECT_EQ(5u, moved.GetNumber("n").value());
  moved.Close();
  EXPECT_FALSE(moved.is_open());
  // Memory values go with their key.
  EXPECT_EQ(Status::kNotFound, Open("share/app", kind::kMemory).GetNumber("n").status());
}

TEST_F(RegistryLayerTest, KeysOfAClosedFrameworkFailAndCloseNothing) {
  Key stored = Open("share/app");
  Key memory = Open("user/app", kind::kMemory);
  ASSERT_EQ(Status::kOk, stored.SetNumber("n", 1));
  framework_.Close();
  EXPECT_EQ(nullptr, registry_->front());
  EXPECT_EQ(Status::kFailed, stored.SetNumber("n", 2));
  EXPECT_EQ(Status::kFailed, memory.GetText("x").status());
  EXPECT_EQ(Status::kFailed, registry_->Open("share/app").status());
  EXPECT_EQ(Status::kFailed, registry_->Flush());
  // A new front is not the old one's either: its handles may have the same numbers.
  ASSERT_TRUE(framework_.Open());
  EXPECT_EQ(nullptr, registry_->front());
  EXPECT_EQ(Status::kFailed, stored.GetNumber("n").status());
  stored.Close();  // nothing to close, and no use of the old front
  memory.Close();
}

TEST_F(RegistryLayerTest, TheStoreFileIsSetOnlyBeforeTheFirstStoredKey) {
  registry_.reset();
  framework_.Close();
  ASSERT_TRUE(framework_.Open());
  Registry registry(framework_);
  // A stored key before any store file opens no store...
  EXPECT_EQ(Status::kFailed, registry.Open("share/early").status());
  // ...and the store stays so: a store file named now would never be used.
  EXPECT_EQ(Status::kFailed, registry.SetStoreFile(dir_.Join("late.xml")));
  EXPECT_EQ("", registry.store_file());

  framework_.Close();
  ASSERT_TRUE(framework_.Open());
  Registry second(framework_);
  ASSERT_EQ(Status::kOk, second.SetStoreFile(dir_.Join("one.xml")));
  ASSERT_TRUE(second.Open("share/app").ok());
  EXPECT_EQ(Status::kFailed, second.SetStoreFile(dir_.Join("two.xml")));
  EXPECT_EQ(dir_.Join("one.xml"), second.store_file());
}

TEST_F(RegistryLayerTest, HasDoesNotEmptyAMemoryValue) {
  Key key = Open("user/app", kind::kMemory);
  ASSERT_EQ(Status::kOk, key.SetText("name", "kept"));
  EXPECT_TRUE(key.Has("name"));
  EXPECT_EQ("kept", key.GetText("name").value());
}

}  // namespace
}  // namespace pelok
