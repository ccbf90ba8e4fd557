// The completion commands on real views: which candidates each context
// offers, what the popup shows and preselects, and what ends up in the
// document after the keys a user presses in the popup.
//
// Documents are written with "^" for the cursor and "[" "]" around a
// selection. The popup is answered by a driver that sends keys to it instead
// of running it modally.

#include "editor/globalsettings.h"
#include "highlight/htmlscanner.h"
#include "highlight/viengine.h"
#include "html/completionwidget.h"
#include "html/editview.h"
#include "html/keywordlist.h"
#include "testsupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

namespace {

const char tagsFile[] =
    "# tags for the tests\n"
    "dir\tdirectory list\n"
    "div\t  generic block  \textra field\n"
    "\tclass=\"\"\tclasses\n"
    "\n"
    "\tid=\"\"\n"
    "dl\n"
    "a\tanchor\n"
    " href=\"\"\tlink target\n"
    "\tNAME=\"\"\n"
    "\ttarget=\"\"\n"
    "# end of a's attributes\n"
    "\tstray=\"\"\n"
    "div\tsecond div line\n"
    "\tignored=\"\"\n";

const char cssFile[] = "color\tforeground\nbackground\nborder\nborder-color\n";
const char charsFile[] = "&amp;\t&\n&lt;\t<\n&gt;\t>\n&copy;\t\xc2\xa9\nnot a reference\n";

// Answers the popup in place of a user: records what it shows, then presses
// the scripted keys. '\r' is Return, '\x1b' Escape, '\b' Backspace, '\x0a'
// Ctrl+J, '\x0b' Ctrl+K; any other character is typed.
class PopupDriver : public ScriptedPrompt
{
public:
    int runDialog(QDialog *dialog) override
    {
        ++runs;
        auto *popup = qobject_cast<CompletionWidget *>(dialog);
        if (!popup)
            return QDialog::Rejected;
        rows.clear();
        for (int i = 0; i < popup->count(); ++i)
            rows << popup->list()->item(i)->text();
        currentRow = popup->list()->currentRow();
        position = popup->pos();
        QSignalSpy finished(popup, &QDialog::finished);
        for (QChar c : std::as_const(keys)) {
            if (!finished.isEmpty())
                break;
            QWidget *target = popup->list();
            switch (c.unicode()) {
            case '\r': QTest::keyClick(target, Qt::Key_Return); break;
            case 0x1b: QTest::keyClick(target, Qt::Key_Escape); break;
            case '\b': QTest::keyClick(target, Qt::Key_Backspace); break;
            case 0x0a: QTest::keyClick(target, Qt::Key_J, Qt::ControlModifier); break;
            case 0x0b: QTest::keyClick(target, Qt::Key_K, Qt::ControlModifier); break;
            default: {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QApplication::sendEvent(target, &press);
            }
            }
        }
        // A popup the script leaves open is closed as if by a click elsewhere.
        return finished.isEmpty() ? int(QDialog::Rejected) : finished.first().first().toInt();
    }

    QString keys;
    int runs = 0;
    QStringList rows;
    int currentRow = -1;
    QPoint position;
};

} // namespace

class TestCompletion : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void dispatcher_data();
    void dispatcher();
    void popupStandsUnderTheCursor();
    void emptyDocumentGetsTemplate();
    void missingFiles_data();
    void missingFiles();
    void tagLines_data();
    void tagLines();
    void documentWords_data();
    void documentWords();

private:
    GlobalSettings *settings = nullptr;
    ViEngine *engine = nullptr;
    EditView *view = nullptr;
    QTemporaryDir *keywordDir = nullptr;
    PopupDriver *driver = nullptr;
};

void TestCompletion::init()
{
    settings = new GlobalSettings;
    engine = new ViEngine;
    view = new EditView(settings, engine);
    keywordDir = new QTemporaryDir;
    QVERIFY(keywordDir->isValid());
    view->setKeywordDir(keywordDir->path());
    QVERIFY(writeFile(keywordDir->filePath(QStringLiteral("tags.txt")), tagsFile));
    QVERIFY(writeFile(keywordDir->filePath(QStringLiteral("css.txt")), cssFile));
    QVERIFY(writeFile(keywordDir->filePath(QStringLiteral("htmlSpecialChars.txt")), charsFile));
    driver = new PopupDriver;
}

void TestCompletion::cleanup()
{
    QVERIFY2(!driver->unexpected, "an unexpected question was asked");
    delete driver;
    delete view;
    delete engine;
    delete settings;
    delete keywordDir;
}

