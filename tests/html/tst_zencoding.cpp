#include "html/zencoding.h"

#include <QElapsedTimer>
#include <QtTest>

#include <climits>

class TestZenCoding : public QObject
{
    Q_OBJECT
private slots:
    void expandAbbreviation_data();
    void expandAbbreviation();
    void tooLarge_data();
    void tooLarge();
    void splitRepeat_data();
    void splitRepeat();
    void openTag_data();
    void openTag();
    void isInline_data();
    void isInline();
    void findAbbreviation_data();
    void findAbbreviation();
};

void TestZenCoding::expandAbbreviation_data()
{
    QTest::addColumn<QString>("abbreviation");
    QTest::addColumn<QString>("prefix");  // blanks in place of the text before it
    QTest::addColumn<QString>("markup");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("column");
    const QString none;

    // single elements and the anchor's href cursor
    QTest::newRow("element") << "div" << none << "<div></div>" << 0 << 5;
    QTest::newRow("anchor") << "a" << none << "<a href=\"\"></a>" << 0 << 9;
    QTest::newRow("anchor with class") << "a.nav" << none
        << "<a class=\"nav\" href=\"\"></a>" << 0 << 21;
    QTest::newRow("upper-case A is no anchor") << "A" << none << "<A></A>" << 0 << 3;
    QTest::newRow("id and classes") << "div#main.box.wide" << none
        << "<div id=\"main\" class=\"box wide\"></div>" << 0 << 32;
    QTest::newRow("alternating specifiers") << "p.x#y.z" << none
        << "<p class=\"x\" id=\"y\" class=\"z\"></p>" << 0 << 30;
    QTest::newRow("no name") << ".x" << none << "< class=\"x\"></>" << 0 << 12;
    QTest::newRow("digit as name") << "3" << none << "<3></3>" << 0 << 3;

    // child, sibling and repeat operators
    QTest::newRow("child list") << "ul>li*3" << none
        << "<ul>\n\t<li></li>\n\t<li></li>\n\t<li></li>\n</ul>" << 1 << 5;
    QTest::newRow("siblings inside") << "div>p+span" << none
        << "<div>\n\t<p></p>\n\t<span></span>\n</div>" << 1 << 4;
    QTest::newRow("child goes to last sibling") << "p+div>span" << none
        << "<p></p>\n<div>\n\t<span></span>\n</div>" << 0 << 3;
    QTest::newRow("three levels") << "div>div>p" << none
        << "<div>\n\t<div>\n\t\t<p></p>\n\t</div>\n</div>" << 2 << 5;
    QTest::newRow("repeated parent") << "div*2>p" << none
        << "<div>\n\t<p></p>\n</div>\n<div>\n\t<p></p>\n</div>" << 1 << 4;
    QTest::newRow("anchor inside block") << "div>a" << none
        << "<div>\n\t<a href=\"\"></a>\n</div>" << 1 << 10;
    QTest::newRow("empty last part") << "div>" << none << "<div>\n\t<></>\n</div>" << 1 << 3;

    // inline content stays on the line
    QTest::newRow("inline child") << "b>i" << none << "<b><i></i></b>" << 0 << 3;
    QTest::newRow("anchor with inline child") << "a>span" << none
        << "<a href=\"\"><span></span></a>" << 0 << 9;
    QTest::newRow("font is inline") << "font>b" << none << "<font><b></b></font>" << 0 << 6;
    QTest::newRow("upper-case inline") << "A>b" << none << "<A><b></b></A>" << 0 << 3;
    QTest::newRow("inline around block") << "span>div>p" << none
        << "<span><div>\n\t<p></p>\n</div></span>" << 1 << 4;

    // $ numbering, each level numbering its own copies
    QTest::newRow("numbered items") << "li.item$*3" << none
        << "<li class=\"item1\"></li>\n<li class=\"item2\"></li>\n<li class=\"item3\"></li>"
        << 0 << 18;
    QTest::newRow("numbered across levels") << "ul.g$*2>li.i$*3" << none
        << "<ul class=\"g1\">\n"
           "\t<li class=\"i1\"></li>\n\t<li class=\"i2\"></li>\n\t<li class=\"i3\"></li>\n"
           "</ul>\n"
           "<ul class=\"g2\">\n"
           "\t<li class=\"i1\"></li>\n\t<li class=\"i2\"></li>\n\t<li class=\"i3\"></li>\n"
           "</ul>"
        << 1 << 16;
    QTest::newRow("single copy numbered 1") << "li$" << none << "<li1></li1>" << 0 << 5;
    QTest::newRow("several dollars") << "i#a$.b$*2" << none
        << "<i id=\"a1\" class=\"b1\"></i>\n<i id=\"a2\" class=\"b2\"></i>" << 0 << 22;

    // skeletons
    QTest::newRow("ul skeleton") << "ul+" << none << "<ul>\n\t<li></li>\n</ul>" << 1 << 5;
    QTest::newRow("ol skeleton") << "ol+" << none << "<ol>\n\t<li></li>\n</ol>" << 1 << 5;
    QTest::newRow("dl skeleton") << "dl+" << none
        << "<dl>\n\t<dt></dt>\n\t<dd></dd>\n</dl>" << 1 << 5;
    QTest::newRow("table skeleton") << "table+" << none
        << "<table>\n\t<tr>\n\t\t<td></td>\n\t</tr>\n</table>" << 2 << 6;
    QTest::newRow("skeleton as child") << "div>ul+" << none
        << "<div>\n\t<ul>\n\t\t<li></li>\n\t</ul>\n</div>" << 2 << 6;

    // literal cases
    QTest::newRow("UL+ is no skeleton") << "UL+" << none << "<UL></UL>\n<></>" << 0 << 4;
    // A line that begins with closing tags: the cursor goes behind the
    // element that opens on it.
    QTest::newRow("skeletons after a child") << QStringLiteral("ol+>ul+>\u65e5") << none
        << QStringLiteral("<\u65e5></\u65e5><ul>\n\t<li></li>\n</ul><ol>\n\t<li></li>\n</ol>")
        << 2 << 9;
    QTest::newRow("bare repeat") << "*3" << none << "<*3></*3>" << 0 << 4;
    QTest::newRow("repeat without count") << "li*" << none << "<li*></li*>" << 0 << 5;
    QTest::newRow("zero copies") << "x*0" << none << "" << 0 << 0;
    QTest::newRow("zero copies before sibling") << "x*0+p" << none << "\n<p></p>" << 1 << 3;
    QTest::newRow("only the last repeat counts") << "li*2*3" << none
        << "<li*2></li*2>\n<li*2></li*2>\n<li*2></li*2>" << 0 << 6;

    // alignment after text on the line
    const QString four(4, u' ');
    QTest::newRow("single line ignores prefix") << "div" << four << "<div></div>" << 0 << 5;
    QTest::newRow("skeleton after text") << "ul+" << four
        << "<ul>\n    \t<li></li>\n    </ul>" << 1 << 9;
    QTest::newRow("table skeleton after TAB") << "table+" << "\t"
        << "<table>\n\t\t<tr>\n\t\t\t<td></td>\n\t\t</tr>\n\t</table>" << 2 << 7;
    QTest::newRow("block with content") << "div>p" << four
        << "<div>\n    \t<p></p>\n    </div>" << 1 << 8;
    // Repeats and siblings start their later lines under the first one.
    QTest::newRow("repeat after text") << "li*3" << four
        << "<li></li>\n    <li></li>\n    <li></li>" << 0 << 4;
    QTest::newRow("siblings after text") << "p+p" << four << "<p></p>\n    <p></p>" << 0 << 3;
    // Every line of nested content keeps the prefix, not only the wrapper's.
    QTest::newRow("nested content") << "div>ul>li*2" << "  "
        << "<div>\n  \t<ul>\n  \t\t<li></li>\n  \t\t<li></li>\n  \t</ul>\n  </div>" << 2 << 8;
    QTest::newRow("mixed blanks and TAB") << "dl+" << "\t  "
        << "<dl>\n\t  \t<dt></dt>\n\t  \t<dd></dd>\n\t  </dl>" << 1 << 8;
    QTest::newRow("anchor on an aligned line") << "p>a" << "  "
        << "<p>\n  \t<a href=\"\"></a>\n  </p>" << 1 << 12;
}

