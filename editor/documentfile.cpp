#include "editor/documentfile.h"

#include "editor/editviewbase.h"
#include "editor/userprompt.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

// First cut: UTF-8 only. Encoding detection and the other four encodings
// replace this.
bool readDocument(EditViewBase *view, const QString &fileName)
{
    QString name = fileName;
    name.replace(QChar(0x00A5), QLatin1Char('/'));
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    view->setPlainText(QString::fromUtf8(bytes));
    view->document()->setModified(false);
    view->setCharEncoding(UTF8);
    return true;
}

bool writeDocument(EditViewBase *view, const QString &fileName, QWidget *dialogParent)
{
    QSaveFile file(fileName);
    const QByteArray bytes = view->toPlainText().toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        UserPrompt::critical(dialogParent, QObject::tr("save"),
                             QObject::tr("failed to save file '%1'").arg(fileName));
        return false;
    }
    if (view->document()->isModified())
        view->document()->setModified(false);
    return true;
}
