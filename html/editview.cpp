#include "html/editview.h"

EditView::EditView(GlobalSettings *settings, ViEngine *viEngine, QWidget *parent)
    : EditViewBase(settings, viEngine, parent)
{
    connect(document(), &QTextDocument::contentsChanged, this, &EditView::onContentsChanged);
    connect(document(), &QTextDocument::modificationChanged, this, &EditView::onModificationChanged);
}

EditView::~EditView()
{
    emit toClose(this);
}

void EditView::onContentsChanged()
{
    emit contentsChanged();
}

void EditView::onModificationChanged(bool changed)
{
    emit modificationChanged(changed);
}

void EditView::updateSettings()
{
    updateEditorSettings();
    update();
}
