// Search and replace over lines shown as several blocks. Lines longer than
// 40 characters are cut into pieces of ten; Line is shown as
//   alpha brav|o charli|e delta ec|ho foxtro|t golf hot|el india j|uliet
// and positions in the rows are positions in the file's text.

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
#include <QtTest>

namespace {

const QString Line = QStringLiteral("alpha bravo charlie delta echo foxtrot golf hotel india juliet");
const QString Far = QStringLiteral("x\n").repeated(2100);  // beyond the line-by-line walk

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
    QVERIFY(view.virtualBreaks()->hasBreaks());
}

// Real start and length of a selection; (-1, 0) for none, (-2, 0) when it
// begins or ends on a break character that the match only touches.
QPair<int, int> realSpan(const EditViewBase &view, const QTextCursor &cursor)
{
    if (cursor.isNull())
        return {-1, 0};
    const VirtualBreaks *breaks = view.virtualBreaks();
    const QList<int> at = breaks->breakPositions();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    if (at.contains(start) || (end > start && at.contains(end - 1)))
        return {-2, 0};
    return {breaks->toReal(start), breaks->toReal(end) - breaks->toReal(start)};
}

// At a break the cursor stands behind it, at the start of the next block.
QTextCursor cursorAtReal(EditViewBase &view, int position, int anchor = -1)
{
    const VirtualBreaks *breaks = view.virtualBreaks();
    const auto at = [breaks](int real) {
        const int position = breaks->toDocument(real);
        return breaks->breakPositions().contains(position) ? position + 1 : position;
    };
    QTextCursor cursor(view.document());
    cursor.setPosition(at(anchor < 0 ? position : anchor));
    cursor.setPosition(at(position), anchor < 0 ? QTextCursor::MoveAnchor : QTextCursor::KeepAnchor);
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
        settings.findLoop = NoLoop;
    }
    void cleanup()
    {
        QVERIFY2(!prompt->unexpected, "a question was asked that the test did not expect");
        delete prompt;
        delete store;
    }
    void find_data();
    void find();
    void findPlain();
    void replace_data();
    void replace();

private:
    ScopedSettingsStore *store = nullptr;
    ScriptedPrompt *prompt = nullptr;
    GlobalSettings settings;
};

void TestSearchBreaks::find_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<DocumentSearch::Options>("options");
    // From `from`: "next", "back" (-1 the end), "at" (matchAt) or "sel"
    // (matchAt on the selection from `start` to `from`).
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");

    const DocumentSearch::Options plain = options(false);
    const DocumentSearch::Options words = options(false, true);
    const DocumentSearch::Options regexp = options(true);
    QTest::newRow("over a break") << Line << "bravo" << plain << "next" << 0 << 6 << 5;
    QTest::newRow("over a break, backward") << Line << "bravo" << plain << "back" << -1 << 6 << 5;
    QTest::newRow("ends on a break") << Line << "foxtro" << plain << "next" << 0 << 31 << 6;
    QTest::newRow("whole word cut by a break") << Line << "brav" << words << "next" << 0 << -1 << 0;
    QTest::newRow("whole word cut by a break, backward") << Line << "e" << words << "back" << -1 << -1 << 0;
    QTest::newRow("regexp over two breaks") << Line << "o\\s+c\\w+" << regexp << "next" << 0 << 10 << 9;
    QTest::newRow("$ over a break") << Line << "juliet$" << regexp << "back" << -1 << 56 << 6;
    QTest::newRow("^ is not a block start") << Line << "^o" << regexp << "next" << 0 << -1 << 0;
    QTest::newRow("backward from behind a break") << Line << "(?=o c)" << regexp << "back" << 10 << -1 << 0;
    QTest::newRow("far") << Far + Line << "bravo" << plain << "next" << 0 << 4206 << 5;
    QTest::newRow("far, backward, whole word") << Line + "\n" + Far << "brav" << words << "back" << -1 << -1 << 0;
    QTest::newRow("far, regexp") << Far + Line << "^alpha bravo|juliet$" << regexp << "next" << 0 << 4200 << 11;
    QTest::newRow("far, regexp, backward") << Line + "\n" + Far << "^o" << regexp << "back" << -1 << -1 << 0;
    QTest::newRow("at the cursor") << Line << "bravo" << plain << "at" << 6 << 6 << 5;
    QTest::newRow("at the cursor, word cut by a break") << Line << "brav" << words << "at" << 6 << -1 << 0;
    QTest::newRow("at the cursor, look-behind") << Line << "(?<=brav)o c" << regexp << "at" << 10 << 10 << 3;
    QTest::newRow("selected regexp") << Line << "o c\\w+ d" << regexp << "sel" << 21 << 10 << 11;
}

