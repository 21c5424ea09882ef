// The store component (1139) of the real module, driven through its interface, with the real
// XML document component behind it; the store file is read back with pugixml.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "platform/win32_api.h"
#include "store/register_store.h"
#include "tests/persistence_host.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::ReadFileBytes;
using test::RegistryHost;
using test::TempDir;
using test::WriteFileBytes;

class StoreComponentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.ready());
    store_ = static_cast<IRegisterStore*>(host_.Create(component_id::kXmlRegisterStore));
    ASSERT_NE(nullptr, store_);
    path_ = dir_.Join("registry.xml");
  }
  void TearDown() override { CloseStore(); }

  void CloseStore() {
    if (store_ != nullptr) store_->Destroy(0);
    store_ = nullptr;
  }
  int Open() { return store_->OpenStoreFile(path_.c_str()); }

  // The store file as pugixml reads it; fails the test when it does not load.
  bool Parse(pugi::xml_document* document) {
    const pugi::xml_parse_result result =
        document->load_file(path_.c_str(), pugi::parse_default | pugi::parse_declaration);
    EXPECT_TRUE(result) << result.description();
    return static_cast<bool>(result);
  }
  std::string FileBytes() {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path_, &bytes));
    return bytes;
  }
  // Names of the files in the store's directory that begin with prefix.
  std::vector<std::string> FilesStartingWith(const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      const std::string name = entry.path().filename().string();
      if (name.compare(0, prefix.size(), prefix) == 0) names.push_back(name);
    }
    return names;
  }

  int SetNumber(const char* key, const char* name, uint32_t number, unsigned size = 4) {
    return store_->SetValue(key, name, 2, &number, size);
  }

  TempDir dir_;
  RegistryHost host_;
  IRegisterStore* store_ = nullptr;
  std::string path_;
};

TEST_F(StoreComponentTest, NewStoreFileHoldsTheDeclarationAndAnEmptyRegister) {
  ASSERT_EQ(1, Open());
  pugi::xml_document document;
  ASSERT_TRUE(Parse(&document));
  const pugi::xml_node declaration = document.first_child();
  EXPECT_EQ(pugi::node_declaration, declaration.type());
  EXPECT_STREQ("1.0", declaration.attribute("version").value());
  const pugi::xml_node root = document.document_element();
  EXPECT_STREQ("processregister", root.name());
  EXPECT_TRUE(root.first_attribute().empty());
  EXPECT_TRUE(root.first_child().empty());

  // No key exists until CreateKeyPath has made it.
  EXPECT_EQ(0, SetNumber("pelok", "port", 1));
  EXPECT_EQ(0, store_->HasValue("pelok", "port"));
}

TEST_F(StoreComponentTest, CreateKeyPathAddsTheMissingElementsOnceAndSaves) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("pelok/a/b"));
  ASSERT_EQ(1, store_->CreateKeyPath("pelok/a/b"));
  ASSERT_EQ(1, store_->CreateKeyPath("pelok/c"));
  pugi::xml_document document;
  ASSERT_TRUE(Parse(&document));
  const pugi::xml_node pelok = document.document_element().child("pelok");
  EXPECT_EQ(
      1u, static_cast<size_t>(std::distance(document.document_element().children("pelok").begin(),
                                            document.document_element().children("pelok").end())));
  EXPECT_FALSE(pelok.child("a").child("b").empty());
  EXPECT_TRUE(pelok.child("a").child("b").next_sibling("b").empty());
  EXPECT_FALSE(pelok.child("c").empty());
}

TEST_F(StoreComponentTest, ValuesAreElementsWithTypeSizeAndText) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("pelok/net"));
  ASSERT_EQ(1, SetNumber("pelok/net", "port", 8080));
  ASSERT_EQ(1, SetNumber("pelok/net", "all", 4294967295u));
  const unsigned char bytes[] = {0x01, 0xAB};
  ASSERT_EQ(1, store_->SetValue("pelok/net", "blob", 3, bytes, 2));
  ASSERT_EQ(1, store_->SetValue("pelok/net", "host", 1, "example", 8));
  ASSERT_EQ(1, store_->Save());

  pugi::xml_document document;
  ASSERT_TRUE(Parse(&document));
  const pugi::xml_node net = document.document_element().child("pelok").child("net");
  EXPECT_STREQ("2", net.child("port").attribute("type").value());
  EXPECT_STREQ("4", net.child("port").attribute("size").value());
  EXPECT_STREQ("8080", net.child("port").text().get());
  EXPECT_STREQ("4294967295", net.child("all").text().get());
  EXPECT_STREQ("3", net.child("blob").attribute("type").value());
  EXPECT_STREQ("2", net.child("blob").attribute("size").value());
  EXPECT_STREQ("01AB", net.child("blob").text().get());
  EXPECT_STREQ("1", net.child("host").attribute("type").value());
  EXPECT_STREQ("8", net.child("host").attribute("size").value());
  EXPECT_STREQ("example", net.child("host").text().get());
}

