#pragma once

#include "editor/editviewbase.h"

#include <QSet>
#include <QString>

// The HTML-aware document view: one per tab.
class EditView : public EditViewBase
{
    Q_OBJECT
public:
    EditView(GlobalSettings *settings, ViEngine *viEngine, QWidget *parent = nullptr);
    ~EditView() override;

    // The main window's script keyword set, shared by every view and never
    // freed here.
    void setScriptKeywords(const QSet<QString> *keywords) { scriptKeywords = keywords; }
    const QSet<QString> *keywords() const { return scriptKeywords; }

    void updateSettings();

    // Short text `index` (0-9) at the cursor, or, with a selection, the
    // selection wrapped in the two comma-separated halves of the selection
    // short text; one undo step.
    void insertShortText(int index);

signals:
    // Emitted from the destructor, while the view is still a whole EditView.
    void toClose(EditView *view);
    // Asks the main window to open or activate a file and hand back its view.
    void openFile(const QString &fileName, EditView **view);

public slots:
    void onContentsChanged();
    void onModificationChanged(bool changed);

private:
    const QSet<QString> *scriptKeywords = nullptr;
};
