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
#include "testtable.h"

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
    void keywordLists_data();
    void keywordLists();

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
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("options");
    for (const TestRow &r : readTestTable(QStringLiteral("html/completion.txt")))
        QTest::newRow(qPrintable(r.name)) << r.fields.at(0) << r.fields.at(1) << r.fields.at(2)
                                          << r.fields.at(3) << r.fields.value(4);
}

void TestCompletion::dispatcher()
{
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QString, after);
    QFETCH(QString, shown);
    QFETCH(QString, options);
    const QStringList opts = options.split(u' ', Qt::SkipEmptyParts);
    QTemporaryDir empty;
    if (opts.contains(QLatin1String("nofiles")))
        view->setKeywordDir(empty.path());
    if (opts.contains(QLatin1String("template")))
        QVERIFY(writeFile(keywordDir->filePath(QStringLiteral("template.html")), "<html>\n\n</html>\n"));
    view->setFullPath(opts.value(0).startsWith(u'/') ? opts.value(0) : QString());
    setMarked(*view, before);
    if (opts.contains(QLatin1String("style")))
        view->document()->begin().setUserState(HtmlScanner::Style);
    driver->keys = keys;
    QSignalSpy messages(view, &EditViewBase::showMessage);
    if (opts.contains(QLatin1String("close")))
        view->closeTagCompletion();
    else
        view->dynamicCompletion();

    QStringList rows = driver->rows;
    if (driver->currentRow >= 0 && driver->currentRow < rows.size())
        rows[driver->currentRow].prepend(u'>');
    QCOMPARE(driver->runs, shown.isEmpty() ? 0 : 1);
    QCOMPARE(rows.join(u'\n'), shown);
    QCOMPARE(marked(*view), after);
    QCOMPARE(messages.size(), opts.contains(QLatin1String("no")) ? 1 : 0);
    if (!messages.isEmpty())
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

void TestCompletion::keywordLists_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("argument");
    for (const TestRow &r : readTestTable(QStringLiteral("html/keyword_lists.txt")))
        QTest::newRow(qPrintable(r.name)) << r.fields.at(0) << r.fields.at(1) << r.fields.at(2) << r.fields.at(3);
}

void TestCompletion::keywordLists()
{
    QFETCH(QString, function);
    QFETCH(QString, input);
    QFETCH(QString, result);
    QFETCH(QString, argument);
    const auto joined = [](const QStringList &l, QChar by) { return l.isEmpty() ? QStringLiteral("none") : l.join(by); };
    QString out;
    if (function == u"tags") {
        const KeywordList list = KeywordList::fromText(input);
        out = joined(list.tags(), u'\n') + QStringLiteral(" / ") + joined(list.attributes(argument), u'\n');
    } else {
        const qsizetype from = input.indexOf(u'^');
        input.remove(from, 1);
        int row = 42;
        out = joined(KeywordList::documentWords(input, argument, from, row), u' ');
        out += QStringLiteral(" / %1").arg(row);
    }
    QCOMPARE(out, result);
}

QTEST_MAIN(TestCompletion)
#include "tst_completion.moc"
