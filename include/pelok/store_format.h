// The names of the store file's format and of the registry's own settings, for the registry and
// for host programs that read or write a store file themselves:
//
//   <?xml version="1.0"?>
//   <processregister>
//     <share><app><port type="2" size="4">8080</port></app></share>
//   </processregister>
#ifndef PELOK_STORE_FORMAT_H_
#define PELOK_STORE_FORMAT_H_

namespace pelok {
namespace store_format {

// The document element, below which the roots' elements stand.
constexpr char kDocumentElement[] = "processregister";
// The processing instruction a new store file begins with.
constexpr char kDeclaration[] = "xml version=\"1.0\"";
// A new, empty store file as a whole.
constexpr char kEmptyStore[] = "<?xml version=\"1.0\"?>\n<processregister/>\n";
// The attributes of a value element: its type and its size in bytes. An element without a type
// is a key.
constexpr char kTypeAttribute[] = "type";
constexpr char kSizeAttribute[] = "size";

}  // namespace store_format

// The root directory that relative store file names are taken against: the text value
// kRootDirectoryValue of the memory key (kind 1) kRootDirectoryKey under the root "user", as it
// stands when the first store file is opened.
constexpr char kRootDirectoryKey[] = "pelok_rootpath";
constexpr char kRootDirectoryValue[] = "pelok_rootpath_data";

}  // namespace pelok

#endif  // PELOK_STORE_FORMAT_H_
