// Opening a store file: a new one, a read-only one, and files that no longer load.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <pugixml.hpp>
#include <string>

#include "platform/win32_api.h"
#include "tests/support/store_component_fixture.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::ReadFileBytes;
using test::StoreComponentTest;
using test::WriteFileBytes;

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
  // The new store is built on nothing of the foreign document.
  pugi::xml_document document;
  ASSERT_TRUE(Parse(&document));
  EXPECT_STREQ("processregister", document.document_element().name());
  EXPECT_TRUE(document.child("settings").empty());
  EXPECT_FALSE(document.document_element().child("share").child("app").empty());
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
