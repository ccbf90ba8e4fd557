#include "editor/commandstatistics.h"
#include "editor/documentsearch.h"
#include "editor/editviewbase.h"
#include "editor/findreplacedlg.h"
#include "editor/virtualbreaks.h"
#include "highlight/linesplitter.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// "plain" or "regexp"; "ignore", "lower" (ignore if the text has no capital)
// or "sensitive"; "words".
DocumentSearch::Options options(const QString &words)
{
    const QStringList w = words.split(QLatin1Char(' '));
    DocumentSearch::Options o;
    o.regexp = w.contains(QLatin1String("regexp"));
    o.wholeWords = w.contains(QLatin1String("words"));
    o.caseMode = w.contains(QLatin1String("sensitive")) ? CaseSensitive
                 : w.contains(QLatin1String("lower"))   ? IgnoreCaseIfLower
                                                        : IgnoreCase;
    return o;
}

// Lines longer than 40 characters are cut into pieces of ten, as a long
// line of a file is, so that searches run over the breaks between them.
void loadCut(EditViewBase &view, const QString &text)
{
    view.virtualBreaks()->setCutRules(LineSplitter::cutRules());
    view.virtualBreaks()->setLimits(40, 10);
    view.loadText(text);
    const QStringList lines = text.split(u'\n');
    QCOMPARE(view.virtualBreaks()->hasBreaks(), std::any_of(lines.begin(), lines.end(), [](const QString &l) { return l.size() > 40; }));
}

// "<far>" in a table's text stands for 2100 short lines: beyond the search's
// line-by-line walk.
QString expanded(const QString &text)
{
    return QString(text).replace(QLatin1String("<far>"), QStringLiteral("x\n").repeated(2100));
}

// Positions in the file's text; at a break the cursor stands behind it, at
// the start of the next block.
QTextCursor cursorAt(EditViewBase &view, int position, int anchor = -1)
{
    const VirtualBreaks *breaks = view.virtualBreaks();
    const auto at = [breaks](int real) { const int p = breaks->toDocument(real); return p + int(breaks->breakPositions().contains(p)); };
    QTextCursor cursor(view.document());
    cursor.setPosition(at(anchor < 0 ? position : anchor));
    cursor.setPosition(at(position), QTextCursor::KeepAnchor);
    return cursor;
}

// Start and length of a found cursor in the file's text: (-1, 0) for none,
// (-2, 0) when it begins or ends on a break character that the match only
// touches.
QPair<int, int> span(const EditViewBase &view, const QTextCursor &cursor)
{
    if (cursor.isNull())
        return {-1, 0};
    const VirtualBreaks *breaks = view.virtualBreaks();
    const int start = cursor.selectionStart(), end = cursor.selectionEnd();
    if (breaks->breakPositions().contains(start) || (end > start && breaks->breakPositions().contains(end - 1)))
        return {-2, 0};
    return {breaks->toReal(start), breaks->toReal(end) - breaks->toReal(start)};
}

template<class T> T *child(const FindReplaceDlg &dialog, const char *name)
{
    return dialog.findChild<T *>(QLatin1String(name));
}

QStringList items(const FindReplaceDlg &dialog, const char *box)
{
    QStringList list;
    for (const QComboBox *combo = child<QComboBox>(dialog, box); list.size() < combo->count();)
        list << combo->itemText(int(list.size()));
    return list;
}

GlobalSettings loaded()
{
    GlobalSettings s;
    s.load();
    return s;
}

} // namespace

// Searching and replacing in a document, in the view (loop modes, scrolling)
// and through the find dialog, and the settings and statistics that remember
// what the user did.
class TestDocumentSearch : public FixtureTest
{
    Q_OBJECT
private slots:
    void init()
    {
        FixtureTest::init();
        settings->load();
    }

