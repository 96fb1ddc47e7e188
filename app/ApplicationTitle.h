#pragma once
#include <QString>

// The title of message boxes: the executable's file name without its folder, cut at its
// first ".", every character after the first in lower case.
QString ApplicationTitle(const QString& executablePath);
