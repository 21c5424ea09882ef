// Keys and values in the store component, and the store file they make.
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

using test::StoreComponentTest;

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

TEST_F(StoreComponentTest, UnknownTypeLeavesTheDocumentAsItWas) {
  ASSERT_EQ(1, Open());
  ASSERT_EQ(1, store_->CreateKeyPath("share/app"));
  ASSERT_EQ(1, store_->SetValue("share/app", "kept", 1, "old", 4));
  const uint32_t data = 9;
  for (int type : {0, 4, 7, 9, -1}) {
    EXPECT_EQ(0, store_->SetValue("share/app", "odd", type, &data, 4)) << type;
    EXPECT_EQ(0, store_->SetValue("share/app", "kept", type, &data, 4)) << type;
  }
  EXPECT_EQ(0, store_->HasValue("share/app", "odd")) << "no element for a value never stored";
  ASSERT_EQ(1, store_->Save());
  pugi::xml_document document;
  ASSERT_TRUE(Parse(&document));
  const pugi::xml_node app = document.document_element().child("share").child("app");
  EXPECT_TRUE(app.child("odd").empty());
  EXPECT_STREQ("1", app.child("kept").attribute("type").value());
  EXPECT_STREQ("4", app.child("kept").attribute("size").value());
  EXPECT_STREQ("old", app.child("kept").text().get());
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

}  // namespace
}  // namespace pelok
