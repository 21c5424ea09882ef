// A lower layer that reaches up.
#include <vector>
#include "high/high.h"
#include "low/base.h"
