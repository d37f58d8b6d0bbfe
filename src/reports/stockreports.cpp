#include "reports/stockreports.h"
