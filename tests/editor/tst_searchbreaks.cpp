// Search and replace in lines that the view shows as several blocks: a match
// may span a virtual break, "^" and "$" stand at the file's line ends, whole
// words see across a break, and replacements leave the other breaks virtual.
//
// Long lines are cut into pieces of ten characters. The line most rows use,
//   alpha bravo charlie delta echo foxtrot golf hotel india juliet
// is shown as
//   alpha brav|o charli|e delta ec|ho foxtro|t golf hot|el india j|uliet
// (cuts at 10, 18, 28, 37, 47 and 57); positions in the rows are positions
// in the file's text.

#include "editor/documentfile.h"
#include "editor/documentsearch.h"
#include "editor/editviewbase.h"
#include "editor/findreplacedlg.h"
#include "editor/globalsettings.h"
#include "editor/virtualbreaks.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

namespace {

const QString Line = QStringLiteral("alpha bravo charlie delta echo foxtrot golf hotel india juliet");
const QString Shown = QStringLiteral("alpha brav|o charli|e delta ec|ho foxtro|t golf hot|el india j|uliet");
// Enough lines that a search has to leave its line-by-line walk.
const QString Far = QStringLiteral("x\n").repeated(2100);

DocumentSearch::Options options(bool regexp, bool wholeWords = false)
{
    DocumentSearch::Options result;
    result.regexp = regexp;
    result.wholeWords = wholeWords;
    return result;
}

void loadCut(EditViewBase &view, const QString &text)
{
    view.virtualBreaks()->setLimits(40, 10);
    view.loadText(text);
}

// The blocks with "|" for a virtual break and "\n" for a real one.
QString shown(const EditViewBase &view)
{
    QString text;
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
        if (block.position() > 0)
            text += VirtualBreaks::isContinuation(block) ? QStringLiteral("|") : QStringLiteral("\n");
        text += block.text();
    }
    return text;
}

// Start and length of a selection in the file's text, (-1, 0) for none. A
// break that the match only touches must stay outside the selection: a
// selection that begins or ends on one gives (-2, 0).
QPair<int, int> realSpan(const EditViewBase &view, const QTextCursor &cursor)
{
    if (cursor.isNull())
        return {-1, 0};
    const VirtualBreaks *breaks = view.virtualBreaks();
    const QList<int> positions = breaks->breakPositions();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    if (positions.contains(start) || (end > start && positions.contains(end - 1)))
        return {-2, 0};
    return {breaks->toReal(start), breaks->toReal(end) - breaks->toReal(start)};
}

// A cursor at a position of the file's text; at a virtual break it stands
// behind the break, at the start of the block.
QTextCursor cursorAtReal(EditViewBase &view, int position, int anchor = -1)
{
    const VirtualBreaks *breaks = view.virtualBreaks();
    const QList<int> positions = breaks->breakPositions();
    const auto at = [&](int real) {
        const int document = breaks->toDocument(real);
        return positions.contains(document) ? document + 1 : document;
    };
    QTextCursor cursor(view.document());
    cursor.setPosition(at(anchor < 0 ? position : anchor));
    if (anchor >= 0)
        cursor.setPosition(at(position), QTextCursor::KeepAnchor);
    return cursor;
}

} // namespace

Q_DECLARE_METATYPE(DocumentSearch::Options)

class TestSearchBreaks : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        store = new ScopedSettingsStore;
        prompt = new ScriptedPrompt;
        settings = GlobalSettings();
        settings.load();
    }
    void cleanup()
    {
        QVERIFY2(!prompt->unexpected, "a question was asked that the test did not expect");
        delete prompt;
        delete store;
    }

    void layout();
    void find_data();
    void find();
    void viewStepsBothWays_data();
    void viewStepsBothWays();
    void findPlainCrossesBreaks();
    void matchAt_data();
    void matchAt();
    void replaceAll_data();
    void replaceAll();
    void replaceNextAndUndo_data();
    void replaceNextAndUndo();

private:
    ScopedSettingsStore *store = nullptr;
    ScriptedPrompt *prompt = nullptr;
    GlobalSettings settings;
};

