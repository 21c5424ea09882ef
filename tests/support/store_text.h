// The store a store file holds, as the document module reads it: the file with the records of
// its journal (PelXml keeps a journal of recent saves beside the file until it folds it in), as
// the one XML text the file will be once folded. For tests that look at what a save wrote.
#ifndef PELOK_TESTS_SUPPORT_STORE_TEXT_H_
#define PELOK_TESTS_SUPPORT_STORE_TEXT_H_

#include <string>

namespace pelok {
namespace test {

// False when PelXml cannot load the store (missing, unparsable); *text then is empty.
bool ReadStoreText(const std::string& path, std::string* text);
// The text, or "<missing>".
std::string StoreText(const std::string& path);

}  // namespace test
}  // namespace pelok

#endif  // PELOK_TESTS_SUPPORT_STORE_TEXT_H_