void TestCompletion::dispatcher_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QList<int>>("states");
    QTest::addColumn<bool>("closeOnly");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("rows");  // empty: the popup is not run
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("noMatch");      // "No matched keyword." shown

    const QList<int> none;
    const QStringList noRows;
    const QString html;
    const int style = HtmlScanner::Style;
    const QStringList fo{"format", "foreach", "forward"};
    const QStringList css{"color\tforeground", "background", "border", "border-color", ""};
    const QStringList refs{"&amp;\t&", "&lt;\t<", "&gt;\t>", "&copy;\t\u00a9"};

    // Tags after '<'.
    QTest::newRow("tag prefix, choose the second")
        << "<p><di^" << html << none << false << "\x0a\r"
        << QStringList{"dir\tdirectory list", "div\tgeneric block", "div\tsecond div line"} << 0
        << "<p><div^" << false;
    QTest::newRow("tag, typing narrows to one")
        << "<^" << html << none << false << "dl"
        << QStringList{"dir\tdirectory list", "div\tgeneric block", "dl", "a\tanchor",
                       "div\tsecond div line"} << 0 << "<dl^" << false;
    QTest::newRow("tag names are lower case") << "<DI^" << html << none << false << ""
                                              << noRows << -1 << "<DI^" << true;
    // Closing tags.
    QTest::newRow("after </ the open elements")
        << "<div><p>\n</^" << html << none << false << "\r"
        << QStringList{"</div>", "</p>"} << 1 << "<div><p>\n</p>^" << false;
    QTest::newRow("after </ with a name typed") << "<div>\n</di^" << html << none << false << ""
                                                << noRows << -1 << "<div>\n</di^" << true;
    QTest::newRow("after > the one open element")
        << "<div><p>x</p>^" << html << none << false << "" << noRows << -1
        << "<div><p>x</p></div>^" << false;
    QTest::newRow("after > nothing open") << "<p>x</p>^" << html << none << false << ""
                                          << noRows << -1 << "<p>x</p>^" << false;
    // Character references.
    QTest::newRow("reference replaces what was typed")
        << "x &am^ y" << html << none << false << "\r" << refs << 0 << "x &amp;^ y" << false;
    QTest::newRow("reference, Ctrl+J twice") << "&^" << html << none << false << "\x0a\x0a\r"
                                             << refs << 0 << "&gt;^" << false;
    // Attributes inside a tag.
    QTest::newRow("attribute, one match inserted at once")
        << "<a hr^>" << html << none << false << "" << noRows << -1 << "<a href=\"^\">" << false;
    QTest::newRow("attribute list of the first tag line")
        << "<div ^" << html << none << false << "\x0a\r"
        << QStringList{"class=\"\"\tclasses", "id=\"\""} << 0 << "<div id=\"^\"" << false;
    QTest::newRow("attributes lower-cased, section ends at a comment")
        << "<p><A ^" << html << none << false << "\x1b"
        << QStringList{"href=\"\"\tlink target", "name=\"\"", "target=\"\""} << 0 << "<p><A ^" << false;
    QTest::newRow("attribute of an unknown tag") << "<span ^" << html << none << false << ""
                                                 << noRows << -1 << "<span ^" << false;
    // Style sheets.
    // The empty last line equals the empty filter, so the row above it is preselected.
    QTest::newRow("style sheet file")
        << "body {\n\t^" << "/w/site.css" << QList<int>{style} << false << "\x0b\r"
        << css << 3 << "body {\n\tborder^" << false;
    QTest::newRow("style block of a page")
        << "<style>\n  bo^" << html << QList<int>{style} << false << "\x0a\r"
        << QStringList{"border", "border-color"} << 0 << "<style>\n  border-color^" << false;
    QTest::newRow("style sheet, first line of a .css file")
        << "^" "\nx" << "/w/site.css" << none << false << "\x1b" << css << 3 << "^\nx" << false;
    // List items.
    QTest::newRow("list item under ul") << "<ul>\n^" << html << none << false << "" << noRows
                                        << -1 << "<ul>\n<li>^</li>" << false;
    QTest::newRow("list item looks past p") << "<ul>\n\t<p>x</p>\n\t^" << html << none << false
                                            << "" << noRows << -1 << "<ul>\n\t<p>x</p>\n\t<li>^</li>" << false;
    QTest::newRow("no list item under div") << "<div>\n^" << html << none << false << ""
                                            << noRows << -1 << "<div>\n^" << false;
    // Words of the document.
    QTest::newRow("words, nearest before preselected")
        << "format foreach fo^ forward" << html << none << false << "\r"
        << fo << 1 << "format foreach foreach^ forward" << false;
    QTest::newRow("words, last use decides the order")
        << "foreach format foreach\nfo^ forward format" << html << none << false << "\x1b"
        << QStringList{"format", "foreach", "forward"} << 1 << "foreach format foreach\nfo^ forward format" << false;
    QTest::newRow("words, typing then Escape keeps the typed")
        << "format foreach fo^" << html << none << false << "r\x1b"
        << QStringList{"format", "foreach"} << 1 << "format foreach for^" << false;
    QTest::newRow("words, typing to no match") << "format foreach fo^" << html << none << false << "x"
                                               << QStringList{"format", "foreach"} << 1 << "format foreach fox^" << false;
    QTest::newRow("words, Backspace deletes before the cursor")
        << "format foreach fo^" << html << none << false << "\b"
        << QStringList{"format", "foreach"} << 1 << "format foreach f^" << false;
    QTest::newRow("word inside another word does not count")
        << "my_var xmy_other my_^" << html << none << false << "" << noRows << -1
        << "my_var xmy_other my_var^" << false;
    QTest::newRow("word occurring nowhere else") << "xyz^ abc" << html << none << false << ""
                                                 << noRows << -1 << "xyz^ abc" << false;
    QTest::newRow("word ending in a digit has no prefix") << "h1 h1^" << html << none << false << ""
                                                          << noRows << -1 << "h1 h1^" << false;
    QTest::newRow("selection is dropped first") << "<a [hr]>" << html << none << false << ""
                                                << noRows << -1 << "<a href=\"^\">" << false;
    // Closing-tag command.
    QTest::newRow("close tag command") << "<html><body>\n^" << html << none << true << "\x0b\r"
                                       << QStringList{"</html>", "</body>"} << 1 << "<html><body>\n</html>^" << false;
    QTest::newRow("close tag command replaces </")
        << "<b><i></^" << html << none << true << "\r" << QStringList{"</b>", "</i>"} << 1
        << "<b><i></i>^" << false;
    QTest::newRow("close tag command ignores a word") << "<b>bo^" << html << none << true << ""
                                                      << noRows << -1 << "<b>bo</b>^" << false;
}

