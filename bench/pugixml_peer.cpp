// pugixml alone: the registry's file format built and read directly, the limit of an XML store.
// It keeps no index: it builds the document in order, writes it once per flush (no sync, no
// replacement through a temporary file) and reads the values back in one pass in document
// order, checking each name.
#include <cstdint>
#include <cstring>
#include <pugixml.hpp>
#include <string>

#include "bench/workload.h"

namespace pelok {
namespace bench {

namespace {

constexpr char kIndent[] = "\t";

Sample Failed(const char* why) {
  Sample sample;
  sample.error = why;
  return sample;
}

// The declaration, "processregister" and the key share/bench/<parent>; the key's element.
pugi::xml_node NewStore(pugi::xml_document* document, const char* parent) {
  document->reset();
  pugi::xml_node declaration = document->append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  return document->append_child("processregister")
      .append_child("share")
      .append_child("bench")
      .append_child(parent);
}

pugi::xml_node FindKey(const pugi::xml_document& document, const char* parent) {
  return document.child("processregister").child("share").child("bench").child(parent);
}

void AddValue(pugi::xml_node key, const char* name, uint32_t value) {
  pugi::xml_node element = key.append_child(name);
  element.append_attribute("type") = 2;
  element.append_attribute("size") = 4;
  element.text().set(value);
}

// The value of element, when it is a 32-bit value named name.
bool ReadValue(pugi::xml_node element, const char* name, uint32_t* value) {
  if (std::strcmp(element.name(), name) != 0 || element.attribute("type").as_int() != 2 ||
      element.attribute("size").as_int() != 4) {
    return false;
  }
  *value = element.text().as_uint();
  return true;
}

class Pugixml : public Peer {
 public:
  const char* name() const override { return "pugixml"; }
  bool Supports(Workload workload) const override {
    return workload == Workload::kW2 || workload == Workload::kW3;
  }

  Sample Run(Workload workload, int n) override {
    if (workload == Workload::kW1) return Failed("no in-memory run");
    const bool many_keys = workload == Workload::kW3;
    const char* parent = many_keys ? "w3" : "w2";
    const std::string file = StorePath("pugixml", workload, n);
    const std::vector<std::string>& names = ValueNames(n);
    const std::vector<std::string>& keys = KeyNames(n);

    Sample sample;
    pugi::xml_document document;
    Stopwatch set;
    pugi::xml_node key = NewStore(&document, parent);
    for (int i = 0; i < n; ++i) {
      if (many_keys) {
        AddValue(key.append_child(keys[i].c_str()), "v", ValueOf(i));
      } else {
        AddValue(key, names[i].c_str(), ValueOf(i));
      }
    }
    sample.set_ns = set.Nanoseconds() / n;
    Stopwatch flush;
    if (!document.save_file(file.c_str(), kIndent)) return Failed("save_file");
    sample.flush_ms = flush.Milliseconds();
    Stopwatch close;
    document.reset();
    sample.close_ms = close.Milliseconds();
    Stopwatch reopen;
    if (!document.load_file(file.c_str())) return Failed("load_file");
    key = FindKey(document, parent);
    if (!key) return Failed("the key is missing");
    sample.reopen_ms = reopen.Milliseconds();
    Stopwatch query;
    int i = 0;
    int wrong = 0;
    for (pugi::xml_node child = key.first_child(); child; child = child.next_sibling(), ++i) {
      if (i >= n) return Failed("more values than were set");
      uint32_t value = 0;
      const bool read = many_keys ? std::strcmp(child.name(), keys[i].c_str()) == 0 &&
                                        ReadValue(child.first_child(), "v", &value)
                                  : ReadValue(child, names[i].c_str(), &value);
      if (!read) return Failed("a value is missing");
      wrong += value != ValueOf(i);
    }
    sample.query_ns = query.Nanoseconds() / n;
    if (i != n || wrong != 0) return Failed("wrong values read back");
    sample.file_bytes = FileBytes(file);
    sample.ok = true;
    return sample;
  }
};

}  // namespace

Peer& PugixmlPeer() {
  static Pugixml pugixml;
  return pugixml;
}

}  // namespace bench
}  // namespace pelok
