#include "app/commandline.h"
#include "testsupport.h"

#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void parse_data() { addTableRows("app/commandline.txt"); }
    void parse()
    {
        QFETCH(QStringList, fields);
        const CommandLine cmd = CommandLine::parse(fields.at(0).split(u' '));
        QCOMPARE(QStringList({"Run", "ShowHelp", "ShowVersion"}).at(cmd.request), fields.at(1));
        QCOMPARE(cmd.files, fields.at(2).split(u' ', Qt::SkipEmptyParts));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
