#include "editor/datapaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString installedDataDir()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath()
                           + QStringLiteral("/../share/mossglen"));
}
} // namespace

QString DataPaths::settingsDir()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/settings");
    if (QFileInfo(beside).isDir())
        return beside;
    const QString installed = installedDataDir() + QStringLiteral("/settings");
    return QFileInfo(installed).isDir() ? installed : beside;
}

QString DataPaths::settingsFile(const QString &name)
{
    return settingsDir() + QLatin1Char('/') + name;
}

QString DataPaths::translationsDir()
{
    const QString beside = QCoreApplication::applicationDirPath();
    if (!QDir(beside).entryList({QStringLiteral("mossglen_*.qm")}, QDir::Files).isEmpty())
        return beside;
    const QString installed = installedDataDir() + QStringLiteral("/translations");
    return QFileInfo(installed).isDir() ? installed : beside;
}
