// int.ini from any bytes: reading the window settings, then editing and reading again.
#include "settings/IniFile.h"
#include "storage/TextForms.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IniFile ini(QString(), QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    for (const char* key : {"Top", "Left", "Width", "Height"})
        if (const auto value = ini.Value(QStringLiteral("Form1"), QString::fromLatin1(key)))
            TextForms::TryParseInteger(*value);
    ini.SetValue(QStringLiteral("START"), QStringLiteral("CountStart"), QStringLiteral("7"));
    ini.SetValue(QStringLiteral("Form1"), QStringLiteral("Top"), QStringLiteral("5"));
    if (ini.Value(QStringLiteral("start"), QStringLiteral("countstart")) != QStringLiteral("7") ||
        ini.Value(QStringLiteral("FORM1"), QStringLiteral("top")) != QStringLiteral("5"))
        __builtin_trap(); // what was set reads back, whatever else the file holds
    return 0;
}