void TestCompletion::dispatcher()
{
    QFETCH(QString, before);
    QFETCH(QString, path);
    QFETCH(QList<int>, states);
    QFETCH(bool, closeOnly);
    QFETCH(QString, keys);
    QFETCH(QStringList, rows);
    QFETCH(int, current);
    QFETCH(QString, after);
    QFETCH(bool, noMatch);

    view->setFullPath(path);
    setMarked(*view, before);
    QTextBlock block = view->document()->begin();
    for (int state : std::as_const(states)) {
        block.setUserState(state);
        block = block.next();
    }
    driver->keys = keys;
    QSignalSpy messages(view, &EditViewBase::showMessage);

    if (closeOnly)
        view->closeTagCompletion();
    else
        view->dynamicCompletion();

    QCOMPARE(driver->runs, rows.isEmpty() ? 0 : 1);
    QCOMPARE(driver->rows, rows);
    if (!rows.isEmpty())
        QCOMPARE(driver->currentRow, current);
    QCOMPARE(marked(*view), after);
    QCOMPARE(messages.size(), noMatch ? 1 : 0);
    if (noMatch)
        QCOMPARE(messages.first().first().toString(), QStringLiteral("No matched keyword."));
}

void TestCompletion::popupStandsUnderTheCursor()
{
    settings->lineNumber = true;
    view->updateSettings();
    view->resize(400, 300);
    setMarked(*view, QStringLiteral("<div>\n\t\t<^"));
    view->dynamicCompletion();
    QCOMPARE(driver->runs, 1);
    const QRect cursor = view->cursorRect();
    const QPoint expected = view->mapToGlobal(cursor.bottomLeft() + QPoint(view->lineNumberAreaWidth(), 0));
    QCOMPARE(driver->position, expected);
    QVERIFY(view->lineNumberAreaWidth() > 0);
}

void TestCompletion::emptyDocumentGetsTemplate()
{
    QVERIFY(writeFile(keywordDir->filePath(QStringLiteral("template.html")), "<html>\n\n</html>\n"));
    view->dynamicCompletion();
    QCOMPARE(marked(*view), QStringLiteral("<html>\n^\n</html>\n"));
    QCOMPARE(driver->runs, 0);
}

