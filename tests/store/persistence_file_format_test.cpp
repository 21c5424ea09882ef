// The exact logical content of the store file a host program's keys and values produce.
#include <gtest/gtest.h>

#include <cstdint>
#include <pugixml.hpp>
#include <string>

#include "pelok/register_front.h"
#include "tests/support/persistence_host.h"
#include "tests/support/temp_dir.h"

namespace pelok {
namespace {

using test::RegistryHost;
using test::TempDir;

// One line per element, indented by depth: name, its attributes in file order, then its own
// text in quotes when it has any.
void Describe(const pugi::xml_node& node, int depth, std::string* out) {
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    *out += std::string(static_cast<size_t>(depth) * 2, ' ') + child.name();
    for (pugi::xml_attribute attribute = child.first_attribute(); attribute;
         attribute = attribute.next_attribute()) {
      *out += std::string(" ") + attribute.name() + "=" + attribute.value();
    }
    const std::string text = child.text().get();
    if (!text.empty()) *out += " \"" + text + "\"";
    *out += "\n";
    Describe(child, depth + 1, out);
  }
}

TEST(PersistenceFileFormatTest, KeysAreNestedElementsAndValuesCarryTypeAndSize) {
  TempDir dir;
  const std::string path = dir.Join("registry.xml");
  {
    RegistryHost host;
    ASSERT_TRUE(host.ready());
    IRegisterFront* const front = host.front();
    ASSERT_EQ(1, front->SetStoreFile(path.c_str()));
    uint32_t net = 0;
    uint32_t tool = 0;
    int disposition = 0;
    ASSERT_EQ(1, front->CreateKey(RootOfKind(root::kPelok, 2), "Net", 2, 0, &net, &disposition));
    ASSERT_EQ(1,
              front->CreateKey(RootOfKind(root::kShare, 3), "tool/a/b", 3, 0, &tool, &disposition));
    const uint32_t port = 8080;
    ASSERT_EQ(1, front->SetValue(net, "port", 2, &port, 4));
    const uint32_t zero = 0;
    ASSERT_EQ(1, front->SetValue(net, "zero", 2, &zero, 4));
    const unsigned char bytes[] = {0x00, 0x7F, 0xFF, 0xab};
    ASSERT_EQ(1, front->SetValue(tool, "blob", 3, bytes, sizeof(bytes)));
    ASSERT_EQ(1, front->SetValue(tool, "Name", 1, "Text value", 11));
    ASSERT_EQ(1, front->Flush());
  }

  pugi::xml_document document;
  const pugi::xml_parse_result result =
      document.load_file(path.c_str(), pugi::parse_default | pugi::parse_declaration);
  ASSERT_TRUE(result) << result.description();
  const pugi::xml_node declaration = document.first_child();
  ASSERT_EQ(pugi::node_declaration, declaration.type());
  EXPECT_STREQ("xml", declaration.name());
  EXPECT_STREQ("1.0", declaration.attribute("version").value());

  std::string description;
  Describe(document, 0, &description);
  EXPECT_EQ(
      "processregister\n"
      "  pelok\n"
      "    net\n"
      "      port type=2 size=4 \"8080\"\n"
      "      zero type=2 size=4 \"0\"\n"
      "  share\n"
      "    tool\n"
      "      a\n"
      "        b\n"
      "          blob type=3 size=4 \"007FFFAB\"\n"
      "          Name type=1 size=11 \"Text value\"\n",
      description);
}

}  // namespace
}  // namespace pelok
