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

    void setScriptKeywords(const QSet<QString> *keywords) { scriptKeywords = keywords; }
    const QSet<QString> *keywords() const { return scriptKeywords; }

    void updateSettings();

signals:
    void toClose(EditView *view);
    void openFile(const QString &fileName, EditView **view);

private:
    const QSet<QString> *scriptKeywords = nullptr;
};