void TestCompletion::missingFiles_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("after");

    QTest::newRow("no tags: nothing") << "<^" << QStringList() << "<^";
    QTest::newRow("no attributes: nothing") << "<a ^" << QStringList() << "<a ^";
    QTest::newRow("no style sheet list: nothing") << "<style>\n^" << QStringList() << "<style>\n^";
    QTest::newRow("references fall back to three")
        << "&^" << QStringList{"&lt;\t<", "&gt;\t>", "&amp;\t&"} << "&lt;^";
}

void TestCompletion::missingFiles()
{
    QFETCH(QString, before);
    QFETCH(QStringList, rows);
    QFETCH(QString, after);
    QTemporaryDir empty;
    view->setKeywordDir(empty.path());
    setMarked(*view, before);
    view->document()->begin().setUserState(HtmlScanner::Style);
    driver->keys = QStringLiteral("\r");
    QSignalSpy messages(view, &EditViewBase::showMessage);
    view->dynamicCompletion();
    QCOMPARE(driver->rows, rows);
    QCOMPARE(marked(*view), after);
    QCOMPARE(messages.size(), 0);
}

void TestCompletion::tagLines_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("tags");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QStringList>("attributes");

    QTest::newRow("description trimmed, extra fields dropped")
        << "P\t para \tmore\n\tClass=\"\"\t classes \tx\n" << QStringList{"p\tpara"}
        << "p" << QStringList{"class=\"\"\tclasses"};
    QTest::newRow("template as tag name") << "div></div>\tblock\n" << QStringList{"div></div>\tblock"}
                                          << "div" << QStringList();
    QTest::newRow("blank-led attributes, empty lines inside")
        << "a\n href=\"\"\n\n\tname\nb\n\tx\n" << QStringList{"a", "b"} << "A"
        << QStringList{"href=\"\"", "name"};
    QTest::newRow("digit line ends the section")
        << "a\n\tx\n1 y\n\tz\n" << QStringList{"a"} << "a" << QStringList{"x"};
    QTest::newRow("duplicates stay, first tag line counts")
        << "a\n\tx\na\n\ty\n" << QStringList{"a", "a"} << "a" << QStringList{"x"};
    QTest::newRow("empty tag name") << "a\n\tx\n" << QStringList{"a"} << "" << QStringList();
    QTest::newRow("CRLF lines") << "a\tanchor\r\n\thref=\"\"\r\n" << QStringList{"a\tanchor"} << "a"
                                << QStringList{"href=\"\""};
}

void TestCompletion::tagLines()
{
    QFETCH(QString, file);
    QFETCH(QStringList, tags);
    QFETCH(QString, tag);
    QFETCH(QStringList, attributes);
    const KeywordList list = KeywordList::fromText(file);
    QCOMPARE(list.tags(), tags);
    QCOMPARE(list.attributes(tag), attributes);
}

void TestCompletion::documentWords_data()
{
    QTest::addColumn<QString>("text");   // "^" marks `from`
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("row");

    QTest::newRow("before and after") << "format foreach ^fo forward" << "fo"
                                      << QStringList{"format", "foreach", "forward"} << 1;
    QTest::newRow("after only, first use order") << "^fo fox foo fox" << "fo"
                                                 << QStringList{"fox", "foo"} << -1;
    QTest::newRow("used before and after: listed before") << "foo ^fo foo fob" << "fo"
                                                          << QStringList{"foo", "fob"} << 0;
    QTest::newRow("case sensitive") << "Foo foo ^fo" << "fo" << QStringList{"foo"} << 0;
    QTest::newRow("inside words skipped") << "info _fo9 fo_x ^fo" << "fo" << QStringList{"fo_x"} << 0;
    QTest::newRow("non-ASCII letter ends a word") << "fo\u00e9x fo\u0101x ^fo" << "fo"
                                                  << QStringList{"fo\u00e9x", "fo"} << 1;
    QTest::newRow("empty prefix") << "a b ^" << "" << QStringList() << -1;
    QTest::newRow("across lines") << "fob\nfoa\n^fo\nfob" << "fo" << QStringList{"fob", "foa"} << 1;
}

void TestCompletion::documentWords()
{
    QFETCH(QString, text);
    QFETCH(QString, prefix);
    QFETCH(QStringList, words);
    QFETCH(int, row);
    const qsizetype from = text.indexOf(u'^');
    text.remove(from, 1);
    int gotRow = 42;
    QCOMPARE(KeywordList::documentWords(text, prefix, from, gotRow), words);
    QCOMPARE(gotRow, row);
}

QTEST_MAIN(TestCompletion)
#include "tst_completion.moc"
