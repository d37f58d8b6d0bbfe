#include "reports/journal.h"
