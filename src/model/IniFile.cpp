#include "model/IniFile.h"