void TestSearchBreaks::layout()
{
    // Every row below relies on where the cuts go.
    EditViewBase view(&settings, nullptr);
    loadCut(view, Line);
    QCOMPARE(shown(view), Shown);
}

void TestSearchBreaks::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<DocumentSearch::Options>("options");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("backward");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");

    const int end = int(Line.size());
    QTest::newRow("plain over a break") << Line << "bravo" << options(false) << 0 << false << 6 << 5;
    QTest::newRow("plain over a break, backward") << Line << "bravo" << options(false) << end << true << 6 << 5;
    QTest::newRow("plain over two breaks") << Line << "o charlie d" << options(false) << 0 << false << 10 << 11;
    QTest::newRow("ends on a break: break left out") << Line << "foxtro" << options(false) << 0 << false << 31 << 6;
    QTest::newRow("from inside the line") << Line << "e" << options(false) << 19 << false << 21 << 1;
    QTest::newRow("backward from a block start") << Line << "o" << options(false) << 37 << true << 36 << 1;
    QTest::newRow("whole word over a break") << Line << "charlie" << options(false, true) << 0 << false << 12 << 7;
    QTest::newRow("word goes on behind the break") << Line << "brav" << options(false, true) << 0 << false << -1 << 0;
    QTest::newRow("word goes on behind the break, backward") << Line << "brav" << options(false, true) << end << true << -1 << 0;
    QTest::newRow("word began before the break") << Line << "e" << options(false, true) << 0 << false << -1 << 0;
    QTest::newRow("regexp over two breaks") << Line << "o\\s+c\\w+" << options(true) << 0 << false << 10 << 9;
    QTest::newRow("^ over a break") << Line << "^alpha bravo" << options(true) << 0 << false << 0 << 11;
    QTest::newRow("$ over a break") << Line << "juliet$" << options(true) << 0 << false << 56 << 6;
    QTest::newRow("$ over a break, backward") << Line << "juliet$" << options(true) << end << true << 56 << 6;
    QTest::newRow("^ not at a block start") << Line << "^o" << options(true) << 0 << false << -1 << 0;
    QTest::newRow("^ not at a block start, backward") << Line << "^o" << options(true) << end << true << -1 << 0;
    QTest::newRow("$ not at a block end") << Line << "ec$" << options(true) << 0 << false << -1 << 0;
    QTest::newRow("backward from behind a break: a match there is not before")
        << Line << "(?=o c)" << options(true) << 10 << true << -1 << 0;
    QTest::newRow("empty match at a break starts behind it") << Line << "(?=o c)" << options(true) << 0 << false << 10 << 0;
    QTest::newRow("^ after a real break")
        << QStringLiteral("one\n%1\ntwo").arg(Line) << "^t" << options(true) << 1 << false << 67 << 1;

    // Beyond the line-by-line walk the flat text is searched.
    const int farEnd = int(Line.size() + 1 + Far.size());
    QTest::newRow("far, plain") << Far + Line << "bravo" << options(false) << 0 << false << 4206 << 5;
    QTest::newRow("far, plain, backward") << Line + "\n" + Far << "bravo" << options(false) << farEnd << true << 6 << 5;
    QTest::newRow("far, whole word") << Far + Line << "e" << options(false, true) << 0 << false << -1 << 0;
    QTest::newRow("far, whole word, backward") << Line + "\n" + Far << "brav" << options(false, true) << farEnd << true << -1 << 0;
    QTest::newRow("far, regexp $") << Far + Line << "juliet$" << options(true) << 0 << false << 4256 << 6;
    QTest::newRow("far, regexp ^") << Far + Line << "^o" << options(true) << 0 << false << -1 << 0;
    QTest::newRow("far, regexp, backward") << Line + "\n" + Far << "o\\s+c\\w+" << options(true) << farEnd << true << 10 << 9;
}

void TestSearchBreaks::find()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(DocumentSearch::Options, options);
    QFETCH(int, from);
    QFETCH(bool, backward);
    QFETCH(int, start);
    QFETCH(int, length);

    EditViewBase view(&settings, nullptr);
    loadCut(view, text);
    QVERIFY(shown(view).contains(Shown));
    const QTextCursor found =
            DocumentSearch(pattern, options).find(view.document(), cursorAtReal(view, from), backward);
    QCOMPARE(realSpan(view, found), qMakePair(start, length));
}