    void find_data() { addTableRows("editor/find.txt", "f"); }
    void find()
    {
        QFETCH(QStringList, f);
        // The view's own plain search must not take these.
        settings->ignoreCase = CaseSensitive;
        settings->wordSearch = true;
        EditViewBase view(settings.get(), nullptr);
        loadCut(view, expanded(f.at(1)));
        const DocumentSearch::Options o = options(f.at(0));
        const DocumentSearch search(f.at(2), o);
        const QTextCursor from = cursorAt(view, f.at(3).toInt(), f.at(4).toInt());
        const QString how = f.at(5);
        if (how == QLatin1String("walk")) {
            QStringList starts;
            for (QTextCursor cursor = search.find(view.document(), from, false); !cursor.isNull() && starts.size() < 20;
                 cursor = search.find(view.document(), cursor, false)) {
                starts.append(QString::number(span(view, cursor).first));
                QCOMPARE(span(view, cursor).second, f.at(7).toInt());
            }
            QCOMPARE(starts.join(QLatin1Char(' ')), f.at(6));
            return;
        }
        QTextCursor match;
        if (how.startsWith(QLatin1String("word"))) {
            view.setTextCursor(from);
            if (view.findPlain(f.at(2), (how.endsWith(QLatin1String("back")) ? QTextDocument::FindBackward : QTextDocument::FindFlags())
                                            | (o.wholeWords ? QTextDocument::FindWholeWords : QTextDocument::FindFlags())))
                match = view.textCursor();
            QVERIFY(!match.isNull() || span(view, view.textCursor()) == span(view, from));  // a failed search leaves the cursor
        } else {
            match = how == QLatin1String("at") ? search.matchAt(from) : search.find(view.document(), from, how == QLatin1String("backward"));
        }
        QCOMPARE(span(view, match), qMakePair(f.at(6).toInt(), f.at(7).toInt()));
    }

    // A match that has to be scrolled to becomes the top line; one already
    // on screen leaves the view where it is.
    void scrollRule()
    {
        for (const auto &[matchLine, topLine] : {std::pair{4, 1}, {150, 150}}) {
            EditViewBase view(settings.get(), nullptr);
            QStringList lines;
            for (int i = 1; i <= 300; ++i)
                lines << (i == matchLine ? QStringLiteral("needle") : QStringLiteral("hay %1").arg(i));
            view.setPlainText(lines.join(QLatin1Char('\n')));
            view.resize(400, 300);
            view.show();
            QVERIFY(QTest::qWaitForWindowExposed(&view));
            QCOMPARE(view.topLine(), 1);
            QVERIFY(view.findOnce(QStringLiteral("needle"), false));
            QCOMPARE(view.textCursor().blockNumber() + 1, matchLine);
            QCOMPARE(view.topLine(), topLine);
        }
    }

    void dialogOptions_data() { addTableRows("editor/dialogoptions.txt", "f"); }
    // Opened, the dialog shows the stored options and histories, and closed it
    // changes nothing; regexp switches word search off and on without
    // unchecking it. The form's options reach the settings, not the store.
    void dialogOptions()
    {
        QFETCH(QStringList, f);
        const auto yes = [&](int i) { return f.at(i) == QLatin1String("yes"); };
        const int caseMode = f.at(0).toInt();
        settings->ignoreCase = quint8(caseMode);
        settings->regexp = yes(1);
        settings->wordSearch = yes(2);
        settings->findLoop = quint8(f.at(3).toInt());
        settings->findStrings = QStringList{"newest", "older", "oldest"};
        settings->replaceStrings = QStringList{"r1", "r2"};
        GlobalSettings before = *settings;
        FindReplaceDlg dialog(nullptr, settings.get());
        auto *caseBox = child<QComboBox>(dialog, "ignoreCase");
        auto *regExp = child<QCheckBox>(dialog, "regExp");
        auto *word = child<QCheckBox>(dialog, "wordSearch");
        QCOMPARE(caseBox->currentIndex(), caseMode);
        QCOMPARE(regExp->isChecked(), yes(1));
        QCOMPARE(word->isChecked(), yes(2));
        QCOMPARE(word->isEnabled(), !yes(1));
        for (const char *name : {"noLoop", "confirmLoop", "loop"})
            QCOMPARE(child<QRadioButton>(dialog, name)->isChecked(), f.at(4) == QLatin1String(name));
        QCOMPARE(items(dialog, "findString"), settings->findStrings);
        QCOMPARE(child<QComboBox>(dialog, "findString")->lineEdit()->selectedText(), QStringLiteral("newest"));
        QVERIFY(!child<QComboBox>(dialog, "findString")->completer());
        QCOMPARE(items(dialog, "replaceTo"), settings->replaceStrings);
        QCOMPARE(child<QComboBox>(dialog, "replaceTo")->currentText(), QStringLiteral("r1"));
        regExp->setChecked(!yes(1));
        QCOMPARE(word->isEnabled(), yes(1));
        QCOMPARE(word->isChecked(), yes(2));
        dialog.on_Close_clicked();
        QVERIFY(*settings == before);
        word->setChecked(!yes(2));
        caseBox->setCurrentIndex((caseMode + 1) % 3);
        dialog.storeOptions();
        before.regexp = !yes(1);
        before.wordSearch = !yes(2);
        before.ignoreCase = quint8((caseMode + 1) % 3);
        before.findLoop = quint8(f.at(5).toInt());
        QVERIFY(*settings == before);
        QVERIFY(!QSettings().contains(QStringLiteral("regexp")));
    }

