#include "editor/editviewbase.h"

#include "editor/globalsettings.h"

#include <QDir>
#include <QFileInfo>

EditViewBase::EditViewBase(GlobalSettings *settings, ViEngine *viEngine, QWidget *parent)
    : QPlainTextEdit(parent)
    , settings(settings)
    , viEngine(viEngine)
{
    setAcceptDrops(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void EditViewBase::setFullPath(const QString &path)
{
    m_fullPath = path;
    m_title = QFileInfo(path).fileName();
}

QString EditViewBase::fileDirectory() const
{
    if (m_fullPath.isEmpty())
        return {};
    return QFileInfo(m_fullPath).absolutePath();
}

void EditViewBase::setCurrentDirToFile() const
{
    const QString dir = fileDirectory();
    if (!dir.isEmpty())
        QDir::setCurrent(dir);
}

void EditViewBase::setCharEncoding(CharEncoding encoding)
{
    m_charEncoding = encoding;
    emit encodingChanged();
}

QString EditViewBase::titleWithEncoding() const
{
    QString text = m_fullPath.isEmpty() ? m_title : m_fullPath;
    if (const char *name = encodingName(m_charEncoding))
        text += QStringLiteral(" (%1)").arg(QLatin1String(name));
    return text;
}

void EditViewBase::updateEditorSettings()
{
    if (!settings)
        return;
    setTabStopDistance(fontMetrics().horizontalAdvance(QString(settings->tabWidth, QLatin1Char(' '))));
    QPalette pal = palette();
    pal.setColor(QPalette::Base, settings->color(GlobalSettings::ColBackground));
    pal.setColor(QPalette::Window, settings->color(GlobalSettings::ColBackground));
    pal.setColor(QPalette::Text, settings->color(GlobalSettings::ColText));
    pal.setColor(QPalette::Highlight, settings->color(GlobalSettings::ColSelBackground));
    pal.setColor(QPalette::HighlightedText, settings->color(GlobalSettings::ColSelText));
    setPalette(pal);
    viewport()->update();
}