TEST_F(StoreComponentTest, QueryReadsBackEveryType) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("pelok/a"));
  ASSERT_EQ(1, SetNumber("pelok/a", "all", 4294967295u));
  const unsigned char bytes[] = {0x01, 0xAB};
  ASSERT_EQ(1, store_->SetValue("pelok/a", "blob", 3, bytes, 2));

  int type = 0;
  uint32_t number = 0;
  unsigned size = 4;
  ASSERT_EQ(1, store_->QueryValue("pelok/a", "all", &type, &number, &size));
  EXPECT_EQ(2, type);
  EXPECT_EQ(4u, size);
  EXPECT_EQ(0xFFFFFFFFu, number);

  unsigned char out[2] = {};
  size = 2;
  ASSERT_EQ(1, store_->QueryValue("pelok/a", "blob", &type, out, &size));
  EXPECT_EQ(3, type);
  EXPECT_EQ(0x01, out[0]);
  EXPECT_EQ(0xAB, out[1]);

  // Too small: the stored size comes back so that the caller learns what it needs.
  unsigned char small[1] = {0x55};
  size = 1;
  type = 0;
  EXPECT_EQ(0, store_->QueryValue("pelok/a", "blob", &type, small, &size));
  EXPECT_EQ(3, type);
  EXPECT_EQ(2u, size);
  EXPECT_EQ(0x55, small[0]);
}

TEST_F(StoreComponentTest, TrailingSlashWalksToTheSameKey) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("pelok/a/"));
  ASSERT_EQ(1, SetNumber("pelok/a/", "n", 5));
  EXPECT_EQ(1, store_->HasValue("pelok/a", "n"));
}

TEST_F(StoreComponentTest, SettingAValueAgainReplacesItInPlace) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  ASSERT_EQ(1, SetNumber("share/app", "v", 1));
  ASSERT_EQ(1, store_->SetValue("share/app", "v", 1, "text", 5));
  ASSERT_EQ(1, store_->Save());
  pugi::xml_document document;
  ASSERT_TRUE(Parse(&document));
  const pugi::xml_node app = document.document_element().child("share").child("app");
  EXPECT_TRUE(app.child("v").next_sibling("v").empty());
  EXPECT_STREQ("1", app.child("v").attribute("type").value());
  EXPECT_STREQ("5", app.child("v").attribute("size").value());
  EXPECT_STREQ("text", app.child("v").text().get());
}

TEST_F(StoreComponentTest, UnknownTypeWritesTheAttributesButNoText) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  const uint32_t data = 9;
  EXPECT_EQ(0, store_->SetValue("share/app", "odd", 7, &data, 4));
  ASSERT_EQ(1, store_->Save());
  pugi::xml_document document;
  ASSERT_TRUE(Parse(&document));
  const pugi::xml_node odd = document.document_element().child("share").child("app").child("odd");
  EXPECT_STREQ("7", odd.attribute("type").value());
  EXPECT_STREQ("4", odd.attribute("size").value());
  EXPECT_STREQ("", odd.text().get());
}

TEST_F(StoreComponentTest, ValueAndSubKeyShareOneNameSpace) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app/same"));
  // The first element named "same" is the sub-key, which has no "type".
  int type = -1;
  uint32_t data = 0;
  unsigned size = 4;
  EXPECT_EQ(1, store_->HasValue("share/app", "same"));
  EXPECT_EQ(0, store_->QueryValue("share/app", "same", &type, &data, &size));
  EXPECT_EQ(-1, type);
}

TEST_F(StoreComponentTest, RefusedArgumentsChangeNothing) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  const uint32_t number = 1;
  EXPECT_EQ(0, store_->SetValue(nullptr, "v", 2, &number, 4));
  EXPECT_EQ(0, store_->SetValue("share/app", nullptr, 2, &number, 4));
  EXPECT_EQ(0, store_->SetValue("share/app", "v", 2, nullptr, 4));
  EXPECT_EQ(0, store_->SetValue("share/app", "v", 2, &number, 0));
  EXPECT_EQ(0, store_->HasValue("share/app", "v"));
  int type = 0;
  uint32_t out = 0;
  unsigned size = 0;
  EXPECT_EQ(0, store_->QueryValue("share/app", "v", &type, &out, &size));
  EXPECT_EQ(0, store_->QueryValue("share/app", "v", &type, &out, nullptr));
  char name[16];
  EXPECT_EQ(0, store_->GetChildName("share", 0, name, sizeof(name)));
  EXPECT_EQ(0, store_->GetValueName("share", 1, name, 0));
}

