#include "reports/documentreports.h"
