#pragma once

#include <QString>

// Where the program's shipped data lives: beside the executable when run from
// the build folder, else in the installed data folder (<prefix>/share/mossglen).
class DataPaths
{
public:
    // Path of a file of the settings/ folder ("tags.txt", "template.html").
    static QString settingsFile(const QString &name);
    static QString settingsDir();
    // Folder holding mossglen_<locale>.qm.
    static QString translationsDir();
};
