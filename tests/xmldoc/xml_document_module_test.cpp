// PelXml.dll as the framework's factory module sees it: its three exports and the IComponent
// part of the document component.
#include "gtest/gtest.h"
#include "tests/support/xml_document_fixture.h"

namespace pelok {
namespace test {
namespace {

using XmlDocumentModuleTest = XmlDocumentTest;

TEST_F(XmlDocumentModuleTest, CreateComponentGivesANewDocumentForIdOneOnly) {
  IXmlDocument* first = NewDocument();
  IXmlDocument* second = NewDocument();
  ASSERT_NE(nullptr, first);
  ASSERT_NE(nullptr, second);
  EXPECT_NE(first, second);
  EXPECT_EQ(1, first->GetComponentId());
  EXPECT_EQ(1, first->GetVersion());

  EXPECT_EQ(nullptr, create_(0, 0));
  EXPECT_EQ(nullptr, create_(3, 0));
  EXPECT_EQ(nullptr, create_(1139, 1));
}

TEST_F(XmlDocumentModuleTest, GetComponentIDsNamesComponentOne) {
  auto get_ids = module_.Get<GetComponentIDsFn>("GetComponentIDs");
  ASSERT_NE(nullptr, get_ids);
  EXPECT_EQ(1, get_ids(nullptr, 0));
  int ids[3] = {-1, -1, -1};
  EXPECT_EQ(1, get_ids(ids, 0));
  EXPECT_EQ(-1, ids[0]) << "nothing is written without room";
  EXPECT_EQ(1, get_ids(ids, 3));
  EXPECT_EQ(1, ids[0]);
  EXPECT_EQ(-1, ids[1]);
}

TEST_F(XmlDocumentModuleTest, CanUnloadNowOnlyWhenNoDocumentIsAlive) {
  auto can_unload = module_.Get<PelokDllCanUnloadNowFn>("PelokDllCanUnloadNow");
  ASSERT_NE(nullptr, can_unload);
  EXPECT_EQ(1, can_unload());
  IXmlDocument* first = NewDocument();
  IXmlDocument* second = NewDocument();
  EXPECT_EQ(0, can_unload());
  DestroyDocument(first);
  EXPECT_EQ(0, can_unload());
  DestroyDocument(second);
  EXPECT_EQ(1, can_unload());
}

TEST_F(XmlDocumentModuleTest, DestroyDeletesWhateverTheForce) {
  auto can_unload = module_.Get<PelokDllCanUnloadNowFn>("PelokDllCanUnloadNow");
  ASSERT_NE(nullptr, can_unload);
  IComponent* with_force = create_(component_id::kXmlDocument, 0);
  ASSERT_NE(nullptr, with_force);
  with_force->Destroy(1);
  EXPECT_EQ(1, can_unload());
  IComponent* without_force = create_(component_id::kXmlDocument, 0);
  ASSERT_NE(nullptr, without_force);
  without_force->Destroy(0);
  EXPECT_EQ(1, can_unload());
}

TEST_F(XmlDocumentModuleTest, AutoFreeMarkIsKeptPerDocument) {
  IXmlDocument* marked = NewDocument();
  IXmlDocument* other = NewDocument();
  EXPECT_EQ(0, marked->GetAutoFree());
  marked->SetAutoFree(1);
  EXPECT_EQ(1, marked->GetAutoFree());
  EXPECT_EQ(0, other->GetAutoFree());
  marked->SetAutoFree(0);
  EXPECT_EQ(0, marked->GetAutoFree());
}

}  // namespace
}  // namespace test
}  // namespace pelok