    void dialogButtons_data() { addTableRows("editor/dialog.txt", "f"); }
    void dialogButtons()
    {
        QFETCH(QStringList, f);
        const auto list = [](const QString &words) { return words.split(QLatin1Char(' '), Qt::SkipEmptyParts); };
        const auto replaced = [&](int i) { return f.value(i).split(QLatin1Char(','), Qt::SkipEmptyParts); };
        const QString button = f.at(0);
        const int times = qMax(1, f.value(15).toInt());
        const QString document = expanded(f.at(3).repeated(times)), after = expanded(f.at(8).repeated(times));
        const DocumentSearch::Options o = options(f.at(2));
        settings->findStrings = list(f.at(1));
        settings->replaceStrings = replaced(14);
        settings->regexp = o.regexp;
        settings->wordSearch = o.wholeWords;
        settings->ignoreCase = quint8(o.caseMode);
        settings->findLoop = ConfirmLoop;
        EditViewBase view(settings.get(), nullptr);
        loadCut(view, document);
        const QString shown = view.toPlainText();
        view.setTextCursor(cursorAt(view, f.at(4).toInt() < 0 ? int(document.size()) : f.at(4).toInt(), f.at(5).toInt()));
        FindReplaceDlg dialog(&view, settings.get());
        const QString loop = f.value(16).isEmpty() ? QStringLiteral("noLoop") : f.at(16);
        child<QRadioButton>(dialog, qPrintable(loop))->setChecked(true);
        if (!f.value(17).isEmpty())
            prompt->answers << (f.at(17) == QLatin1String("yes") ? QMessageBox::Yes : QMessageBox::No);
        child<QComboBox>(dialog, "findString")->setEditText(f.at(6));
        child<QComboBox>(dialog, "replaceTo")->setEditText(f.at(7));
        const QTextCursor before = view.textCursor();
        QSignalSpy messages(&dialog, &FindReplaceDlg::showMessage), viewMessages(&view, &EditViewBase::showMessage);
        const int n = f.at(9).toInt();
        if (button == QLatin1String("all"))
            dialog.on_replaceAll_clicked();
        else if (button == QLatin1String("next"))
            dialog.on_replaceNext_clicked();
        else
            QCOMPARE(button == QLatin1String("silent")     ? dialog.findInView(false, true)
                     : button == QLatin1String("backward") ? dialog.on_findBackward_clicked()
                                                           : dialog.on_findForward_clicked(), n >= 0);
        QCOMPARE(view.realText(), after);
        const bool all = button == QLatin1String("all"), finds = !all && button != QLatin1String("next");
        // A find that fails leaves the selection as it was.
        QCOMPARE(view.textCursor().hasSelection(), n >= 0 ? !all : finds && before.hasSelection());
        if (!all && n >= 0)
            QCOMPARE(span(view, view.textCursor()).first, n);
        else if (finds)
            QCOMPARE(span(view, view.textCursor()), span(view, before));
        if (!f.value(13).isEmpty())
            QCOMPARE(view.virtualBreaks()->toReal(view.textCursor().position()), f.at(13).toInt());
        const QSignalSpy &spoken = all ? messages : viewMessages;
        QCOMPARE((all ? viewMessages : messages).size(), 0);
        QCOMPARE(spoken.size(), f.at(12).isEmpty() ? 0 : 1);
        for (const QList<QVariant> &said : spoken) {
            const QString text = said.first().toString(), start = f.at(12).chopped(3);
            QVERIFY2(f.at(12).endsWith(QLatin1String("...")) ? text.startsWith(start) : text == f.at(12), qPrintable(text));
        }
        QCOMPARE(prompt->asked.size(), f.value(17).isEmpty() ? 0 : 1);
        for (const ScriptedPrompt::Asked &asked : std::as_const(prompt->asked))
            QCOMPARE(asked.title + '|' + asked.text, QStringLiteral("Find Loop|reached begin/end of document.\nsearch again from end/begin ?"));
        // Options and history are stored only when there is a text to search;
        // the loop mode waits for the next full save.
        QCOMPARE(int(settings->findLoop), int(f.at(6).isEmpty() ? ConfirmLoop : QStringList{"noLoop", "confirmLoop", "loop"}.indexOf(loop)));
        QCOMPARE(items(dialog, "findString"), list(f.at(10)));
        QCOMPARE(child<QComboBox>(dialog, "findString")->currentText(), f.at(6));
        QCOMPARE(settings->findStrings, list(f.at(10)).mid(0, GlobalSettings::HistoryLimit));
        QCOMPARE(settings->replaceStrings, replaced(11));
        QCOMPARE(items(dialog, "replaceTo"), replaced(14));
        const QSettings stored;
        QCOMPARE(stored.value(QStringLiteral("findStrings")).toStringList(), f.at(6).isEmpty() ? QStringList() : settings->findStrings);
        QCOMPARE(stored.value(QStringLiteral("replaceStrings")).toStringList(), replaced(11) == replaced(14) ? QStringList() : settings->replaceStrings);
        QCOMPARE((QStringList{stored.value("ignoreCase").toString(), stored.value("wordSearch").toString(), stored.value("regexp").toString()}),
                 (f.at(6).isEmpty() ? QStringList(3) : QStringList{QString::number(o.caseMode), QString::number(o.wholeWords), QString::number(o.regexp)}));
        QVERIFY(!stored.contains(QStringLiteral("findLoop")));
        // Whatever the button did is one undo step, which brings back the
        // virtual breaks as they were.
        child<QPushButton>(dialog, "undo")->click();
        QCOMPARE(view.toPlainText(), shown);
        QCOMPARE(view.realText(), document);
        QVERIFY(!view.document()->isUndoAvailable());
        child<QPushButton>(dialog, "redo")->click();
        QCOMPARE(view.realText(), after);
    }

