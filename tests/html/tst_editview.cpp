// The HTML view's document commands: template, character references, tag
// jump, anchors, Zen-Coding, the completion helpers, and the main window's
// menu commands that reach them.
//
// Documents are written with "^" for the cursor and "[" "]" around a
// selection.

#include "app/mainwindow.h"
#include "editor/globalsettings.h"
#include "highlight/htmlscanner.h"
#include "editor/virtualbreaks.h"
#include "highlight/viengine.h"
#include "html/editview.h"
#include "testsupport.h"
#include "testtable.h"

#include <QAction>
#include <QDir>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

namespace {

QString unmarked(QString text)
{
    return text.remove(u'^').remove(u'[').remove(u']');
}

// A marked text ("^" the cursor) with its long lines cut into pieces of ten.
void setCutMarked(EditView &view, const QString &marked)
{
    view.virtualBreaks()->setLimits(40, 10);
    view.loadText(unmarked(marked));
    QVERIFY(view.virtualBreaks()->hasBreaks());
    QTextCursor cursor(view.document());
    cursor.setPosition(view.virtualBreaks()->toDocument(int(marked.indexOf(u'^'))));
    view.setTextCursor(cursor);
}

QString cutMarked(const EditView &view)
{
    return view.realText().insert(view.virtualBreaks()->toReal(view.textCursor().position()), u'^');
}

const QString LongLine = QStringLiteral("alpha bravo charlie delta echo foxtrot golf hotel india juliet");

} // namespace

class TestEditView : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void commands_data();
    void commands();
    void roundTrip();
    void zenCodingOnEmptyDocument();
    void candidatesAcrossBreaks_data();
    void candidatesAcrossBreaks();
    void commandsAcrossBreaks_data();
    void commandsAcrossBreaks();
    void menuCommands_data();
    void menuCommands();
    void menuTagJumpOpensFileAtAnchor();

private:
    GlobalSettings *settings = nullptr;
    ViEngine *engine = nullptr;
    EditView *view = nullptr;
    QTemporaryDir *keywordDir = nullptr;
};

void TestEditView::init()
{
    settings = new GlobalSettings;
    engine = new ViEngine;
    view = new EditView(settings, engine);
    keywordDir = new QTemporaryDir;
    QVERIFY(keywordDir->isValid());
    view->setKeywordDir(keywordDir->path());
}

void TestEditView::cleanup()
{
    delete view;
    delete engine;
    delete settings;
    delete keywordDir;
}

void TestEditView::commands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("states");
    for (const TestRow &r : readTestTable(QStringLiteral("html/view_commands.txt")))
        QTest::newRow(qPrintable(r.fields.at(0) + QLatin1String(": ") + r.name))
                << r.fields.at(0) << r.fields.at(1) << r.fields.at(2) << r.fields.value(3)
                << r.fields.value(4) << r.fields.value(5);
}

