// The registration record of a component: built with its initial values and handed to the
// factory component (if its module is already loaded) when the component is constructed.
#ifndef PELOK_FRAMEWORK_COMPONENT_RECORD_H_
#define PELOK_FRAMEWORK_COMPONENT_RECORD_H_

#include "pelok/component_factory.h"

namespace pelok {

class ComponentRecord {
 public:
  explicit ComponentRecord(int component_id);
  ComponentRecord(const ComponentRecord&) = delete;
  ComponentRecord& operator=(const ComponentRecord&) = delete;

  RegistrationRecord& record() { return record_; }
  const RegistrationRecord& record() const { return record_; }

 private:
  RegistrationRecord record_;
};

}  // namespace pelok

#endif  // PELOK_FRAMEWORK_COMPONENT_RECORD_H_
