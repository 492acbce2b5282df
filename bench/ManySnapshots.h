// The settings file of many small snapshots that the benchmarks load: what years of autosaves and
// hand edits could leave. Half manual, half automatic, with the names the program gives and short
// layouts, each section newest first as the program writes it.
#pragma once

#include <cstdio>
#include <string>

const int kManySnapshots = 40000;

// The name the program gives a snapshot taken `step` minutes after the first one.
inline std::string StampName(int step, bool automatic) {
    int minute = step % 60, hour = step / 60 % 24, day = step / 1440 % 28,
        month = step / (1440 * 28) % 12, year = 2020 + step / (1440 * 28 * 12);
    char name[64];
    snprintf(name, sizeof name, "%04d-%02d-%02d %02d:%02d:%02d%s", year, month + 1, day + 1, hour,
             minute, step % 7 * 8, automatic ? " (AutoSave)" : "");
    return name;
}

// Made here rather than by the program's own save, so that preparing costs the same whatever the
// code under measurement does.
inline std::string ManySnapshotsText(int count) {
    std::string text = "[Settings]\r\nAutoSave=2\r\n";
    for (int kind = 0; kind < 2; kind++) {
        text += kind ? "[AutoSaves]\r\n" : "[Saves]\r\n";
        for (int i = count / 2 - 1; i >= 0; i--) {
            char layout[64];
            snprintf(layout, sizeof layout, "=A;%d;%d;\r\n", 20 + i % 997, 10 + i % 499);
            text += StampName(2 * i + kind, kind != 0) + layout;
        }
    }
    return text;
}
