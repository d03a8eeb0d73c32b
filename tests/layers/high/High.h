#pragma once
// The higher area stands on the lower one; listed below it, this include runs upward.
#include "low/Low.h"