void TestEditView::commands()
{
    QFETCH(QString, command);
    QFETCH(QString, document);
    QFETCH(QString, result);
    QFETCH(QString, argument);
    QFETCH(QString, path);
    QFETCH(QString, states);
    view->setFullPath(path);
    if (command == u"template") {
        QVERIFY(writeFile(keywordDir->filePath(QStringLiteral("template.html")), document.toUtf8()));
        view->insertTemplate();
        QCOMPARE(marked(*view), result);
        return;
    }
    setMarked(*view, document);
    QTextBlock block = view->document()->begin();
    for (const QString &s : states.split(u',', Qt::SkipEmptyParts)) {
        QVERIFY(block.isValid());
        block.setUserState(s == u"Html" ? int(HtmlScanner::Html) : s == u"InTag" ? int(HtmlScanner::InTag)
                           : s == u"Style" ? int(HtmlScanner::Style) : s.toInt());
        block = block.next();
    }
    QSignalSpy messages(view, &EditViewBase::showMessage);
    QString out;
    if (command == u"encode") {
        view->encodeLtGtAmp();
    } else if (command == u"decode") {
        view->decodeLtGtAmp();
    } else if (command == u"zen") {
        view->zenCoding();
    } else if (command == u"anchor") {
        out = view->jumpToAnchor(argument) ? QString() : QStringLiteral("not found, ");
    } else if (command == u"complete") {
        const qsizetype blank = argument.indexOf(u' ');
        view->insertCompletion(view->textCursor().position() - argument.left(blank).toInt(),
                               argument.mid(blank + 1));
    } else if (command == u"jump") {
        settings->docRootPath = argument;
        EditView target(settings, engine);
        target.setPlainText(QStringLiteral("x\n<a name=top>\n<a name=\"top2\">"));
        QStringList asked;
        connect(view, &EditView::openFile, this, [&](const QString &name, EditView **opened) {
            asked << name;
            *opened = &target;
        });
        view->tagJump();
        out = QStringLiteral("%1 @%2 ").arg(asked.isEmpty() ? QStringLiteral("none") : asked.join(u','))
                      .arg(target.textCursor().position()) + marked(*view);
    } else if (command == u"close tags") {
        out = view->closeTagCandidates().join(u' ');
    } else if (command == u"tag") {
        QString name = QStringLiteral("stale");
        out = view->tagAtCursor(name) ? QStringLiteral("in <") : QStringLiteral("out <");
        out += name + u'>';
    } else if (command == u"style") {
        out = view->isStyleContext(view->textCursor().positionInBlock()) ? QStringLiteral("yes") : QStringLiteral("no");
    } else if (command == u"list item") {
        out = view->listItemCandidates().join(u' ');
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown command ") + command));
    }
    const bool edits = command == u"encode" || command == u"decode" || command == u"zen"
                       || command == u"anchor" || command == u"complete";
    if (edits)
        out += marked(*view);
    for (const QList<QVariant> &m : std::as_const(messages))
        out += QStringLiteral(" [%1]").arg(m.at(0).toString());
    QCOMPARE(out, result);
    if (command != u"complete" && unmarked(document) != view->toPlainText()) {
        view->undo();
        QCOMPARE(view->toPlainText(), unmarked(document));
    }
}

void TestEditView::roundTrip()
{
    for (const QString &text : {"a < b && c > d", "<p class=\"x\">Tom &amp; Jerry</p>\n<br/>", "<<>>&&"}) {
        view->setPlainText(text);
        view->encodeLtGtAmp();
        QVERIFY(!view->toPlainText().contains(u'<'));
        view->decodeLtGtAmp();
        QCOMPARE(view->toPlainText(), text);
    }
}

void TestEditView::zenCodingOnEmptyDocument()
{
    view->zenCoding();
    QCOMPARE(view->toPlainText(), EditView::builtInTemplate());
    QCOMPARE(view->textCursor().blockNumber(), 10);
}

void TestEditView::candidatesAcrossBreaks_data()
{
    // "^" is the cursor for the close tags and the word start for words.
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("prefix");  // empty: close tags
    QTest::addColumn<QStringList>("candidates");

    // Shown as "<div><p>|some tex|t here <br />| |and more t|ext <span>|xx".
    const QString tags = QStringLiteral("<div><p>some text here <br /> and more text <span>xx");
    const QStringList open{"</div>", "</p>", "</span>"};
    QTest::newRow("tags: the cursor's whole line") << QString(tags).insert(15, u'^') << "" << open;
    QTest::newRow("tags: not the line after") << tags + "\n^\n<b>" << "" << open;
    QTest::newRow("words: one cut by a break") << LongLine + "\n^br" << "br" << QStringList{"bravo"};
    QTest::newRow("words: not the one at the cursor")
        << QString(LongLine).insert(56, u'^') + " jumbo" << "ju" << QStringList{"jumbo"};
}

void TestEditView::candidatesAcrossBreaks()
{
    QFETCH(QString, document);
    QFETCH(QString, prefix);
    QFETCH(QStringList, candidates);
    setCutMarked(*view, document);
    int row = -1;
    QCOMPARE(prefix.isEmpty() ? view->closeTagCandidates()
                              : view->wordCandidates(prefix, view->textCursor().position(), row),
             candidates);
}

