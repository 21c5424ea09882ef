// Values of stored keys survive the registry's shutdown and a fresh start of the module, as a
// host program sees them through the front component.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "pelok/register_front.h"
#include "tests/support/persistence_host.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::RegistryHost;
using test::TempDir;

class PersistenceRoundTripTest : public ::testing::Test {
 protected:
  // A fresh module with its registry on the store file.
  std::unique_ptr<RegistryHost> Start() {
    auto host = std::make_unique<RegistryHost>();
    EXPECT_TRUE(host->ready());
    if (host->ready()) {
      EXPECT_EQ(1, host->front()->SetStoreFile(path_.c_str()));
    }
    return host;
  }
  static uint32_t Key(RegistryHost& host, uint32_t root_code, const char* sub_key, int key_kind) {
    uint32_t key = 0;
    int disposition = 0;
    EXPECT_EQ(1, host.front()->CreateKey(RootOfKind(root_code, key_kind), sub_key, key_kind, 0,
                                         &key, &disposition))
        << sub_key;
    EXPECT_EQ(key_kind, KindOf(key));
    return key;
  }
  static void SetText(RegistryHost& host, uint32_t key, const char* name, const std::string& text) {
    EXPECT_EQ(1,
              host.front()->SetValue(key, name, 1, text.c_str(), static_cast<int>(text.size() + 1)))
        << name;
  }
  // The value's type, size and bytes, read with a buffer of exactly its stored size.
  struct Value {
    int type = 0;
    int size = 0;
    std::string bytes;
  };
  static Value Read(RegistryHost& host, uint32_t key, const char* name) {
    Value value;
    char probe[1];
    value.size = 1;
    host.front()->QueryValue(key, name, &value.type, probe, &value.size);
    std::vector<char> data(static_cast<size_t>(value.size > 4 ? value.size : 4));
    int size = static_cast<int>(data.size());
    EXPECT_EQ(1, host.front()->QueryValue(key, name, &value.type, data.data(), &size)) << name;
    value.size = size;
    value.bytes.assign(data.data(), static_cast<size_t>(size));
    return value;
  }

  TempDir dir_;
  std::string path_ = dir_.Join("registry.xml");
};

TEST_F(PersistenceRoundTripTest, EveryTypeOfBothStoredKindsSurvivesARestart) {
  const unsigned char blob[] = {0x00, 0x7F, 0x80, 0xFF, 0x10};
  {
    auto host = Start();
    const uint32_t app = Key(*host, root::kShare, "App", 2);
    const uint32_t tool = Key(*host, root::kPelok, "tool/cfg", 3);
    SetText(*host, app, "host", "example.org");
    const uint32_t port = 8080;
    EXPECT_EQ(1, host->front()->SetValue(app, "port", 2, &port, 4));
    EXPECT_EQ(1, host->front()->SetValue(app, "blob", 3, blob, sizeof(blob)));
    SetText(*host, tool, "name", "Tool");
    const uint32_t all = 0xFFFFFFFFu;
    EXPECT_EQ(1, host->front()->SetValue(tool, "all", 2, &all, 4));
    EXPECT_EQ(1, host->front()->SetValue(tool, "one", 3, blob, 1));
    EXPECT_EQ(1, host->front()->Flush());
  }
  // Both kinds live in the one store file.
  pugi::xml_document document;
  ASSERT_TRUE(document.load_file(path_.c_str()));
  const pugi::xml_node root = document.document_element();
  EXPECT_FALSE(root.child("share").child("app").child("port").empty());
  EXPECT_FALSE(root.child("pelok").child("tool").child("cfg").child("all").empty());

  auto host = Start();
  const uint32_t app = Key(*host, root::kShare, "app", 2);
  const uint32_t tool = Key(*host, root::kPelok, "tool/cfg", 3);
  Value value = Read(*host, app, "host");
  EXPECT_EQ(1, value.type);
  EXPECT_EQ(std::string("example.org", 12), value.bytes);
  value = Read(*host, app, "port");
  EXPECT_EQ(2, value.type);
  EXPECT_EQ(4, value.size);
  uint32_t number = 0;
  std::memcpy(&number, value.bytes.data(), 4);
  EXPECT_EQ(8080u, number);
  value = Read(*host, app, "blob");
  EXPECT_EQ(3, value.type);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(blob), sizeof(blob)), value.bytes);
  value = Read(*host, tool, "name");
  EXPECT_EQ(std::string("Tool", 5), value.bytes);
  int as_int = 0;
  EXPECT_EQ(1, host->front()->QueryIntValue(tool, "all", &as_int));
  EXPECT_EQ(-1, as_int);
  value = Read(*host, tool, "one");
  EXPECT_EQ(std::string(1, '\0'), value.bytes);
}

