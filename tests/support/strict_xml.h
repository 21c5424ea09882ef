// Whether a file is a document that strict XML 1.0 readers accept, as a reader of another program
// would see it: well-formed, in UTF-8, every character one that XML allows, and every element name
// well-formed under XML namespaces.
#ifndef PELOK_TESTS_SUPPORT_STRICT_XML_H_
#define PELOK_TESTS_SUPPORT_STRICT_XML_H_

#include <gtest/gtest.h>

#include <string>

namespace pelok {
namespace test {

// Asks libxml2's xmllint (scripts/setup.sh installs it); any complaint fails. Windows programs
// have no such reader at hand, so the POSIX build alone checks.
::testing::AssertionResult IsStrictXml(const std::string& path);

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_SUPPORT_STRICT_XML_H_
