#include "ProgramModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

QFunctionPointer ProgramModuleEntry(const QString& name, const char* symbol) {
    const QDir program(QCoreApplication::applicationDirPath());
    for (const QString& dir :
         {QStringLiteral("../lib/kelvora"), QStringLiteral("../" KELVORA_LIBDIR "/kelvora")}) {
        QLibrary module(program.filePath(dir + QLatin1Char('/') + name));
        if (module.load()) // stays loaded when `module` goes
            return module.resolve(symbol);
    }
    return nullptr;
}