void TestEditView::commandsAcrossBreaks_data()
{
    // The command on the same text uncut gives the result expected.
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("zen");  // else word completion

    // "... iiiiii d|iv>p" and "top\ndiv>ul>l|i*2+pppppp|...": the markup's
    // lines are real, and the line does not join the one before.
    QTest::newRow("abbreviation over a break") << "aaaa bbbb cccc dddd eeee ffff gggg hhhh iiiiii div>p^" << true;
    QTest::newRow("abbreviation from the line start")
        << "top\ndiv>ul>li*2+pppppppppppppppppppppppppppppppppp^" << true;
    // "alpha brav|o^ charli|...": the prefix is "bravo", not "o".
    QTest::newRow("word over a break") << "bravoes\nalpha bravo^ charlie delta echo foxtrot golf hotel" << false;
}

void TestEditView::commandsAcrossBreaks()
{
    QFETCH(QString, before);
    QFETCH(bool, zen);
    EditView flat(settings, engine);
    setMarked(flat, before);
    zen ? flat.zenCoding() : flat.completion(false);
    QVERIFY(marked(flat) != before);

    setCutMarked(*view, before);
    const QString shown = view->toPlainText();
    zen ? view->zenCoding() : view->completion(false);
    QCOMPARE(cutMarked(*view), marked(flat));
    view->undo();
    QCOMPARE(view->toPlainText(), shown);
    QCOMPARE(view->realText(), unmarked(before));
}

void TestEditView::menuCommands_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");

    QTest::newRow("encode") << "action_lt_gt_amp" << "[<b>]" << "&lt;b&gt;^";
    QTest::newRow("decode") << "action_lt_gt_amp_decode" << "&lt;b&gt;^" << "<b>^";
    QTest::newRow("Zen-Coding") << "action_Zen_Coding" << "dl+^" << "<dl>\n\t<dt>^</dt>\n\t<dd></dd>\n</dl>";
    QTest::newRow("close tag completion, one candidate") << "actionCloseTagCompletion"
                                                          << "<div>\n^" << "<div>\n</div>^";
    QTest::newRow("dynamic completion, list item") << "action_DynamicCompletion"
                                                    << "<ul>\n^" << "<ul>\n<li>^</li>";
    // Without a view the commands do nothing and ask nothing.
    for (const char *name : {"action_Zen_Coding", "action_DynamicCompletion", "actionCloseTagCompletion",
                             "action_TagJump", "action_lt_gt_amp", "action_lt_gt_amp_decode"})
        QTest::newRow(name) << name << QString() << QString();
}

void TestEditView::menuCommands()
{
    QFETCH(QString, action);
    QFETCH(QString, before);
    QFETCH(QString, after);
    ScopedSettingsStore store;
    ScriptedPrompt prompt;
    MainWindow w({});
    EditView *current = w.currentView();
    QVERIFY(current);
    if (before.isEmpty())
        w.tabs()->clear();
    else
        setMarked(*current, before);
    auto *act = w.findChild<QAction *>(action);
    QVERIFY(act);
    act->trigger();
    if (before.isEmpty())
        QVERIFY(!w.currentView() && prompt.asked.isEmpty());
    else
        QCOMPARE(marked(*current), after);
    QVERIFY(!prompt.unexpected);
}

void TestEditView::menuTagJumpOpensFileAtAnchor()
{
    ScopedSettingsStore store;
    ScriptedPrompt prompt;
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("target.html"));
    QVERIFY(writeFile(target, "<p>\n<p>\n<a name=\"end\">\n"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        MainWindow w({});
        EditView *source = w.currentView();
        setMarked(*source, QStringLiteral("<a href=\"target.html#end\">^"));
        w.findChild<QAction *>(QStringLiteral("action_TagJump"))->trigger();
        EditView *opened = w.currentView();
        QVERIFY(opened != source);
        QCOMPARE(QFileInfo(opened->fullPath()), QFileInfo(target));
        QCOMPARE(opened->textCursor().blockNumber(), 2);
        QCOMPARE(opened->textCursor().positionInBlock(), 0);
    }
    QDir::setCurrent(previous);
    QVERIFY(!prompt.unexpected);
}

QTEST_MAIN(TestEditView)
#include "tst_editview.moc"
