// A file that does not load is never overwritten: after a failed Load the document refuses to
// Save over that file until a Load succeeds, so that a store file that merely could not be read
// is not replaced by an empty document.
#include <string>

#include "gtest/gtest.h"
#include "tests/support/xml_document_fixture.h"

namespace pelok {
namespace test {
namespace {

using XmlDocumentFailedLoadTest = XmlDocumentTest;

const char kBroken[] = "<?xml version=\"1.0\"?>\n<processregister><pelok><a type=\"1\">x</pelok>";

TEST_F(XmlDocumentFailedLoadTest, AFileThatDoesNotParseIsNotOverwritten) {
  const std::string path = dir_.Join("store.xml");
  ASSERT_TRUE(WriteFileBytes(path, kBroken));
  IXmlDocument* document = NewDocument();
  EXPECT_EQ(0, document->Load(path.c_str()));

  // The register store's CreateKeyPath after that load: nothing is found, then it saves.
  document->ResetPos();
  EXPECT_EQ(0, document->FindElem("processregister"));
  EXPECT_NE(0, document->AddElem("processregister", "", 0));
  document->EndEdit();
  EXPECT_EQ(0, document->Save(path.c_str()));
  EXPECT_EQ(0, document->Save(path.c_str()));

  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, &bytes));
  EXPECT_EQ(kBroken, bytes);
}

TEST_F(XmlDocumentFailedLoadTest, ASuccessfulLoadLiftsTheRefusal) {
  const std::string path = dir_.Join("store.xml");
  ASSERT_TRUE(WriteFileBytes(path, kBroken));
  IXmlDocument* document = NewDocument();
  ASSERT_EQ(0, document->Load(path.c_str()));
  ASSERT_EQ(0, document->Save(path.c_str()));

  ASSERT_TRUE(WriteFileBytes(path, "<processregister><fixed/></processregister>"));
  ASSERT_NE(0, document->Load(path.c_str()));
  document->ResetPos();
  ASSERT_NE(0, document->FindElem("processregister"));
  ASSERT_NE(0, document->IntoElem());
  ASSERT_NE(0, document->AddElem("added", "", 0));
  ASSERT_NE(0, document->Save(path.c_str()));

  IXmlDocument* reader = NewDocument();
  ASSERT_TRUE(WalkTo(reader, path, {"fixed"}));
  ASSERT_TRUE(WalkTo(reader, path, {"added"}));
}

TEST_F(XmlDocumentFailedLoadTest, WhatFailsToLoadAndWhatLoadsEmpty) {
  IXmlDocument* document = NewDocument();
  const std::string path = dir_.Join("probe.xml");
  for (const char* content :
       {"<processregister>", "just text", "<a></b>", "<?xml version=\"1.0\"?>", "\n", "<a b/>",
        "<!-- only a comment -->"}) {
    ASSERT_TRUE(WriteFileBytes(path, content));
    EXPECT_EQ(0, document->Load(path.c_str())) << "'" << content << "'";
  }
  EXPECT_EQ(0, document->Load(dir_.Join("missing.xml").c_str()));
  EXPECT_EQ(0, document->Save(dir_.Join("missing.xml").c_str()))
      << "a file that could not be read is not made either";
  EXPECT_FALSE(FileExistsAt(dir_.Join("missing.xml")));
  EXPECT_EQ(0, document->Load(dir_.path().c_str())) << "a directory";
  EXPECT_EQ(0, document->Load(""));
  EXPECT_EQ(0, document->Load(nullptr));

  ASSERT_TRUE(WriteFileBytes(path, ""));
  ASSERT_NE(0, document->Load(path.c_str())) << "zero bytes are an empty document";
  document->ResetPos();
  EXPECT_EQ(0, document->FindElem(nullptr));
  ASSERT_NE(0, document->Save(path.c_str()));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, &bytes));
  EXPECT_EQ("", bytes);
}

TEST_F(XmlDocumentFailedLoadTest, AFailedLoadLeavesNothingOfThePreviousDocument) {
  const std::string good = dir_.Join("good.xml");
  const std::string bad = dir_.Join("bad.xml");
  IXmlDocument* document = NewStoreDocument(good);
  ASSERT_NE(nullptr, document);
  ASSERT_TRUE(WriteFileBytes(bad, kBroken));
  EXPECT_EQ(0, document->Load(bad.c_str()));
  document->ResetPos();
  EXPECT_EQ(0, document->FindElem(nullptr));
  EXPECT_TRUE(WalkTo(document, good, {})) << "the good file is read again";
}

}  // namespace
}  // namespace test
}  // namespace pelok
