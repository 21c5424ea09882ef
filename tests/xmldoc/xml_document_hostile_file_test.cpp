// What a document does with a path that names no file it can read (a directory; on POSIX a FIFO
// and a device), and how it tells a damaged file from one it could not read: slot 6 of PelXml's
// documents, vouched for by the marker the module exports (util/pelxml_load_outcome.h).
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <filesystem>
#include <iterator>
#include <string>

#include "gtest/gtest.h"
#include "platform/win32_api.h"
#include "tests/support/xml_document_fixture.h"
#include "util/pelxml_load_outcome.h"

namespace pelok {
namespace test {
namespace {

using XmlDocumentHostileFileTest = XmlDocumentTest;

const char kStore[] = "<?xml version=\"1.0\"?>\n<processregister><a/></processregister>\n";

TEST_F(XmlDocumentHostileFileTest, TheModuleVouchesForSlotSixOfItsDocuments) {
  const auto marker = module_.Get<int (*)()>(kPelXmlMarkerExport);
  ASSERT_NE(nullptr, marker);
  EXPECT_EQ(kPelXmlMarkerAnswer, marker());
  // The store finds the module by the address of a document's virtual table.
  IXmlDocument* document = NewDocument();
  const void* table = *reinterpret_cast<const void* const*>(document);
  EXPECT_EQ(module_.handle(), static_cast<void*>(PelokModuleFromAddress(table)));
  EXPECT_EQ(kPelXmlLoaded, document->Reserved6()) << "nothing loaded yet";
}

TEST_F(XmlDocumentHostileFileTest, SlotSixTellsDamageFromAFileThatWasNotRead) {
  IXmlDocument* document = NewDocument();
  const std::string good = dir_.Join("good.xml");
  const std::string bad = dir_.Join("bad.xml");
  ASSERT_TRUE(WriteFileBytes(good, kStore));
  ASSERT_TRUE(WriteFileBytes(bad, "<processregister><a></processregister>"));

  ASSERT_NE(0, document->Load(good.c_str()));
  EXPECT_EQ(kPelXmlLoaded, document->Reserved6());
  EXPECT_EQ(0, document->Load(bad.c_str()));
  EXPECT_EQ(kPelXmlDamaged, document->Reserved6());
  EXPECT_EQ(0, document->Load(dir_.Join("missing.xml").c_str()));
  EXPECT_EQ(kPelXmlUnreadable, document->Reserved6());
  EXPECT_EQ(0, document->Load(dir_.path().c_str())) << "a directory";
  EXPECT_EQ(kPelXmlUnreadable, document->Reserved6());
  ASSERT_NE(0, document->Load(good.c_str()));
  EXPECT_EQ(kPelXmlLoaded, document->Reserved6());
  // The held file loaded again keeps the answer of a successful load.
  ASSERT_NE(0, document->Load(good.c_str()));
  EXPECT_EQ(kPelXmlLoaded, document->Reserved6());
  // Zero bytes are an empty document, not damage.
  ASSERT_TRUE(WriteFileBytes(bad, ""));
  ASSERT_NE(0, document->Load(bad.c_str()));
  EXPECT_EQ(kPelXmlLoaded, document->Reserved6());
}

TEST_F(XmlDocumentHostileFileTest, ADirectoryIsNeitherReadNorWritten) {
  IXmlDocument* document = NewDocument();
  const std::string good = dir_.Join("good.xml");
  const std::string sub = dir_.Join("sub");
  ASSERT_TRUE(WriteFileBytes(good, kStore));
  ASSERT_TRUE(std::filesystem::create_directory(sub));
  ASSERT_NE(0, document->Load(good.c_str()));
  EXPECT_EQ(0, document->Save(sub.c_str()));
  EXPECT_TRUE(std::filesystem::is_directory(sub));
  EXPECT_TRUE(std::filesystem::is_empty(sub));
}

#if defined(_WIN32)
TEST_F(XmlDocumentHostileFileTest, ADeviceIsRefusedWithoutReadingIt) {
  IXmlDocument* document = NewDocument();
  EXPECT_EQ(0, document->Load("NUL"));
  EXPECT_EQ(kPelXmlUnreadable, document->Reserved6());
  EXPECT_EQ(0, document->Save("NUL"));
}
#else
TEST_F(XmlDocumentHostileFileTest, AFifoIsRefusedWithoutWaitingForAWriter) {
  const std::string fifo = dir_.Join("store.xml");
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  IXmlDocument* document = NewDocument();
  // A Load that opened the FIFO to read it would wait for ever.
  EXPECT_EQ(0, document->Load(fifo.c_str()));
  EXPECT_EQ(kPelXmlUnreadable, document->Reserved6());
  EXPECT_EQ(0, document->Save(fifo.c_str()));

  // Nor is a document of another file saved over a FIFO: it would be replaced by a file.
  const std::string good = dir_.Join("good.xml");
  ASSERT_TRUE(WriteFileBytes(good, kStore));
  IXmlDocument* other = NewDocument();
  ASSERT_NE(0, other->Load(good.c_str()));
  ASSERT_NE(0, other->ResetPos());
  ASSERT_NE(0, other->FindElem("processregister"));
  ASSERT_NE(0, other->IntoElem());
  ASSERT_NE(0, other->AddElem("b", "", 0));
  EXPECT_EQ(0, other->Save(fifo.c_str()));
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_EQ(2u, static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir_.path()),
                                                  std::filesystem::directory_iterator())))
      << "no temporary file left beside it";
}

TEST_F(XmlDocumentHostileFileTest, ADeviceIsRefusedWithoutReadingIt) {
  IXmlDocument* document = NewDocument();
  // /dev/zero never ends: read whole, it would take all the memory there is.
  EXPECT_EQ(0, document->Load("/dev/zero"));
  EXPECT_EQ(kPelXmlUnreadable, document->Reserved6());
  EXPECT_EQ(0, document->Load("/dev/null"));
  EXPECT_EQ(kPelXmlUnreadable, document->Reserved6());
}
#endif

}  // namespace
}  // namespace test
}  // namespace pelok
