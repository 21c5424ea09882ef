// The first five slots of every component's main interface, and the numbers a host program
// uses with the registry: component ids, root codes, key kinds and value types.
#ifndef PELOK_COMPONENT_H_
#define PELOK_COMPONENT_H_

#include <cstdint>
#include <string_view>

namespace pelok {

// Slots 0-4 of every component. No virtual destructor: it would take slots. A component is
// released with Destroy(0) and freed with Destroy(1) (the singleton ignores Destroy(0)).
struct IComponent {
  virtual int GetComponentId() = 0;
  virtual int GetVersion() = 0;
  virtual void Destroy(int force) = 0;
  virtual int GetAutoFree() = 0;
  virtual void SetAutoFree(int mark) = 0;
};

namespace component_id {
constexpr int kXmlDocument = 1;
constexpr int kAllocator = 3;
constexpr int kComponentFactory = 361;
constexpr int kRegisterFront = 991;
constexpr int kMemoryKeyValues = 1134;
constexpr int kStoredKeyValues = 1135;
constexpr int kKeyTable2 = 1136;
constexpr int kKeyTable3 = 1137;
constexpr int kKeyTable1 = 1138;
constexpr int kXmlRegisterStore = 1139;
constexpr int kRegisterCore = 1140;
constexpr int kStorageProvider = 1152;
}  // namespace component_id

// Root codes: recognised by their low 30 bits; the top two bits are read as a key kind where a
// code is routed by kind (value, name and enumeration operations).
namespace root {
constexpr uint32_t kRoot = 0x3ffffff1u;
constexpr uint32_t kPelok = 0x3ffffff2u;
constexpr uint32_t kShare = 0x3ffffff3u;
constexpr uint32_t kUser = 0x3ffffff4u;
constexpr uint32_t kWinreg = 0x3ffffff5u;

// The bits that name the root; the two above them may carry a kind.
constexpr uint32_t kCodeBits = 0x3fffffffu;

// The roots' names, as the first part of every key path.
struct NamedRoot {
  const char* name;
  uint32_t code;
};
constexpr NamedRoot kNamedRoots[] = {
    {"root", kRoot}, {"pelok", kPelok}, {"share", kShare}, {"user", kUser}, {"winreg", kWinreg}};

// The name of the root that code names by its low 30 bits, or null.
constexpr const char* NameOf(uint32_t code) {
  for (const NamedRoot& root : kNamedRoots) {
    if (root.code == (code & kCodeBits)) return root.name;
  }
  return nullptr;
}

// The code of a root name, whatever the case of its ASCII letters; 0 for any other name.
constexpr uint32_t CodeOf(std::string_view name) {
  for (const NamedRoot& root : kNamedRoots) {
    const std::string_view root_name(root.name);
    if (root_name.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < name.size() && same; ++i) {
      const char c = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] - 'A' + 'a')
                                                      : name[i];
      same = c == root_name[i];
    }
    if (same) return root.code;
  }
  return 0;
}
}  // namespace root

// Key kinds. A key handle carries its kind in bits 31-30.
namespace kind {
constexpr int kMemory = 1;  // values in memory only
constexpr int kStored = 2;  // values in the store file
constexpr int kStored3 = 3;  // values in the store file, a table of their own
}  // namespace kind

constexpr uint32_t KindTag(int key_kind) { return static_cast<uint32_t>(key_kind) << 30; }
constexpr int KindOf(uint32_t key) { return static_cast<int>(key >> 30); }
// A root code routed to the table of a kind, e.g. RootOfKind(root::kShare, 2) == 0xbffffff3.
constexpr uint32_t RootOfKind(uint32_t root_code, int key_kind) {
  return (root_code & root::kCodeBits) | KindTag(key_kind);
}

// Value types.
namespace value_type {
constexpr int kText = 1;
constexpr int kUint32 = 2;
constexpr int kBinary = 3;
}  // namespace value_type

// Dispositions written by CreateKey.
namespace disposition {
constexpr int kCreated = 1;
constexpr int kOpenedExisting = 2;
}  // namespace disposition

// Paths and names travel in buffers of this size (259 characters and the terminating zero).
constexpr int kPathBufferSize = 260;

}  // namespace pelok

#endif  // PELOK_COMPONENT_H_
