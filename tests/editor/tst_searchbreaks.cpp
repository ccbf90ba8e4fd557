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
#include "highlight/linesplitter.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Line = QStringLiteral("alpha bravo charlie delta echo foxtrot golf hotel india juliet");
const QString Far = QStringLiteral("x\n").repeated(2100);  // beyond the line-by-line walk

void loadCut(EditViewBase &view, const QString &text)
{
    view.virtualBreaks()->setCutRules(LineSplitter::cutRules());
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
    void find_data()
    {
        QTest::addColumn<QStringList>("f");
        for (const TestRow &r : readTestTable("editor/searchbreaks.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields;
    }

    void find()
    {
        QFETCH(QStringList, f);
        const QString text = f.at(0) == QLatin1String("line") ? Line
                             : f.at(0) == QLatin1String("far then line") ? Far + Line : Line + "\n" + Far;
        const QString how = f.at(3);
        const int from = f.at(4).toInt();
        const int start = f.at(5).toInt();
        EditViewBase view(&settings, nullptr);
        loadCut(view, text);
        DocumentSearch::Options options;
        options.regexp = f.at(2).contains(QLatin1String("regexp"));
        options.wholeWords = f.at(2).contains(QLatin1String("words"));
        const DocumentSearch search(f.at(1), options);
        const QTextCursor cursor = cursorAtReal(view, from < 0 ? int(text.size()) : from, how == "sel" ? start : -1);
        QTextCursor found;
        if (how.startsWith(QLatin1String("word"))) {
            view.setTextCursor(cursor);
            const QTextDocument::FindFlags flags = (how.endsWith(QLatin1String("back")) ? QTextDocument::FindBackward : QTextDocument::FindFlags())
                                                   | (options.wholeWords ? QTextDocument::FindWholeWords : QTextDocument::FindFlags());
            if (view.findPlain(f.at(1), flags))
                found = view.textCursor();
        } else {
            found = how == "at" || how == "sel" ? search.matchAt(cursor)
                                                : search.find(view.document(), cursor, how == "back");
        }
        QCOMPARE(realSpan(view, found), qMakePair(start, f.at(6).toInt()));
    }

    void replace_data()
    {
        QTest::addColumn<QStringList>("f");
        for (const TestRow &r : readTestTable("editor/replacebreaks.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields;
    }

    void replace()
    {
        QFETCH(QStringList, f);
        const QString expected = f.at(3);

        EditViewBase view(&settings, nullptr);
        const QString text = QStringLiteral("top\n") + Line;
        loadCut(view, text);
        const QString shown = view.toPlainText();
        FindReplaceDlg dialog(&view, &settings);
        dialog.findChild<QComboBox *>(QStringLiteral("findString"))->setEditText(f.at(1));
        dialog.findChild<QComboBox *>(QStringLiteral("replaceTo"))->setEditText(f.at(2));
        dialog.findChild<QCheckBox *>(QStringLiteral("regExp"))->setChecked(true);
        view.moveCursor(QTextCursor::Start);
        f.at(0) == "all" ? dialog.on_replaceAll_clicked() : dialog.on_replaceNext_clicked();

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

private:
    ScopedSettingsStore *store = nullptr;
    ScriptedPrompt *prompt = nullptr;
    GlobalSettings settings;
};

QTEST_MAIN(TestSearchBreaks)
#include "tst_searchbreaks.moc"
