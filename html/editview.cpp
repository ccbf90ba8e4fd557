#include "html/editview.h"

#include "editor/globalsettings.h"

#include <QTextCursor>

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

void EditView::insertShortText(int index)
{
    if (!settings || index < 0)
        return;
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) {
        cursor.insertText(settings->shortText.value(index));
        setTextCursor(cursor);
        return;
    }
    const QStringList parts = settings->shortTextSel.value(index).split(QLatin1Char(','));
    if (parts.size() != 2)
        return;
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    cursor.setPosition(end);
    cursor.beginEditBlock();
    cursor.insertText(parts.at(1));
    cursor.setPosition(start);
    cursor.insertText(parts.at(0));
    cursor.endEditBlock();
    setTextCursor(cursor);
}

void EditView::updateSettings()
{
    updateEditorSettings();
    update();
}
