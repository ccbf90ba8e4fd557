#include "panels/filesystemview.h"

FileSystemView::FileSystemView(QWidget *parent)
    : QTreeView(parent)
{
}
