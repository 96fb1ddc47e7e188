#pragma once
// The program's own modules, each loaded when first needed, so that what it brings (Qt's
// print support, the PDF reader) stays out of a start that never uses it. They lie beside
// the build's programs, or where the package installs them.

#include <QFunctionPointer>
#include <QString>

// The entry `symbol` of the module `name` (loaded on the first call and kept); null when
// neither place holds the module.
QFunctionPointer ProgramModuleEntry(const QString& name, const char* symbol);
