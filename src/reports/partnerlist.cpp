#include "reports/partnerlist.h"
