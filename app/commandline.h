#pragma once

#include <QStringList>

// What the command line asks for. Arguments starting with "-" are options;
// the only ones understood are --help and --version, the rest are skipped.
struct CommandLine
{
    enum Request { Run, ShowHelp, ShowVersion };

    static CommandLine parse(const QStringList &arguments);  // arguments[0] is the program
    static QString helpText();

    Request request = Run;
    QStringList files;
};
