#pragma once
// A lower module reaching up: the check must refuse this.
#include "high/High.h"
