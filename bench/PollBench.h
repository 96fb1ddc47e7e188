#pragma once
// The connection check at each poll, with and without the traffic counters, timed in every
// link mode and counted in instructions, and the link dialog's reading of the interfaces.
// Each prints its figures on one line.

#include <QString>

// Polls in a run of PollCount.
constexpr int CountedPolls = 1000;

int Poll();
// CountedPolls polls in one mode ("all", "chosen", "metered"; "all+counters" and so on with
// the traffic counters read) as a marked region.
int PollCount(const QString& word);
int LinkScan(const QString& dir);
