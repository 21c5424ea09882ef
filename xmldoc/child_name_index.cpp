#include "xmldoc/child_name_index.h"

#include <cstring>
#include <new>

namespace pelok {

namespace {

// A parent with at most this many children is walked: its table would cost more than it saves.
constexpr int kWalkedChildren = 32;
constexpr size_t kFirstTableSize = 64;

uint32_t HashName(const char* name) {
  // FNV-1a, folded to 32 bits.
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(name); *c != 0; ++c) {
    hash = (hash ^ *c) * 0x100000001b3ULL;
  }
  return static_cast<uint32_t>(hash ^ (hash >> 32));
}

bool IsElementNamed(pugi::xml_node node, const char* name) {
  return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

// The next sibling element named name, from node on, by walking.
pugi::xml_node ScanFrom(pugi::xml_node node, const char* name) {
  for (; node; node = node.next_sibling()) {
    if (IsElementNamed(node, name)) return node;
  }
  return node;
}

}  // namespace

ChildNameIndex::Table::Table(pugi::xml_node parent) {
  slots_.resize(kFirstTableSize);
  mask_ = kFirstTableSize - 1;
  for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    const uint32_t hash = HashName(child.name());
    const size_t at = Find(child.name(), hash);
    if (at != slots_.size()) {
      ++slots_[at].count;  // a later one of the same name
    } else {
      Insert(child, hash);
    }
  }
}

size_t ChildNameIndex::Table::Find(const char* name, uint32_t hash) const {
  for (size_t at = hash & mask_;; at = (at + 1) & mask_) {
    const Slot& slot = slots_[at];
    if (slot.first == nullptr) return slots_.size();
    if (slot.hash == hash && std::strcmp(pugi::xml_node(slot.first).name(), name) == 0) return at;
  }
}

void ChildNameIndex::Table::Insert(pugi::xml_node element, uint32_t hash) {
  if (2 * (used_ + 1) > slots_.size()) Grow();
  size_t at = hash & mask_;
  while (slots_[at].first != nullptr) at = (at + 1) & mask_;
  slots_[at] = Slot{element.internal_object(), hash, 1};
  ++used_;
}

void ChildNameIndex::Table::Grow() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  mask_ = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.first == nullptr) continue;
    size_t at = slot.hash & mask_;
    while (slots_[at].first != nullptr) at = (at + 1) & mask_;
    slots_[at] = slot;
  }
}

// Backward-shift deletion: the slots after the freed one that probed past it move up, so that
// no lookup ever stops at a hole it should have passed.
void ChildNameIndex::Table::Erase(size_t at) {
  size_t hole = at;
  for (size_t next = (hole + 1) & mask_; slots_[next].first != nullptr; next = (next + 1) & mask_) {
    const size_t home = slots_[next].hash & mask_;
    // The slot at next may fill the hole when its home is not in (hole, next].
    const bool stays = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
    if (stays) continue;
    slots_[hole] = slots_[next];
    hole = next;
  }
  slots_[hole] = Slot();
  --used_;
}

pugi::xml_node ChildNameIndex::Table::First(const char* name, uint32_t hash) const {
  const size_t at = Find(name, hash);
  return at == slots_.size() ? pugi::xml_node() : pugi::xml_node(slots_[at].first);
}

uint32_t ChildNameIndex::Table::Count(const char* name, uint32_t hash) const {
  const size_t at = Find(name, hash);
  return at == slots_.size() ? 0 : slots_[at].count;
}

void ChildNameIndex::Table::Added(pugi::xml_node element, uint32_t hash) {
  const size_t at = Find(element.name(), hash);
  if (at == slots_.size()) {
    Insert(element, hash);
    return;
  }
  Slot& slot = slots_[at];
  ++slot.count;
  // The new element comes first when the one that was first follows it. Elements are mostly
  // added last, where nothing follows.
  const pugi::xml_node first(slot.first);
  if (ScanFrom(element.next_sibling(), element.name()) == first) {
    slot.first = element.internal_object();
  }
}

void ChildNameIndex::Table::Removing(pugi::xml_node element, uint32_t hash) {
  const size_t at = Find(element.name(), hash);
  if (at == slots_.size()) return;
  Slot& slot = slots_[at];
  if (slot.count <= 1) {
    Erase(at);
    return;
  }
  --slot.count;
  if (slot.first == element.internal_object()) {
    slot.first = ScanFrom(element.next_sibling(), element.name()).internal_object();
  }
}

ChildNameIndex::Table* ChildNameIndex::TableOf(pugi::xml_node parent) {
  pugi::xml_node_struct* const key = parent.internal_object();
  if (key == last_parent_ && key != nullptr) return last_table_;
  const auto found = tables_.find(key);
  if (found == tables_.end()) return nullptr;
  last_parent_ = key;
  last_table_ = found->second.get();
  return last_table_;
}

void ChildNameIndex::Clear() {
  tables_.clear();
  last_parent_ = nullptr;
  last_table_ = nullptr;
}

// Out of memory, the index is dropped and the answer found by walking; a half-built or
// half-updated index must never be used.
pugi::xml_node ChildNameIndex::First(pugi::xml_node parent, const char* name) {
  if (Table* table = TableOf(parent)) return table->First(name, HashName(name));
  int walked = 0;
  pugi::xml_node child = parent.first_child();
  for (; child && !IsElementNamed(child, name); child = child.next_sibling()) ++walked;
  // A lookup that had to walk past many children makes the parent worth its table.
  if (walked > kWalkedChildren) {
    try {
      auto table = std::make_unique<Table>(parent);
      tables_[parent.internal_object()] = std::move(table);
    } catch (const std::bad_alloc&) {
      Clear();
    }
  }
  return child;
}

pugi::xml_node ChildNameIndex::NextOfSameName(pugi::xml_node element) {
  const Table* table = TableOf(element.parent());
  // A name held once has no next; otherwise the next is found by walking.
  if (table != nullptr && table->Count(element.name(), HashName(element.name())) <= 1) {
    return pugi::xml_node();
  }
  return ScanFrom(element.next_sibling(), element.name());
}

void ChildNameIndex::Added(pugi::xml_node element) {
  Table* table = TableOf(element.parent());
  if (table == nullptr) return;
  try {
    table->Added(element, HashName(element.name()));
  } catch (const std::bad_alloc&) {
    Clear();
  }
}

void ChildNameIndex::Removing(pugi::xml_node element) {
  if (Table* table = TableOf(element.parent())) table->Removing(element, HashName(element.name()));
  DropSubtree(element);
}

// The tables of the removed elements go too: their memory may be reused for new elements. Only
// an element with child elements can hold others that have tables; then each table is checked
// for lying inside it.
void ChildNameIndex::DropSubtree(pugi::xml_node element) {
  if (tables_.empty()) return;
  bool holds_elements = false;
  for (pugi::xml_node child = element.first_child(); child && !holds_elements;
       child = child.next_sibling()) {
    holds_elements = child.type() == pugi::node_element;
  }
  if (!holds_elements) return;
  for (auto it = tables_.begin(); it != tables_.end();) {
    pugi::xml_node node(it->first);
    while (node && node != element) node = node.parent();
    if (node) {
      if (it->first == last_parent_) {
        last_parent_ = nullptr;
        last_table_ = nullptr;
      }
      it = tables_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace pelok
