#include "sepa/Pain008.h"
