// options.dn as read from any bytes, and written back.
#include "settings/OptionsFile.h"
#include "storage/TextForms.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const OptionsLines lines = SplitOptions(bytes);
    const QString password = FromWindows1251(ShiftCodesDown(lines.password));
    const auto interval = TextForms::TryParseInteger(FromWindows1251(lines.interval));
    if (!PasswordRefusal(password) && interval) {
        // What is accepted is written so that it reads back the same.
        const OptionsLines again =
            SplitOptions(JoinOptions(lines.flag == "1", password, *interval));
        if (FromWindows1251(ShiftCodesDown(again.password)) != password ||
            TextForms::TryParseInteger(QString::fromLatin1(again.interval)) != interval)
            __builtin_trap();
    }
    return 0;
}
