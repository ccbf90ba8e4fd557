#pragma once

#include <QString>

// One table for the whole program, counting uses of commands named
// "Action.*" (menu commands) and "Edit.*" (editor keys and gestures). It
// starts empty on every run; saving replaces the stored list.
void recordCommand(const QString &name);
void saveCommandStatistics();
int commandCount(const QString &name);
void clearCommandStatistics();
