// Copying out of the document: a name, text or attribute is copied with its terminator only
// when both fit in the caller's length; otherwise the result is 0 and the buffer is untouched.
#include <cstring>
#include <string>

#include "gtest/gtest.h"
#include "tests/support/xml_document_fixture.h"

namespace pelok {
namespace test {
namespace {

class XmlDocumentBufferTest : public XmlDocumentTest {
 protected:
  void SetUp() override {
    XmlDocumentTest::SetUp();
    document_ = NewStoreDocument(dir_.Join("store.xml"));
    ASSERT_NE(nullptr, document_);
    ASSERT_NE(0, document_->AddElem("value", "", 0));
    ASSERT_NE(0, document_->SetAttrib("type", 1));
    ASSERT_NE(0, document_->SetAttrib("size", 123456));
    ASSERT_NE(0, document_->SetData("12345"));
    document_->OutOfElem();
    document_->IntoElem();
  }

  IXmlDocument* document_ = nullptr;
};

// Calls get(buf, len) on a buffer of '#' and returns the result; *out is the buffer's content.
template <class Get>
int CopyInto(Get get, int len, std::string* out) {
  char buf[32];
  std::memset(buf, '#', sizeof(buf));
  const int result = get(buf, len);
  out->assign(buf, sizeof(buf));
  return result;
}

TEST_F(XmlDocumentBufferTest, EachCopyNeedsRoomForTheTerminator) {
  ASSERT_NE(0, document_->FindElem("value"));
  const std::string untouched(32, '#');
  std::string out;

  auto tag = [&](char* buf, int len) { return document_->GetTagName(buf, len); };
  EXPECT_EQ(0, CopyInto(tag, 5, &out));
  EXPECT_EQ(untouched, out);
  EXPECT_NE(0, CopyInto(tag, 6, &out));
  EXPECT_EQ(std::string("value\0", 6), out.substr(0, 6));
  EXPECT_EQ('#', out[6]) << "nothing is written past the terminator";

  auto data = [&](char* buf, int len) { return document_->GetData(buf, len); };
  EXPECT_EQ(0, CopyInto(data, 5, &out));
  EXPECT_EQ(untouched, out);
  EXPECT_NE(0, CopyInto(data, 6, &out));
  EXPECT_EQ(std::string("12345\0", 6), out.substr(0, 6));

  auto size = [&](char* buf, int len) { return document_->GetAttrib("size", buf, len); };
  EXPECT_EQ(0, CopyInto(size, 6, &out));
  EXPECT_EQ(untouched, out);
  EXPECT_NE(0, CopyInto(size, 7, &out));
  EXPECT_EQ(std::string("123456\0", 7), out.substr(0, 7));

  document_->ResetPos();
  document_->FindElem("processregister");
  document_->IntoElem();
  auto child = [&](char* buf, int len) { return document_->GetChildNameByIndex(1, buf, len); };
  EXPECT_EQ(0, CopyInto(child, 5, &out));
  EXPECT_EQ(untouched, out);
  EXPECT_NE(0, CopyInto(child, 6, &out));
  EXPECT_EQ(std::string("value\0", 6), out.substr(0, 6));
}

TEST_F(XmlDocumentBufferTest, NullOrEmptyBuffersAreRefused) {
  ASSERT_NE(0, document_->FindElem("value"));
  char buf[8] = "keep";
  EXPECT_EQ(0, document_->GetTagName(nullptr, 10));
  EXPECT_EQ(0, document_->GetTagName(buf, 0));
  EXPECT_EQ(0, document_->GetTagName(buf, -1));
  EXPECT_EQ(0, document_->GetData(nullptr, 10));
  EXPECT_EQ(0, document_->GetAttrib("type", buf, 0));
  EXPECT_EQ(0, document_->GetAttrib(nullptr, buf, sizeof(buf)));
  EXPECT_STREQ("keep", buf);
}

TEST_F(XmlDocumentBufferTest, AnEmptyTextIsAnEmptyStringAndAMissingAttributeFails) {
  ASSERT_NE(0, document_->AddElem("empty", "", 0));
  EXPECT_EQ("", Data(document_));
  EXPECT_EQ("<failed>", Attrib(document_, "type"));
}

TEST_F(XmlDocumentBufferTest, SetAttribWritesTheSignedDecimalTextAndReplaces) {
  ASSERT_NE(0, document_->FindElem("value"));
  ASSERT_NE(0, document_->SetAttrib("size", -2147483647 - 1));
  EXPECT_EQ("-2147483648", Attrib(document_, "size"));
  ASSERT_NE(0, document_->SetAttrib("size", 0));
  EXPECT_EQ("0", Attrib(document_, "size"));
  EXPECT_EQ(0, document_->SetAttrib("not a name", 1));
  EXPECT_EQ(0, document_->SetAttrib(nullptr, 1));
}

}  // namespace
}  // namespace test
}  // namespace pelok
