// The report's readers of charges and durations.
#include "report/ReportTotals.h"
#include "storage/Failure.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> lines =
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\n');
    ReportTotals totals;
    for (const QByteArray& line : lines) {
        SplitDuration(line);
        try {
            totals.AddCharge(line);
        } catch (const Failure&) {
        }
        try {
            totals.AddDuration(line);
        } catch (const Failure&) {
        }
    }
    totals.MoneyText();
    totals.TimeText();
    return 0;
}
