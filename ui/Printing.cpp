#include "Printing.h"

#include "platform/ProgramModule.h"
#include "storage/Failure.h"

namespace Printing {

const Entries& Module() {
    using Get = const Entries* (*)();
    static const auto get = reinterpret_cast<Get>(
        ProgramModuleEntry(QStringLiteral("kelvora_print"), "KelvoraPrinting"));
    if (!get)
        throw Failure(QStringLiteral("Печать недоступна: не найден модуль kelvora_print рядом с "
                                     "программой."));
    return *get();
}

} // namespace Printing