void TestSearchBreaks::viewStepsBothWays_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("regexp");
    QTest::addColumn<QList<int>>("starts");

    QTest::newRow("plain") << "ch" << false << QList<int>{12, 27};
    QTest::newRow("one letter, at and before breaks") << "o" << false << QList<int>{10, 29, 32, 36, 40, 45};
    QTest::newRow("regexp") << "[aeiou]{2}" << true << QList<int>{17, 53, 59};
}

void TestSearchBreaks::viewStepsBothWays()
{
    QFETCH(QString, pattern);
    QFETCH(bool, regexp);
    QFETCH(QList<int>, starts);

    settings.regexp = regexp;
    settings.findLoop = NoLoop;
    EditViewBase view(&settings, nullptr);
    loadCut(view, Line);

    QList<int> forward;
    view.moveCursor(QTextCursor::Start);
    while (view.findWithLoop(pattern, false, true))
        forward.append(realSpan(view, view.textCursor()).first);
    QCOMPARE(forward, starts);

    QList<int> backward;
    view.moveCursor(QTextCursor::End);
    while (view.findWithLoop(pattern, true, true))
        backward.prepend(realSpan(view, view.textCursor()).first);
    QCOMPARE(backward, starts);
}

void TestSearchBreaks::findPlainCrossesBreaks()
{
    // The find-word command's search.
    EditViewBase view(&settings, nullptr);
    loadCut(view, Line);
    QVERIFY(view.findPlain(QStringLiteral("BRAVO"), {}));
    QCOMPARE(realSpan(view, view.textCursor()), qMakePair(6, 5));
    QVERIFY(!view.findPlain(QStringLiteral("BRAVO"), QTextDocument::FindCaseSensitively));
    view.moveCursor(QTextCursor::End);
    QVERIFY(view.findPlain(QStringLiteral("charlie"), QTextDocument::FindBackward
                                                      | QTextDocument::FindWholeWords));
    QCOMPARE(realSpan(view, view.textCursor()), qMakePair(12, 7));
}

void TestSearchBreaks::matchAt_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<DocumentSearch::Options>("options");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("anchor");  // -1: no selection
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");

    QTest::newRow("plain over a break") << "bravo" << options(false) << 6 << -1 << 6 << 5;
    QTest::newRow("regexp over a break") << "br\\w+" << options(true) << 6 << -1 << 6 << 5;
    QTest::newRow("whole word goes on behind the break") << "brav" << options(false, true) << 6 << -1 << -1 << 0;
    QTest::newRow("selected match over a break") << "bravo" << options(false) << 11 << 6 << 6 << 5;
    QTest::newRow("selection shorter than the text") << "bravo" << options(false) << 10 << 6 << -1 << 0;
    QTest::newRow("look-behind over a break") << "(?<=brav)o c" << options(true) << 10 << -1 << 10 << 3;
    QTest::newRow("^ not at a block start") << "^o" << options(true) << 10 << -1 << -1 << 0;
    QTest::newRow("selected regexp match over a break") << "o c\\w+ d" << options(true) << 21 << 10 << 10 << 11;
}

void TestSearchBreaks::matchAt()
{
    QFETCH(QString, pattern);
    QFETCH(DocumentSearch::Options, options);
    QFETCH(int, position);
    QFETCH(int, anchor);
    QFETCH(int, start);
    QFETCH(int, length);

    EditViewBase view(&settings, nullptr);
    loadCut(view, Line);
    const QTextCursor match = DocumentSearch(pattern, options).matchAt(cursorAtReal(view, position, anchor));
    QCOMPARE(realSpan(view, match), qMakePair(start, length));
}

