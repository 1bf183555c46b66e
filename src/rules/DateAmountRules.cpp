#include "rules/DateAmountRules.h"