TEST_F(StoreComponentTest, NumberNeverWritesPastASmallerBuffer) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  // Stored with size 1: only that byte of the caller's number is read.
  const unsigned char one_byte = 0x7F;
  ASSERT_EQ(1, store_->SetValue("share/app", "n", 2, &one_byte, 1));
  unsigned char buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  int type = 0;
  unsigned size = 1;
  EXPECT_EQ(0, store_->QueryValue("share/app", "n", &type, buffer, &size));
  EXPECT_EQ(2, type);
  EXPECT_EQ(4u, size);  // what a number needs
  EXPECT_EQ(0xEE, buffer[0]);
  EXPECT_EQ(0xEE, buffer[1]);

  uint32_t number = 0;
  size = 4;
  ASSERT_EQ(1, store_->QueryValue("share/app", "n", &type, &number, &size));
  EXPECT_EQ(0x7Fu, number);
  EXPECT_EQ(1u, size);  // the stored size
}

TEST_F(StoreComponentTest, BinaryNeverWritesMoreThanTheCapacity) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  const unsigned char bytes[] = {1, 2, 3};
  ASSERT_EQ(1, store_->SetValue("share/app", "b", 3, bytes, 3));
  unsigned char buffer[8];
  std::memset(buffer, 0xEE, sizeof(buffer));
  int type = 0;
  unsigned size = 5;  // larger than stored, smaller than the array
  ASSERT_EQ(1, store_->QueryValue("share/app", "b", &type, buffer, &size));
  EXPECT_EQ(3u, size);
  const unsigned char expected[8] = {1, 2, 3, 0, 0, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(0, std::memcmp(expected, buffer, sizeof(buffer)));
}

TEST_F(StoreComponentTest, DeleteKeyRemovesEverythingBelowIt) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app/sub"));
  ASSERT_EQ(1, SetNumber("share/app/sub", "n", 1));
  ASSERT_EQ(1, SetNumber("share/app", "m", 2));
  ASSERT_EQ(1, store_->DeleteKey("share/app"));
  EXPECT_EQ(0, store_->HasValue("share/app", "m"));
  ASSERT_EQ(1, store_->Save());
  pugi::xml_document document;
  ASSERT_TRUE(Parse(&document));
  EXPECT_TRUE(document.document_element().child("share").child("app").empty());
  EXPECT_FALSE(document.document_element().child("share").empty());
}

TEST_F(StoreComponentTest, DeleteKeyOfTheEmptyPathKeepsTheRegister) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  EXPECT_EQ(0, store_->DeleteKey(""));
  EXPECT_EQ(0, store_->DeleteKey(nullptr));
  ASSERT_EQ(1, store_->Save());
  pugi::xml_document document;
  ASSERT_TRUE(Parse(&document));
  EXPECT_FALSE(document.document_element().child("share").child("app").empty());
}

TEST_F(StoreComponentTest, DeleteValueRemovesOnlyThatValue) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  ASSERT_EQ(1, SetNumber("share/app", "a", 1));
  ASSERT_EQ(1, SetNumber("share/app", "b", 2));
  EXPECT_EQ(1, store_->DeleteValue("share/app", "a"));
  EXPECT_EQ(0, store_->DeleteValue("share/app", "a"));
  EXPECT_EQ(0, store_->HasValue("share/app", "a"));
  EXPECT_EQ(1, store_->HasValue("share/app", "b"));
}

TEST_F(StoreComponentTest, ChildNamesCountKeysAndValuesValueNamesOnlyValues) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app/sub"));
  ASSERT_EQ(1, SetNumber("share/app", "first", 1));
  ASSERT_EQ(1, SetNumber("share/app", "second", 2));
  char name[32] = {};
  ASSERT_EQ(1, store_->GetChildName("share/app", 1, name, sizeof(name)));
  EXPECT_STREQ("sub", name);
  ASSERT_EQ(1, store_->GetChildName("share/app", 3, name, sizeof(name)));
  EXPECT_STREQ("second", name);
  EXPECT_EQ(0, store_->GetChildName("share/app", 4, name, sizeof(name)));

  ASSERT_EQ(1, store_->GetValueName("share/app", 1, name, sizeof(name)));
  EXPECT_STREQ("first", name);
  ASSERT_EQ(1, store_->GetValueName("share/app", 2, name, sizeof(name)));
  EXPECT_STREQ("second", name);
  EXPECT_EQ(0, store_->GetValueName("share/app", 3, name, sizeof(name)));
}

