#pragma once

#include <QTreeView>

class QFileSystemModel;

// The file-system browser of the "FileSystem" dock. It keeps nothing of its
// own: paths are always asked of its QFileSystemModel.
class FileSystemView : public QTreeView
{
    Q_OBJECT
public:
    explicit FileSystemView(QWidget *parent = nullptr);

    // The model as a file-system model, or null for any other model.
    QFileSystemModel *fileSystemModel() const;

public slots:
    // Asks for the current item to be opened when it is a file.
    void openCurrent();

signals:
    void openFile(const QString &path);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void passKey(Qt::Key key);
};
