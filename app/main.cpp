#include "app/commandline.h"
#include "app/mainwindow.h"
#include "app/winapplication.h"
#include "editor/datapaths.h"

#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

int main(int argc, char *argv[])
{
    // --help and --version answer without starting the GUI, so they also
    // work where there is no display.
    QStringList rawArgs;
    for (int i = 0; i < argc; ++i)
        rawArgs.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine early = CommandLine::parse(rawArgs);
    if (early.request == CommandLine::ShowHelp) {
        QCoreApplication core(argc, argv);  // for the program's folder
        std::fputs(CommandLine::helpText().toLocal8Bit().constData(), stdout);
        std::printf("\nKeyword and template files: %s\n",
                    qPrintable(QDir::toNativeSeparators(DataPaths::settingsDir())));
        return 0;
    }
    if (early.request == CommandLine::ShowVersion) {
        std::printf("Mossglen %s\n", MainWindow::Version);
        return 0;
    }

    WinApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationName(QStringLiteral("Mossglen"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/MainWindow/Resources/mossglen.png")));

    QTranslator translator;
    (void)translator.load(DataPaths::translationsDir() + QStringLiteral("/mossglen_")
                          + QLocale::system().name());
    QCoreApplication::installTranslator(&translator);
    // The buttons of message boxes and the file dialogs are Qt's own texts;
    // without a Qt catalogue for the locale they simply stay in English.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTranslator);

    const CommandLine cmd = CommandLine::parse(QCoreApplication::arguments());
    auto *window = new MainWindow(cmd.files);
    window->show();
    QObject::connect(&app, &WinApplication::imeOpenStatusChanged,
                     window, &MainWindow::onImeOpenStatusChanged);
    const int result = app.exec();
    delete window;
    return result;
}
