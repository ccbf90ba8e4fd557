#include "app/commandline.h"

#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("request");
        QTest::addColumn<QStringList>("files");

        QTest::newRow("no arguments") << QStringList{"mossglen"} << int(CommandLine::Run) << QStringList{};
        QTest::newRow("files in order") << QStringList{"mossglen", "b.html", "a.css"}
                                        << int(CommandLine::Run) << QStringList{"b.html", "a.css"};
        QTest::newRow("options skipped") << QStringList{"mossglen", "-x", "-", "a-b.html", "--geometry"}
                                         << int(CommandLine::Run) << QStringList{"a-b.html"};
        QTest::newRow("program name never a file") << QStringList{"index.html"} << int(CommandLine::Run)
                                                   << QStringList{};
        QTest::newRow("version") << QStringList{"mossglen", "a.html", "--version"}
                                 << int(CommandLine::ShowVersion) << QStringList{"a.html"};
        QTest::newRow("help") << QStringList{"mossglen", "--help", "a.html"}
                              << int(CommandLine::ShowHelp) << QStringList{};
        QTest::newRow("japanese name") << QStringList{"mossglen", QString::fromUtf8("\xe6\x97\xa5\xe6\x9c\xac.html")}
                                       << int(CommandLine::Run)
                                       << QStringList{QString::fromUtf8("\xe6\x97\xa5\xe6\x9c\xac.html")};
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(int, request);
        QFETCH(QStringList, files);
        const CommandLine cmd = CommandLine::parse(args);
        QCOMPARE(int(cmd.request), request);
        QCOMPARE(cmd.files, files);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
