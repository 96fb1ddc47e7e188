#pragma once
// The benchmark's figures: medians of runs, a figure with its spread, and the table's rows
// with their targets and verdicts.

#include <QList>
#include <QString>
#include <initializer_list>

double Percentile(QList<double> values, double p);
double Median(const QList<double>& values);
// The values on one line, as a child process hands them to the table.
void Print(std::initializer_list<double> values);

// A median with the lowest and highest of the runs behind it.
struct Figure {
    double median = 0, low = 0, high = 0;
};
Figure FigureOf(const QList<double>& runs);
Figure Scaled(Figure f, double by);

QString Text(const Figure& f, const char* unit);
void Row(const char* figure, Figure ours, Figure baseline, const char* unit, const QString& target,
         bool met);
void Row(const char* figure, double ours, double baseline, const char* unit, const QString& target,
         bool met);

// Each row with a target, as it was judged, in the order printed.
struct Verdict {
    QString figure;
    bool met = false;
};
QList<Verdict>& Verdicts();
// One line: every target met, or how many were not and which.
void PrintVerdict();