TEST_F(PersistenceRoundTripTest, HostileTextComesBackByteForByte) {
  const std::vector<std::string> texts = {
      "<tag attr=\"v\">&amp;</tag>",
      "]]> <![CDATA[ x ]]>",
      "<!-- not a comment --> <?pi?>",
      "\t leading and trailing blanks \t ",
      "   ",
      "\n",
      "line1\r\nline2\rline3\n",
      "\x01\x02\x1f control \x7f",
      "GBK \xC4\xBF\xC2\xBC",
      "UTF-8 \xE4\xB8\xAD\xE6\x96\x87",
      "'single' \"double\"",
      "%s %n %d %%",
      "&#x41; &lt; &unknown;",
      "",
  };
  {
    auto host = Start();
    const uint32_t key = Key(*host, root::kShare, "hostile", 2);
    for (size_t i = 0; i < texts.size(); ++i) {
      SetText(*host, key, ("v" + std::to_string(i)).c_str(), texts[i]);
    }
    EXPECT_EQ(1, host->front()->Flush());
  }
  pugi::xml_document document;
  ASSERT_TRUE(document.load_file(path_.c_str()));

  auto host = Start();
  const uint32_t key = Key(*host, root::kShare, "hostile", 2);
  for (size_t i = 0; i < texts.size(); ++i) {
    const Value value = Read(*host, key, ("v" + std::to_string(i)).c_str());
    EXPECT_EQ(1, value.type);
    EXPECT_EQ(texts[i] + std::string(1, '\0'), value.bytes) << "text " << i;
  }
}

TEST_F(PersistenceRoundTripTest, MegabyteBinaryValueSurvives) {
  std::vector<unsigned char> big(1 << 20);
  uint32_t state = 12345;
  for (auto& byte : big) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<unsigned char>(state >> 16);
  }
  for (int i = 0; i < 256; ++i) big[static_cast<size_t>(i)] = static_cast<unsigned char>(i);
  {
    auto host = Start();
    const uint32_t key = Key(*host, root::kShare, "big", 2);
    ASSERT_EQ(1, host->front()->SetValue(key, "blob", 3, big.data(), static_cast<int>(big.size())));
    EXPECT_EQ(1, host->front()->Flush());
  }
  auto host = Start();
  const uint32_t key = Key(*host, root::kShare, "big", 2);
  std::vector<unsigned char> out(big.size() - 1);
  int type = 0;
  int size = static_cast<int>(out.size());
  EXPECT_EQ(0, host->front()->QueryValue(key, "blob", &type, out.data(), &size));
  EXPECT_EQ(static_cast<int>(big.size()), size);
  out.assign(big.size(), 0);
  size = static_cast<int>(out.size());
  ASSERT_EQ(1, host->front()->QueryBinaryValue(key, "blob", out.data(), &size));
  EXPECT_EQ(static_cast<int>(big.size()), size);
  EXPECT_TRUE(out == big);
}

TEST_F(PersistenceRoundTripTest, DeletedKeysAndValuesStayDeleted) {
  {
    auto host = Start();
    const uint32_t app = Key(*host, root::kShare, "app", 2);
    const uint32_t sub = Key(*host, app, "sub", 2);
    const uint32_t one = 1;
    EXPECT_EQ(1, host->front()->SetValue(app, "keep", 2, &one, 4));
    EXPECT_EQ(1, host->front()->SetValue(app, "drop", 2, &one, 4));
    EXPECT_EQ(1, host->front()->SetValue(sub, "inner", 2, &one, 4));
    EXPECT_EQ(1, host->front()->DeleteValue(app, "drop"));
    EXPECT_EQ(1, host->front()->DeleteKey(sub));
    EXPECT_EQ(1, host->front()->Flush());
  }
  pugi::xml_document document;
  ASSERT_TRUE(document.load_file(path_.c_str()));
  const pugi::xml_node app = document.document_element().child("share").child("app");
  EXPECT_FALSE(app.child("keep").empty());
  EXPECT_TRUE(app.child("drop").empty());
  EXPECT_TRUE(app.child("sub").empty());

  auto host = Start();
  const uint32_t key = Key(*host, root::kShare, "app", 2);
  EXPECT_EQ(1, host->front()->HasValue(key, "keep"));
  EXPECT_EQ(0, host->front()->HasValue(key, "drop"));
  const uint32_t sub = Key(*host, key, "sub", 2);
  EXPECT_EQ(0, host->front()->HasValue(sub, "inner"));
}

TEST_F(PersistenceRoundTripTest, EnumValueListsValuesButNotSubKeys) {
  {
    auto host = Start();
    const uint32_t app = Key(*host, root::kShare, "app", 2);
    Key(*host, app, "child", 2);
    SetText(*host, app, "a", "first");
    const uint32_t two = 2;
    EXPECT_EQ(1, host->front()->SetValue(app, "b", 2, &two, 4));
  }
  auto host = Start();
  const uint32_t app = Key(*host, root::kShare, "app", 2);
  std::vector<std::string> names;
  for (int index = 1; index < 10; ++index) {
    char name[64] = {};
    char data[64] = {};
    int type = 0;
    int size = sizeof(data);
    if (!host->front()->EnumValue(app, index, name, sizeof(name), &type, data, &size)) break;
    names.push_back(name);
    if (names.back() == "a") {
      EXPECT_EQ(1, type);
      EXPECT_STREQ("first", data);
    }
  }
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), names);
  char name[64] = "x";
  char data[8];
  int type = 0;
  int size = sizeof(data);
  EXPECT_EQ(0, host->front()->EnumValue(app, 0, name, sizeof(name), &type, data, &size));
}

}  // namespace
}  // namespace pelok
