#include "model/Settings.h"
