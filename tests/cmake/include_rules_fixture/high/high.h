// The upper layer, on the lower one.
#include "low/base.h"
