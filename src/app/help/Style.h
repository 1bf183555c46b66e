#pragma once

#include <QString>

// The visual style "Windows10 SlateGray", carried among the resources as a Qt style sheet.
// False when the resource is missing or empty; sheet is then left alone.
bool LoadStyleSheet(QString *sheet);
