#pragma once
// The remembered state moved to the data layer, so that the windows of a book reach it too.
#include "data/settings.h"
