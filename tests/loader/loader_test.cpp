// The loader opens the real modules from a DLL registry file, and every way the file or the
// modules can be wrong gives an error value that names the file and the reason.
#include <string>

#include "gtest/gtest.h"
#include "pelok/loader.h"
#include "pelok/xml_document.h"
#include "platform/native_path.h"
#include "platform/win32_api.h"
#include "tests/support/module_loader.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

class LoaderTest : public ::testing::Test {
 protected:
  // A DLL registry file in the test's directory; the modules are named by their full paths.
  std::string WriteIni(const std::string& text) {
    const std::string path = dir_.Join("test.ini");
    EXPECT_TRUE(test::WriteFileBytes(path, text));
    return path;
  }
  static std::string Module(const std::string& file) { return test::BinPath(file); }

  // Open must fail with that kind, naming path, and leave nothing open.
  void ExpectFailure(const std::string& ini, LoadError::Kind kind, const std::string& path,
                     const std::string& reason) {
    Framework framework;
    EXPECT_FALSE(framework.Open(ini));
    EXPECT_FALSE(framework.is_open());
    EXPECT_EQ(nullptr, framework.front());
    EXPECT_EQ(nullptr, framework.Create(component_id::kXmlDocument));
    EXPECT_EQ(kind, framework.error().kind) << framework.error().message;
    EXPECT_EQ(NativeSeparators(path), framework.error().path);
    EXPECT_NE(std::string::npos, framework.error().message.find(NativeSeparators(path)))
        << framework.error().message;
    EXPECT_NE(std::string::npos, framework.error().message.find(reason))
        << framework.error().message;
  }

  test::TempDir dir_;
};

TEST_F(LoaderTest, OpensTheFrameworkFromTheFileBesideTheProgram) {
  Framework framework;
  ASSERT_TRUE(framework.Open()) << framework.error().message;
  EXPECT_FALSE(framework.error());
  ASSERT_NE(nullptr, framework.front());
  EXPECT_EQ(component_id::kRegisterFront, framework.front()->GetComponentId());
  EXPECT_EQ(component_id::kComponentFactory, framework.factory()->GetComponentId());
  EXPECT_EQ(NativeSeparators(test::BinPath("Pelok.ini")),
            NativeSeparators(framework.registry_file()));

  auto* document = static_cast<IXmlDocument*>(framework.Create(component_id::kXmlDocument));
  ASSERT_NE(nullptr, document);
  EXPECT_EQ(component_id::kXmlDocument, document->GetComponentId());
  document->Destroy(0);

  framework.Close();
  EXPECT_FALSE(framework.is_open());
  EXPECT_EQ(nullptr, framework.front());
  // And again, with a front built afresh.
  ASSERT_TRUE(framework.Open(test::BinPath("Pelok.ini")));
  EXPECT_NE(nullptr, framework.front());
}

TEST_F(LoaderTest, CloseAndUnloadLetsTheNextOpenLoadTheRegistryAfresh) {
  Framework framework;
  ASSERT_TRUE(framework.Open());
  EXPECT_NE(nullptr, GetModuleHandleA("PelReg.dll"));
  framework.CloseAndUnload();
  EXPECT_EQ(nullptr, GetModuleHandleA("PelReg.dll"));
  ASSERT_TRUE(framework.Open()) << framework.error().message;
  EXPECT_NE(nullptr, framework.front());
}

TEST_F(LoaderTest, CloseRegistryKeepsTheFactoryForDocuments) {
  Framework framework;
  ASSERT_TRUE(framework.Open());
  framework.CloseRegistry();
  EXPECT_EQ(nullptr, framework.front());
  IComponent* document = framework.Create(component_id::kXmlDocument);
  ASSERT_NE(nullptr, document);
  document->Destroy(0);
}

TEST_F(LoaderTest, ARelativeFileIsTakenAgainstTheCurrentDirectory) {
  // The tests run in the bin directory, where Pelok.ini lies.
  Framework framework;
  ASSERT_TRUE(framework.Open("Pelok.ini")) << framework.error().message;
  EXPECT_NE(nullptr, framework.front());
}

TEST_F(LoaderTest, AMissingOrEmptyRegistryFileIsNamed) {
  ExpectFailure(dir_.Join("missing.ini"), LoadError::Kind::kRegistryFile, dir_.Join("missing.ini"),
                "no such file");
  const std::string empty = WriteIni("");
  ExpectFailure(empty, LoadError::Kind::kRegistryFile, empty, "names no registry module");
  const std::string no_factory = WriteIni("[Modules]\nregistry=" + Module("PelReg.dll") + "\n");
  ExpectFailure(no_factory, LoadError::Kind::kRegistryFile, no_factory,
                "names no factory module");
}

TEST_F(LoaderTest, AMissingModuleIsNamedWithTheFileThatNamedIt) {
  const std::string no_registry = WriteIni("[Modules]\nregistry=NoSuch.dll\n");
  ExpectFailure(no_registry, LoadError::Kind::kModule, dir_.Join("NoSuch.dll"), "no such file");
  const std::string no_factory = WriteIni("[361]\nDLL=Gone.dll\n[Modules]\nregistry=" +
                                          Module("PelReg.dll") + "\n");
  ExpectFailure(no_factory, LoadError::Kind::kModule, dir_.Join("Gone.dll"), "no such file");
}

TEST_F(LoaderTest, AFileThatIsNoModuleIsRefused) {
  const std::string fake = dir_.Join("Fake.dll");
  ASSERT_TRUE(test::WriteFileBytes(fake, "this is text, not a module"));
  const std::string ini = WriteIni("[Modules]\nregistry=Fake.dll\n");
  ExpectFailure(ini, LoadError::Kind::kModule, fake, "not a module this system can load");
}

TEST_F(LoaderTest, ModulesInTheWrongPlacesAreRefusedByWhatTheyLack) {
  // The document module as the registry module: it has no SetDLLRegistry.
  const std::string xml_as_registry = WriteIni("[Modules]\nregistry=" + Module("PelXml.dll") +
                                               "\n[361]\nDLL=" + Module("PelFact.dll") + "\n");
  ExpectFailure(xml_as_registry, LoadError::Kind::kExport, Module("PelXml.dll"),
                "has no export SetDLLRegistry");
  // The document module as the factory: it serves no component 361.
  const std::string xml_as_factory = WriteIni("[Modules]\nregistry=" + Module("PelReg.dll") +
                                              "\n[361]\nDLL=" + Module("PelXml.dll") + "\n");
  ExpectFailure(xml_as_factory, LoadError::Kind::kComponent, Module("PelXml.dll"),
                "gave no component factory (361)");
}

}  // namespace
}  // namespace pelok
