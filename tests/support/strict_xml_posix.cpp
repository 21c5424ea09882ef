#include <cstdio>
#include <string>

#include "tests/support/strict_xml.h"

namespace pelok {
namespace test {

::testing::AssertionResult IsStrictXml(const std::string& path) {
  // xmllint exits 0 after a namespace error; what it prints tells.
  const std::string command = "xmllint --noout --nonet '" + path + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return ::testing::AssertionFailure() << "cannot run xmllint";
  std::string complaints;
  char buffer[512];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) complaints.append(buffer, got);
  const int status = pclose(pipe);
  if (status != 0 || !complaints.empty()) {
    return ::testing::AssertionFailure()
           << path << " is not strict XML (xmllint status " << status << "): " << complaints;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace test
}  // namespace pelok
