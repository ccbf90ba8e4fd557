#pragma once

#include "editor/charencoding.h"

#include <QPlainTextEdit>
#include <QString>

class GlobalSettings;
class ViEngine;

// The plain-text editor widget every document view is built on. It carries
// the document's identity (path, title, encoding).
class EditViewBase : public QPlainTextEdit
{
    Q_OBJECT
public:
    EditViewBase(GlobalSettings *settings, ViEngine *viEngine, QWidget *parent = nullptr);

    GlobalSettings *globalSettings() const { return settings; }
    ViEngine *engine() const { return viEngine; }

    QString fullPath() const { return m_fullPath; }
    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    void setFullPath(const QString &path);
    QString fileDirectory() const;
    void setCurrentDirToFile() const;

    CharEncoding charEncoding() const { return m_charEncoding; }
    void setCharEncoding(CharEncoding encoding);
    QString titleWithEncoding() const;

    void updateEditorSettings();

signals:
    void modificationChanged(bool changed);
    void fontSizeChanged(int size);
    void encodingChanged();
    void focusIn();
    void focusOut();
    void showMessage(const QString &text);
    void doOutput(const QString &text);
    void contentsChanged();

protected:
    GlobalSettings *settings;
    ViEngine *viEngine;

private:
    CharEncoding m_charEncoding = UTF8;
    QString m_title;
    QString m_fullPath;
};