void TestZenCoding::expandAbbreviation()
{
    QFETCH(QString, abbreviation);
    QFETCH(QString, prefix);
    QFETCH(QString, markup);
    QFETCH(int, lines);
    QFETCH(int, column);

    QString text = abbreviation;
    int gotLines = -1;
    int gotColumn = -1;
    QVERIFY(ZenCoding::expandAbbreviation(prefix, text, gotLines, gotColumn));
    QCOMPARE(text, markup);
    QCOMPARE(gotLines, lines);
    QCOMPARE(gotColumn, column);
}

void TestZenCoding::tooLarge_data()
{
    QTest::addColumn<QString>("abbreviation");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("accepted");

    // "<p></p>" plus a line feed is 8 characters a copy: 131072 copies end
    // one character short of the limit.
    QTest::newRow("at the limit") << "p*131072" << QString() << true;
    QTest::newRow("one copy over") << "p*131073" << QString() << false;
    QTest::newRow("alignment pushes it over") << "p*131072" << "  " << false;
    QTest::newRow("numbers push it over") << "$*131072" << QString() << false;
    QTest::newRow("nested huge repeats") << "div*100000>p*100000" << QString() << false;
    QTest::newRow("count beyond int") << "p*99999999999999999999" << QString() << false;
    QTest::newRow("deep huge repeat") << "a*50000>b*50000>i*50000" << QString() << false;
    QTest::newRow("huge skeleton list") << "div*200000>table+" << QString() << false;
}

