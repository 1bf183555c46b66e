#include "rules/TextRules.h"
