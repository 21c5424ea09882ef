// The live-instance map: every instance handed out by CreateComponent until it is destroyed.
#ifndef PELOK_FRAMEWORK_LIVE_INSTANCE_MAP_H_
#define PELOK_FRAMEWORK_LIVE_INSTANCE_MAP_H_

#include <cstdint>

#include "pelok/component.h"

namespace pelok {
namespace host {

struct LiveInstanceRecord {
  int componentId;
  uint32_t creatorId;
  IComponent* component;
};

// Prints the leak report for every instance still recorded (at detach, under the lock).
void ReportLeaks();
// Frees the map's storage once the module is detached.
void FreeLiveInstanceMap();

}  // namespace host
}  // namespace pelok

#endif  // PELOK_FRAMEWORK_LIVE_INSTANCE_MAP_H_