void TestZenCoding::tooLarge()
{
    QFETCH(QString, abbreviation);
    QFETCH(QString, prefix);
    QFETCH(bool, accepted);

    QString text = abbreviation;
    int lines = -7;
    int column = -9;
    QElapsedTimer timer;
    timer.start();
    const bool ok = ZenCoding::expandAbbreviation(prefix, text, lines, column);
    QVERIFY2(timer.elapsed() < 5000, "refusing or expanding took too long");
    QCOMPARE(ok, accepted);
    if (accepted) {
        QVERIFY(text.size() <= ZenCoding::MaxMarkupSize);
        QCOMPARE(lines, 0);
        QCOMPARE(column, 3);
    } else {
        QCOMPARE(text, abbreviation);
        QCOMPARE(lines, -7);
        QCOMPARE(column, -9);
    }
}

void TestZenCoding::splitRepeat_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("rest");

    QTest::newRow("no repeat") << "li" << 1 << "li";
    QTest::newRow("repeat") << "li*3" << 3 << "li";
    QTest::newRow("zero") << "li*0" << 0 << "li";
    QTest::newRow("leading zeros") << "li*007" << 7 << "li";
    QTest::newRow("several digits") << "td.c$*12" << 12 << "td.c$";
    QTest::newRow("nothing before the star") << "*3" << 1 << "*3";
    QTest::newRow("no digits") << "li*" << 1 << "li*";
    QTest::newRow("not at the end") << "li*3x" << 1 << "li*3x";
    QTest::newRow("last star counts") << "li*2*3" << 3 << "li*2";
    QTest::newRow("empty") << "" << 1 << "";
    QTest::newRow("clamped") << "p*99999999999999999999" << INT_MAX << "p";
    QTest::newRow("other script digits") << QString::fromUtf16(u"li*\u0663") << 3 << "li";
    QTest::newRow("fraction is no digit") << QString::fromUtf16(u"li*\u00bd") << 1 << QString::fromUtf16(u"li*\u00bd");
}

