#pragma once

#include "editor/globalsettings.h"

#include <QColor>
#include <QCoreApplication>
#include <QThread>

#include <ctime>

// The settings every view benchmark starts from: the shipped colours, line
// numbers on, tabs of four columns.
inline GlobalSettings defaultBenchSettings()
{
    GlobalSettings s;
    for (int i = 0; i < GlobalSettings::ColorCount; ++i)
        s.colors[i] = QColor::fromString(GlobalSettings::defaultColorName(i));
    s.lineNumber = true;
    s.tabWidth = 4;
    return s;
}

// This thread's processor time in milliseconds: what a step costs even when
// other work on the machine stretches the wall clock.
inline double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Lets a shown window take its first paints and pending events.
inline void settle()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
}
