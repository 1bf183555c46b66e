#include "rules/AccountRules.h"
