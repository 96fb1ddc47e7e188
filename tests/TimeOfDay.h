#pragma once
// A time of day in milliseconds after midnight, as the tables and the tracker count it.

constexpr int Ms(int h, int m, int s, int ms = 0) {
    return ((h * 60 + m) * 60 + s) * 1000 + ms;
}
