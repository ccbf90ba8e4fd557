// Browser preview and the About box.
#include "app/mainwindow.h"

#include "editor/commandstatistics.h"
#include "html/editview.h"

#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QTemporaryFile>
#include <QUrl>

void MainWindow::on_action_Browse_triggered()
{
    EditView *view = currentView();
    if (!view)
        return;
    // The file's text: without the virtual breaks of long lines.
    const QString text = view->realText();
    if (text.isEmpty())
        return;
    QString path = view->fullPath();
    if (path.isEmpty()) {
        // The browser reads the file after this returns, so it is left behind.
        QTemporaryFile file(QDir::tempPath() + QStringLiteral("/XXXXXX.html"));
        file.setAutoRemove(false);
        if (!file.open() || file.write(text.toUtf8()) < 0 || !file.flush()) {
            showMessage(tr("The page could not be written for the browser: %1")
                            .arg(file.errorString()), true);
            return;
        }
        path = file.fileName();
        file.close();
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        showMessage(tr("No web browser could be started to show %1")
                        .arg(QDir::toNativeSeparators(path)), true);
}

void MainWindow::on_action_AboutMossglen_triggered()
{
    recordCommand(QStringLiteral("Action.about"));
    QMessageBox box(this);
    box.setIconPixmap(QPixmap(QStringLiteral(":MainWindow/Resources/tamsel.png")));
    box.setText(tr("<div align=center><b>Mossglen</b> version %1</div>").arg(QLatin1String(Version)));
    box.setInformativeText(QStringLiteral(
        "<div align=center>"
        "<p>Copyright &copy; the Mossglen developers. All rights reserved.</p>"
        "<p>Mossglen %1 &mdash; a web document editor.</p>"
        "<p>Illustration: %2</p>"
        "<p>Built with Qt %3.</p>"
        "</div>")
        .arg(QLatin1String(Version), QStringLiteral("the Mossglen developers"),
             QLatin1String(qVersion())));
    box.setObjectName(QStringLiteral("aboutBox"));
    box.exec();
}