    // Return searches on, not into the list as a second entry; Close rejects.
    void returnSearchesForwardAndCloseRejects()
    {
        EditViewBase view(settings.get(), nullptr);
        view.setPlainText(QStringLiteral("one two one"));
        FindReplaceDlg dialog(&view, settings.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QLineEdit *edit = child<QComboBox>(dialog, "findString")->lineEdit();
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("one"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(span(view, view.textCursor()), qMakePair(0, 3));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(span(view, view.textCursor()), qMakePair(8, 3));
        QCOMPARE(items(dialog, "findString"), QStringList{"one"});
        child<QPushButton>(dialog, "Close")->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    // Without a view nothing is done or stored.
    void nothingWithoutView()
    {
        settings->findStrings = QStringList{"keep"};
        const GlobalSettings before = *settings;
        FindReplaceDlg dialog(nullptr, settings.get());
        QVERIFY(!dialog.on_findForward_clicked());
        QVERIFY(!dialog.on_findBackward_clicked());
        dialog.on_replaceNext_clicked();
        dialog.on_replaceAll_clicked();
        dialog.on_undo_clicked();
        QVERIFY(*settings == before);
        QVERIFY(!QSettings().contains(QStringLiteral("findStrings")));
    }

    // Stored lists are taken as they are, short ones padded to ten; save
    // leaves the histories alone; every default colour parses.
    void settingsLoadAndSave()
    {
        const QStringList ten{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"};
        QSettings().setValue("shortText", QStringList{"<h1>", "<h2>", "<h3>"});
        QSettings().setValue("shortTextSel", ten);
        QSettings().setValue("findStrings", QStringList{"x", "y"});
        GlobalSettings a = loaded();
        for (int i = 0; i < GlobalSettings::ColorCount; ++i)
            QVERIFY2(a.colors[i].isValid(), qPrintable(GlobalSettings::colorKey(i)));
        QCOMPARE(a.shortText, (QStringList{"<h1>", "<h2>", "<h3>", {}, {}, {}, {}, {}, {}, {}}));
        QCOMPARE(a.shortTextSel, ten);
        QCOMPARE(a.lastFindString(), QStringLiteral("x"));
        a.shortText[3] = QStringLiteral("<h1>");
        a.shortTextSel[4] = QStringLiteral("<em>,</em>");
        a.findStrings = QStringList{"changed in memory"};
        a.save();
        QCOMPARE(QSettings().value("findStrings").toStringList(), (QStringList{"x", "y"}));
        a.findStrings = QStringList{"x", "y"};
        QCOMPARE(loaded(), a);
    }

    void storedValues_data() { addTableRows("editor/storedvalues.txt", "f"); }
    // Read back through a save into an empty store, which writes the fields
    // as they are.
    void storedValues()
    {
        QFETCH(QStringList, f);
        QSettings().setValue(f.at(0), f.at(1));
        const GlobalSettings read = loaded();
        QSettings().clear();
        read.save();
        QCOMPARE(QSettings().value(f.at(0)).toString(), f.at(2));
    }

    // Only lines that start a word are keywords; a relative name is looked up
    // below the program's own folder.
    void userKeywordFile()
    {
        const QByteArray words("alpha\n  beta\n_gamma\n9x\n\ndelta   \r\n\xe3\x81\x82kana\n#comment\nalpha\n");
        const QString sub = QStringLiteral("kw-test-%1/user.txt").arg(QCoreApplication::applicationPid());
        const QString beside = QCoreApplication::applicationDirPath() + QLatin1Char('/') + sub;
        const auto cleanup = qScopeGuard([&] { QDir(QFileInfo(beside).path()).removeRecursively(); });
        QVERIFY(writeFile(beside, "beside\n"));
        QVERIFY(writeFile(dir->filePath("user.txt"), words));
        QSettings().setValue("userKeywordFileName", dir->filePath("user.txt"));
        QCOMPARE(loaded().userKeywords, (QSet<QString>{"alpha", "_gamma", "delta"}));
        QSettings().setValue("userKeywordFileName", sub);
        QCOMPARE(loaded().userKeywords, QSet<QString>{"beside"});
    }

    // Counted per name (case-sensitive, empty names ignored); a save replaces
    // what an earlier run stored.
    void commandStatistics()
    {
        QSettings().setValue("cmdStatistics", QStringList{"Action.Old:9"});
        for (const char *name : {"Action.FileSave", "Edit.Left", "", "Action.FileSave", "edit.left", "Action.FileSave"})
            recordCommand(QString::fromLatin1(name));
        for (int i = 0; i < 1000; ++i)
            recordCommand(QStringLiteral("Edit.Down"));
        saveCommandStatistics();
        QStringList list = QSettings().value("cmdStatistics").toStringList();
        list.sort();
        QCOMPARE(list, (QStringList{"Action.FileSave:3", "Edit.Down:1000", "Edit.Left:1", "edit.left:1"}));
    }
};

QTEST_MAIN(TestDocumentSearch)
#include "tst_documentsearch.moc"
