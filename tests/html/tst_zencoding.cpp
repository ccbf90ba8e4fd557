#include "html/zencoding.h"
#include "testtable.h"

#include <QElapsedTimer>
#include <QtTest>

class TestZenCoding : public QObject
{
    Q_OBJECT
private slots:
    void functions_data();
    void functions();
};

void TestZenCoding::functions_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("extra");
    for (const TestRow &r : readTestTable(QStringLiteral("html/zencoding.txt")))
        QTest::newRow(qPrintable(r.fields.at(0) + QLatin1String(": ") + r.name))
                << r.fields.at(0) << r.fields.at(1) << r.fields.at(2) << r.fields.value(3);
}

void TestZenCoding::functions()
{
    QFETCH(QString, function);
    QFETCH(QString, input);
    QFETCH(QString, result);
    QFETCH(QString, extra);
    QString item = input;
    QString out;
    if (function == u"expand") {
        int lines = -7;
        int column = -9;
        QElapsedTimer timer;
        timer.start();
        const bool ok = ZenCoding::expandAbbreviation(extra, item, lines, column);
        QVERIFY2(timer.elapsed() < 5000, "refusing or expanding took too long");
        if (!ok) {
            // A refused abbreviation leaves everything as it was.
            QCOMPARE(item, input);
            QCOMPARE(lines, -7);
            QCOMPARE(column, -9);
            out = QStringLiteral("refused");
        } else if (result == u"accepted") {
            QVERIFY(item.size() <= ZenCoding::MaxMarkupSize);
            out = QStringLiteral("accepted");
            QCOMPARE(lines, 0);
            QCOMPARE(column, 3);
        } else {
            out = QStringLiteral("%1 @%2:%3").arg(item).arg(lines).arg(column);
        }
    } else if (function == u"repeat") {
        const int count = ZenCoding::splitRepeat(item);
        out = QStringLiteral("%1 %2").arg(count).arg(item);
    } else if (function == u"open tag") {
        int adjust = 99;
        const QString tag = ZenCoding::openTag(item, adjust);
        out = QStringLiteral("<%1> %2 %3").arg(tag, item).arg(adjust);
    } else if (function == u"inline") {
        out = ZenCoding::isInline(input) ? QStringLiteral("yes") : QStringLiteral("no");
    } else if (function == u"find") {
        int start = -1;
        QString prefix;
        const bool found = ZenCoding::findAbbreviation(input, extra.toInt(), start, prefix);
        out = found ? QStringLiteral("%1 [%2]").arg(start).arg(prefix) : QStringLiteral("none");
        if (!found) {
            QCOMPARE(start, -1);
            QVERIFY(prefix.isEmpty());
        }
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown function ") + function));
    }
    QCOMPARE(out, result);
}

QTEST_GUILESS_MAIN(TestZenCoding)
#include "tst_zencoding.moc"
