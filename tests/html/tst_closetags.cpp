#include "html/closetags.h"
#include "testtable.h"

#include <QtTest>

class TestCloseTags : public QObject
{
    Q_OBJECT
private slots:
    void forText_data();
    void forText();
    void lineByLine();
    void isVoidElement();
};

void TestCloseTags::forText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    for (const TestRow &r : readTestTable(QStringLiteral("html/close_tags.txt")))
        QTest::newRow(qPrintable(r.name)) << r.fields.at(0) << r.fields.at(1).split(u' ', Qt::SkipEmptyParts);
}

void TestCloseTags::forText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);

    const qsizetype cursor = text.indexOf(u'|');
    QVERIFY(cursor >= 0);
    text.remove(cursor, 1);
    QCOMPARE(CloseTags::forText(text, cursor), expected);
}

void TestCloseTags::lineByLine()
{
    // Feeding lines one at a time keeps the state between them.
    CloseTags scanner;
    QVERIFY(scanner.candidates().isEmpty());
    scanner.addLine(u"<html>");
    scanner.addLine(u"<body><div>");
    QCOMPARE(scanner.candidates(), (QStringList{"</html>", "</body>", "</div>"}));
    scanner.addLine(u"</div>");
    QCOMPARE(scanner.candidates(), (QStringList{"</html>", "</body>"}));
    scanner.addLine(u"</html>");
    QCOMPARE(scanner.candidates(), (QStringList{"</html>", "</body>"}));
}

void TestCloseTags::isVoidElement()
{
    // KELVIN SIGN folds to k; an accented letter does not fold to its base.
    for (const QString &name : {"br", "BR", "img", "source", "wbr", "meta", "lin\u212a"})
        QVERIFY2(CloseTags::isVoidElement(name), qPrintable(name));
    for (const QString &name : {"\u00e9mbed", "div", "b", "brr", "", "image", "sources", "inputs"})
        QVERIFY2(!CloseTags::isVoidElement(name), qPrintable(name));
}

QTEST_APPLESS_MAIN(TestCloseTags)
#include "tst_closetags.moc"