void TestSearchBreaks::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("regexp");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("expected");

    const QString many = QStringLiteral("top\n%1\nmiddle\n%1\n").arg(Line);
    QTest::newRow("over a break") << Line << "bravo" << false << "B" << 1
                                  << "alpha B charlie delta echo foxtrot golf hotel india juliet";
    QTest::newRow("letters at and before breaks, other lines too") << many << "o" << false << "0" << 13
        << "t0p\nalpha brav0 charlie delta ech0 f0xtr0t g0lf h0tel india juliet\nmiddle\n"
           "alpha brav0 charlie delta ech0 f0xtr0t g0lf h0tel india juliet\n";
    QTest::newRow("longer than the match") << Line << "vo c" << false << "VVV CCC" << 1
        << "alpha braVVV CCCharlie delta echo foxtrot golf hotel india juliet";
    QTest::newRow("anchors") << many << "^alpha|juliet$" << true << "X" << 4
        << "top\nX bravo charlie delta echo foxtrot golf hotel india X\nmiddle\n"
           "X bravo charlie delta echo foxtrot golf hotel india X\n";
    QTest::newRow("from a line start over a break") << many << "^alpha bravo" << true << "X" << 2
        << "top\nX charlie delta echo foxtrot golf hotel india juliet\nmiddle\n"
           "X charlie delta echo foxtrot golf hotel india juliet\n";
    QTest::newRow("whole line") << Line << "^.*$" << true << "one" << 1 << "one";
    QTest::newRow("empty matches at breaks") << Line << "(?=o)" << true << "|" << 6
        << "alpha brav|o charlie delta ech|o f|oxtr|ot g|olf h|otel india juliet";
    QTest::newRow("a line break in the replacement is real") << Line << "charlie" << false << "c\nd" << 1
        << "alpha bravo c\nd delta echo foxtrot golf hotel india juliet";
    QTest::newRow("a line break over a break") << Line << "vo c" << false << "\n" << 1
        << "alpha bra\nharlie delta echo foxtrot golf hotel india juliet";
}

void TestSearchBreaks::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, regexp);
    QFETCH(QString, replacement);
    QFETCH(int, count);
    QFETCH(QString, expected);

    EditViewBase view(&settings, nullptr);
    loadCut(view, text);
    const QString before = shown(view);
    QCOMPARE(DocumentSearch(pattern, options(regexp)).replaceAll(view.document(), replacement), count);
    QCOMPARE(view.realText(), expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("saved.js"));
    QVERIFY(writeDocument(&view, file, nullptr));
    QCOMPARE(readFile(file), expected.toUtf8());

    // One step takes it all back, the breaks virtual as they were.
    view.undo();
    QCOMPARE(shown(view), before);
    QCOMPARE(view.realText(), text);
}

void TestSearchBreaks::replaceNextAndUndo_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("regexp");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");  // shown as in shown()

    QTest::newRow("over a break") << "vo c" << false << "V_C"
        << "top\nalpha braV_Charli|e delta ec|ho foxtro|t golf hot|el india j|uliet";
    QTest::newRow("from a line start over a break") << "^alpha bravo" << true << "X"
        << "top\nX charli|e delta ec|ho foxtro|t golf hot|el india j|uliet";
    QTest::newRow("a line break in the replacement is real") << "vo c" << false << "v\nc"
        << "top\nalpha brav\ncharli|e delta ec|ho foxtro|t golf hot|el india j|uliet";
}

void TestSearchBreaks::replaceNextAndUndo()
{
    QFETCH(QString, pattern);
    QFETCH(bool, regexp);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);

    settings.findLoop = NoLoop;
    EditViewBase view(&settings, nullptr);
    const QString text = QStringLiteral("top\n") + Line;
    loadCut(view, text);
    const QString before = shown(view);
    FindReplaceDlg dialog(&view, &settings);
    dialog.findChild<QComboBox *>(QStringLiteral("findString"))->setEditText(pattern);
    dialog.findChild<QComboBox *>(QStringLiteral("replaceTo"))->setEditText(replacement);
    dialog.findChild<QCheckBox *>(QStringLiteral("regExp"))->setChecked(regexp);

    // From the start the click finds the match, replaces it and looks for
    // the next, which there is not.
    view.moveCursor(QTextCursor::Start);
    dialog.on_replaceNext_clicked();
    QCOMPARE(shown(view), expected);
    QString real = expected;
    QCOMPARE(view.realText(), real.remove(u'|'));

    view.undo();
    QCOMPARE(shown(view), before);
    QCOMPARE(view.realText(), text);
}

QTEST_MAIN(TestSearchBreaks)
#include "tst_searchbreaks.moc"
