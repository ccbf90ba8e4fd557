#include "html/editview.h"

EditView::EditView(GlobalSettings *settings, ViEngine *viEngine, QWidget *parent)
    : EditViewBase(settings, viEngine, parent)
{
    connect(document(), &QTextDocument::modificationChanged,
            this, &EditViewBase::modificationChanged);
    connect(document(), &QTextDocument::contentsChanged,
            this, &EditViewBase::contentsChanged);
}

EditView::~EditView()
{
    emit toClose(this);
}

void EditView::updateSettings()
{
    updateEditorSettings();
}
