#pragma once

// The widgets use the toolkit's one set type (Contains/Include/Exclude, union
// +, difference -, intersection *, Bits()); a second template of the same
// name would clash wherever a widget and the serial component meet.
#include "toolkit/core/flag_set.h"
