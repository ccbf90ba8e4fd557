#pragma once

#include "editor/globalsettings.h"

#include <QColor>

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
