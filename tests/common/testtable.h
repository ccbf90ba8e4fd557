#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Rows of a table file under tests/data: one row a line, fields split at " | ",
// the first field the row's name. Lines that are empty or start with "#" are
// skipped, so a file can carry group headings. Escapes inside fields: \n \r
// \t \e (Escape) \| \\ \0 (nothing: an empty field) and \uXXXX / \U00XXXXXX
// for characters that are hard to see or type, so that every row stays on one
// line and reads well in a diff.
struct TestRow
{
    QString name;
    QStringList fields;  // without the name
};

QList<TestRow> readTestTable(const QString &relativePath);
QString unescapeTestField(const QString &field);

// One row a file of a folder under tests/data, named after the file, with its
// path in the column: for golden-file tests that read every sample there.
void addDirectoryRows(const QString &relativeDir, const char *column = "input");
