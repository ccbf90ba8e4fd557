#include "html/closetags.h"

#include <QtTest>

class TestCloseTags : public QObject
{
    Q_OBJECT
private slots:
    void forText_data();
    void forText();
    void lineByLine();
    void isVoidElement_data();
    void isVoidElement();
};

void TestCloseTags::forText_data()
{
    // '|' marks the cursor; it is removed before scanning.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    const QStringList none;
    QTest::newRow("empty document") << "|" << none;
    QTest::newRow("nested, void elements skipped")
        << "<html><body><div><p>text</p><br><img src=x>|"
        << QStringList{"</html>", "</body>", "</div>"};
    QTest::newRow("innermost closed")
        << "<html><body><div><p>text</p><br><img src=x></div>|"
        << QStringList{"</html>", "</body>"};
    QTest::newRow("stray closing tag")
        << "<html><body><div></span>|" << QStringList{"</html>", "</body>", "</div>"};
    QTest::newRow("mismatched closing tag ignored")
        << "<div><p></div>|" << QStringList{"</div>", "</p>"};
    QTest::newRow("out of order") << "<a><b></a></b>|" << QStringList{"</a>"};
    QTest::newRow("reopened moves last") << "<div><p><div>|" << QStringList{"</p>", "</div>"};
    QTest::newRow("self-closing") << "<br/><x a=b/><p>|" << QStringList{"</p>"};
    QTest::newRow("names lower-cased") << "<DIV><Span>|" << QStringList{"</div>", "</span>"};
    QTest::newRow("upper-case closing") << "<div><p></P>|" << QStringList{"</div>"};
    QTest::newRow("digits in names") << "<h1>|" << QStringList{"</h1>"};
    QTest::newRow("not tags") << "<!doctype html><?php x ?>< a <1 a<|" << none;
    QTest::newRow("comments are not excluded") << "<!-- <div> -->|" << QStringList{"</div>"};
    QTest::newRow("all void elements")
        << "<ul><li><source src=a><wbr><col><area><base><embed><track><hr><meta><link><input>|"
        << QStringList{"</ul>", "</li>"};
    QTest::newRow("closing tag without name at line end") << "<div></|" << QStringList{"</div>"};
    QTest::newRow("empty closing tag") << "<div></>|" << QStringList{"</div>"};
    QTest::newRow("lone angle at line end") << "<p><|" << QStringList{"</p>"};
    QTest::newRow("attributes") << "<table border=1><tr class=\"x\">|"
                                << QStringList{"</table>", "</tr>"};
    QTest::newRow("cursor line scanned whole") << "<div>\n<p>|<span>\n<em>"
                                               << QStringList{"</div>", "</p>", "</span>"};
    QTest::newRow("cursor at a line start") << "<div>\n|<p>\n<em>"
                                            << QStringList{"</div>", "</p>"};
    QTest::newRow("over several lines") << "<ul>\n\t<li>one</li>\n\t<li>\n|"
                                        << QStringList{"</ul>", "</li>"};
    QTest::newRow("cursor on an empty last line") << "<ol>\n|" << QStringList{"</ol>"};
    QTest::newRow("tag split over lines") << "<p\nclass=x>|" << QStringList{"</p>"};
    QTest::newRow("non-ASCII names") << QString::fromUtf16(u"<\u00c9t\u00e9><x\u00e9>\u00e9</X\u00c9>|")
                                     << QStringList{QString::fromUtf16(u"</\u00e9t\u00e9>")};
    QTest::newRow("mixed case closes") << "<Div><SPAN></span></DIV>|" << QStringList();
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

void TestCloseTags::isVoidElement_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("result");
    for (const char *name : {"br", "BR", "img", "source", "wbr", "meta"})
        QTest::newRow(name) << QString::fromLatin1(name) << true;
    QTest::newRow("KELVIN SIGN folds to k") << QString::fromUtf16(u"lin\u212a") << true;
    QTest::newRow("not accented") << QString::fromUtf16(u"\u00e9mbed") << false;
    for (const char *name : {"div", "b", "brr", "", "image", "sources", "inputs"})
        QTest::newRow(QByteArray("not ").append(name).constData()) << QString::fromLatin1(name) << false;
}

void TestCloseTags::isVoidElement()
{
    QFETCH(QString, name);
    QFETCH(bool, result);
    QCOMPARE(CloseTags::isVoidElement(name), result);
}

QTEST_APPLESS_MAIN(TestCloseTags)
#include "tst_closetags.moc"
