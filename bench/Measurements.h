#pragma once
// One measurement each, run in a process of its own so that its memory is its own: the
// report's preview and PDF, the statistics window, --summary, the report totals, and the
// floors they are measured against. Each prints its figures on one line.

#include <QString>

int Preview(const QString& dir);
int Pdf(const QString& dir, const QString& file);
int PlainLoop(const QString& dir, const QString& file);
int Statistics(const QString& dir);
int Summary(const QString& program, const QString& dir);
int Totals(const QString& dir);
int ScanTotals(const QString& dir);