void TestZenCoding::splitRepeat()
{
    QFETCH(QString, item);
    QFETCH(int, count);
    QFETCH(QString, rest);

    QCOMPARE(ZenCoding::splitRepeat(item), count);
    QCOMPARE(item, rest);
}

void TestZenCoding::openTag_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("adjust");

    QTest::newRow("name only") << "div" << "div" << "div" << 0;
    QTest::newRow("id") << "div#main" << "div id=\"main\"" << "div" << 0;
    QTest::newRow("two classes") << "p.a.b" << "p class=\"a b\"" << "p" << 0;
    QTest::newRow("two ids join too") << "p#a#b" << "p id=\"a b\"" << "p" << 0;
    QTest::newRow("anchor") << "a" << "a href=\"\"" << "a" << -2;
    QTest::newRow("abbr is no anchor") << "abbr" << "abbr" << "abbr" << 0;
    QTest::newRow("empty name") << ".x" << " class=\"x\"" << "" << 0;
    QTest::newRow("empty value") << "p#" << "p id=\"\"" << "p" << 0;
    QTest::newRow("other characters pass") << "x-y:z" << "x-y:z" << "x-y:z" << 0;
}

void TestZenCoding::openTag()
{
    QFETCH(QString, item);
    QFETCH(QString, tag);
    QFETCH(QString, name);
    QFETCH(int, adjust);

    int gotAdjust = 99;
    QCOMPARE(ZenCoding::openTag(item, gotAdjust), tag);
    QCOMPARE(item, name);
    QCOMPARE(gotAdjust, adjust);
}

void TestZenCoding::isInline_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("result");

    for (const char *name : {"a", "b", "i", "u", "font", "span", "SPAN", "Font", "A"})
        QTest::newRow(name) << QString::fromLatin1(name) << true;
    for (const char *name : {"div", "p", "li", "em", "abbr", "spa", "spans", ""})
        QTest::newRow(QByteArray("not ").append(name).constData()) << QString::fromLatin1(name) << false;
}

void TestZenCoding::isInline()
{
    QFETCH(QString, name);
    QFETCH(bool, result);
    QCOMPARE(ZenCoding::isInline(name), result);
}

void TestZenCoding::findAbbreviation_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("end");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("prefix");

    QTest::newRow("whole line") << "ul>li*3" << 7 << true << 0 << "";
    QTest::newRow("after text") << "foo ul+" << 7 << true << 4 << "    ";
    QTest::newRow("TAB kept in prefix") << "\tx  div" << 7 << true << 4 << "\t   ";
    QTest::newRow("cursor inside a word") << "abc def" << 3 << true << 0 << "";
    QTest::newRow("wide characters count once") << QString::fromUtf16(u"\u65e5\u672c p") << 4 << true << 3
                                                 << "   ";
    QTest::newRow("line start") << "div" << 0 << false << -1 << "";
    QTest::newRow("after a blank") << "foo " << 4 << false << -1 << "";
    QTest::newRow("after a TAB") << "\t" << 1 << false << -1 << "";
    QTest::newRow("empty line") << "" << 0 << false << -1 << "";
}

void TestZenCoding::findAbbreviation()
{
    QFETCH(QString, line);
    QFETCH(int, end);
    QFETCH(bool, found);
    QFETCH(int, start);
    QFETCH(QString, prefix);

    int gotStart = -1;
    QString gotPrefix;
    QCOMPARE(ZenCoding::findAbbreviation(line, end, gotStart, gotPrefix), found);
    QCOMPARE(gotStart, start);
    QCOMPARE(gotPrefix, prefix);
}

QTEST_GUILESS_MAIN(TestZenCoding)
#include "tst_zencoding.moc"