void TestSearchBreaks::find()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(DocumentSearch::Options, options);
    QFETCH(QString, how);
    QFETCH(int, from);
    QFETCH(int, start);
    QFETCH(int, length);

    EditViewBase view(&settings, nullptr);
    loadCut(view, text);
    const DocumentSearch search(pattern, options);
    const QTextCursor cursor = cursorAtReal(view, from < 0 ? int(text.size()) : from, how == "sel" ? start : -1);
    const QTextCursor found = how == "at" || how == "sel"
            ? search.matchAt(cursor)
            : search.find(view.document(), cursor, how == "back");
    QCOMPARE(realSpan(view, found), qMakePair(start, length));
}

void TestSearchBreaks::findPlain()
{
    // The find-word command's search.
    EditViewBase view(&settings, nullptr);
    loadCut(view, Line);
    QVERIFY(view.findPlain(QStringLiteral("BRAVO"), {}));
    QCOMPARE(realSpan(view, view.textCursor()), qMakePair(6, 5));
    view.moveCursor(QTextCursor::End);
    QVERIFY(view.findPlain(QStringLiteral("charlie"), QTextDocument::FindBackward | QTextDocument::FindWholeWords));
    QCOMPARE(realSpan(view, view.textCursor()), qMakePair(12, 7));
}

void TestSearchBreaks::replace_data()
{
    QTest::addColumn<bool>("all");  // else replace next from the start
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");

    QTest::newRow("all, at and before breaks") << true << "o" << "0"
        << "t0p\nalpha brav0 charlie delta ech0 f0xtr0t g0lf h0tel india juliet";
    QTest::newRow("all, from a line start over a break") << true << "^alpha bravo" << "X"
        << "top\nX charlie delta echo foxtrot golf hotel india juliet";
    QTest::newRow("all, whole line") << true << "^a.*$" << "one" << "top\none";
    QTest::newRow("all, line break") << true << "charlie" << "c\nd"
        << "top\nalpha bravo c\nd delta echo foxtrot golf hotel india juliet";
    QTest::newRow("next, over a break") << false << "vo c" << "V_C"
        << "top\nalpha braV_Charlie delta echo foxtrot golf hotel india juliet";
    QTest::newRow("next, from a line start") << false << "^alpha bravo" << "X"
        << "top\nX charlie delta echo foxtrot golf hotel india juliet";
}

void TestSearchBreaks::replace()
{
    QFETCH(bool, all);
    QFETCH(QString, pattern);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);

    EditViewBase view(&settings, nullptr);
    const QString text = QStringLiteral("top\n") + Line;
    loadCut(view, text);
    const QString shown = view.toPlainText();
    FindReplaceDlg dialog(&view, &settings);
    dialog.findChild<QComboBox *>(QStringLiteral("findString"))->setEditText(pattern);
    dialog.findChild<QComboBox *>(QStringLiteral("replaceTo"))->setEditText(replacement);
    dialog.findChild<QCheckBox *>(QStringLiteral("regExp"))->setChecked(true);
    view.moveCursor(QTextCursor::Start);
    all ? dialog.on_replaceAll_clicked() : dialog.on_replaceNext_clicked();

    // The other breaks stay virtual: neither text nor file gains a line.
    QCOMPARE(view.realText(), expected);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("saved.js"));
    QVERIFY(writeDocument(&view, file, nullptr));
    QCOMPARE(readFile(file), expected.toUtf8());

    view.undo();
    QCOMPARE(view.toPlainText(), shown);
    QCOMPARE(view.realText(), text);
}

QTEST_MAIN(TestSearchBreaks)
#include "tst_searchbreaks.moc"