TEST_F(StoreComponentTest, NamesTheFileCouldNotLoadAreRefused) {
  ASSERT_EQ(1, Open());
  EXPECT_EQ(0, store_->CreateKeyPath("share/1abc"));
  EXPECT_EQ(0, store_->CreateKeyPath("share//x"));
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  EXPECT_EQ(0, SetNumber("share/app", "my value", 1));
  EXPECT_EQ(0, SetNumber("share/app", "a<b", 1));
  ASSERT_EQ(1, store_->Save());
  pugi::xml_document document;
  EXPECT_TRUE(Parse(&document));
}

TEST_F(StoreComponentTest, ReadOnlyStoreFileIsMadeWritableAndLoaded) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  ASSERT_EQ(1, SetNumber("share/app", "n", 42));
  CloseStore();
  ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));

  store_ = static_cast<IRegisterStore*>(host_.Create(component_id::kXmlRegisterStore));
  ASSERT_NE(nullptr, store_);
  ASSERT_EQ(1, Open());
  EXPECT_EQ(0u, GetFileAttributesA(path_.c_str()) & FILE_ATTRIBUTE_READONLY);
  uint32_t number = 0;
  int type = 0;
  unsigned size = 4;
  ASSERT_EQ(1, store_->QueryValue("share/app", "n", &type, &number, &size));
  EXPECT_EQ(42u, number);
  ASSERT_EQ(1, SetNumber("share/app", "n", 43));
  EXPECT_EQ(1, store_->Save());
}

TEST_F(StoreComponentTest, UnloadableFileIsKeptAsideAndReplaced) {
  const std::string damaged = "<?xml version=\"1.0\"?><processregister><share><app>";
  ASSERT_TRUE(WriteFileBytes(path_, damaged));
  ASSERT_EQ(1, Open());
  const auto kept = FilesStartingWith("registry.xml.corrupt-");
  ASSERT_EQ(1u, kept.size());
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(dir_.Join(kept[0]), &bytes));
  EXPECT_EQ(damaged, bytes);
  // "registry.xml.corrupt-" and YYYYMMDD-HHMMSS-mmm
  EXPECT_EQ(21u + 19u, kept[0].size());

  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  ASSERT_EQ(1, SetNumber("share/app", "n", 1));
  EXPECT_EQ(1, store_->Save());
  pugi::xml_document document;
  ASSERT_TRUE(Parse(&document));
}

TEST_F(StoreComponentTest, EmptyOrForeignFileIsKeptAsideAndReplaced) {
  ASSERT_TRUE(WriteFileBytes(path_, ""));
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  CloseStore();

  const std::string foreign = "<?xml version=\"1.0\"?><settings><a/></settings>";
  ASSERT_TRUE(WriteFileBytes(path_, foreign));
  store_ = static_cast<IRegisterStore*>(host_.Create(component_id::kXmlRegisterStore));
  ASSERT_NE(nullptr, store_);
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  EXPECT_EQ(2u, FilesStartingWith("registry.xml.corrupt-").size());
}

TEST_F(StoreComponentTest, StoreFileThatCannotBeKeptAsideIsNeverWrittenOver) {
  // So long a name that no ".corrupt-" name fits beside it: the store stays unopened.
  const size_t room = kPathBufferSize - 1 - dir_.path().size() - 1;
  ASSERT_GT(room, 60u);
  path_ = dir_.Join(std::string(room - 10, 'r') + ".xml");
  const std::string damaged = "<processregister><share>";
  ASSERT_TRUE(WriteFileBytes(path_, damaged));
  EXPECT_EQ(0, Open());
  EXPECT_EQ(0, store_->CreateKeyPath("share/app"));
  EXPECT_EQ(0, SetNumber("share", "n", 1));
  EXPECT_EQ(0, store_->Save());
  CloseStore();
  EXPECT_EQ(damaged, FileBytes());
}

TEST_F(StoreComponentTest, UnopenedStoreFailsEveryOperation) {
  EXPECT_EQ(0, store_->CreateKeyPath("share/app"));
  EXPECT_EQ(0, SetNumber("share/app", "n", 1));
  EXPECT_EQ(0, store_->Save());
  EXPECT_EQ(0, store_->OpenStoreFile(nullptr));
}

}  // namespace
}  // namespace pelok
