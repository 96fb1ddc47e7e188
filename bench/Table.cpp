#include "Table.h"

#include <QStringList>
#include <algorithm>
#include <cstdio>

double Percentile(QList<double> values, double p) {
    std::sort(values.begin(), values.end());
    if (values.isEmpty())
        return 0;
    return values[std::min<qsizetype>(values.size() - 1, qsizetype(p * (values.size() - 1) + 0.5))];
}
double Median(const QList<double>& values) {
    return Percentile(values, 0.5);
}

void Print(std::initializer_list<double> values) {
    QStringList out;
    for (double v : values)
        out << QString::number(v, 'f', 3);
    std::printf("%s\n", qPrintable(out.join(' ')));
}

Figure FigureOf(const QList<double>& runs) {
    if (runs.isEmpty())
        return {};
    return {Median(runs), *std::min_element(runs.begin(), runs.end()),
            *std::max_element(runs.begin(), runs.end())};
}
Figure Scaled(Figure f, double by) {
    return {f.median * by, f.low * by, f.high * by};
}

QString Text(const Figure& f, const char* unit) {
    const int places = f.median >= 100 ? 0 : 1;
    QString text = QString::number(f.median, 'f', places);
    if (f.high > f.low)
        text += QStringLiteral(" (%1-%2)")
                    .arg(QString::number(f.low, 'f', places), QString::number(f.high, 'f', places));
    if (*unit)
        text += QLatin1Char(' ') + QLatin1String(unit);
    return text;
}

void Row(const char* figure, Figure ours, Figure baseline, const char* unit, const QString& target,
         bool met) {
    if (!target.isEmpty())
        Verdicts() << Verdict{QString::fromUtf8(figure), met};
    const bool hasBase = baseline.median > 0;
    const QString ratio = hasBase ? QString::number(ours.median / baseline.median, 'f', 2) : "-";
    std::printf("%-46s %22s %22s %6s  %-10s %s\n", figure, qPrintable(Text(ours, unit)),
                hasBase ? qPrintable(Text(baseline, unit)) : "-", qPrintable(ratio),
                qPrintable(target),
                target.isEmpty() ? ""
                : met            ? "met"
                                 : "NOT MET");
    std::fflush(stdout);
}
void Row(const char* figure, double ours, double baseline, const char* unit, const QString& target,
         bool met) {
    Row(figure, Figure{ours, ours, ours}, Figure{baseline, baseline, baseline}, unit, target, met);
}

QList<Verdict>& Verdicts() {
    static QList<Verdict> verdicts;
    return verdicts;
}

void PrintVerdict() {
    QStringList missed;
    for (const Verdict& each : Verdicts())
        if (!each.met)
            missed << each.figure;
    if (missed.isEmpty())
        std::printf("VERDICT: all %lld targets met\n", qlonglong(Verdicts().size()));
    else
        std::printf("VERDICT: %lld of %lld targets NOT MET: %s\n", qlonglong(missed.size()),
                    qlonglong(Verdicts().size()), qPrintable(missed.join(QStringLiteral("; "))));
    std::fflush(stdout);
}
