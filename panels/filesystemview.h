#pragma once

#include <QTreeView>

// The file-system browser of the "FileSystem" dock.
class FileSystemView : public QTreeView
{
    Q_OBJECT
public:
    explicit FileSystemView(QWidget *parent = nullptr);

signals:
    void openFile(const QString &path);
};
