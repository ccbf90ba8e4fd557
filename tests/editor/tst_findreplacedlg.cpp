#include "editor/documentsearch.h"
#include "editor/editviewbase.h"
#include "editor/findreplacedlg.h"
#include "editor/globalsettings.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

namespace {

template<class T> T *child(const FindReplaceDlg &dialog, const char *name)
{
    T *widget = dialog.findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

QStringList items(const FindReplaceDlg &dialog, const char *box)
{
    QStringList list;
    for (int i = 0; i < child<QComboBox>(dialog, box)->count(); ++i)
        list << child<QComboBox>(dialog, box)->itemText(i);
    return list;
}

void setTexts(FindReplaceDlg &dialog, const QString &find, const QString &replace = QString())
{
    child<QComboBox>(dialog, "findString")->setEditText(find);
    child<QComboBox>(dialog, "replaceTo")->setEditText(replace);
}

} // namespace

class TestFindReplaceDlg : public QObject
{
    Q_OBJECT
    std::unique_ptr<ScopedSettingsStore> store;
    std::unique_ptr<ScriptedPrompt> prompt;
    GlobalSettings settings;

private slots:
    void init()
    {
        store = std::make_unique<ScopedSettingsStore>();
        prompt = std::make_unique<ScriptedPrompt>();
        settings = GlobalSettings();
        settings.load();
    }
    void cleanup()
    {
        QVERIFY2(!prompt->unexpected, "a question was asked that the test did not expect");
        prompt.reset();
        store.reset();
    }

    void options_data() { addTableRows("editor/dialogoptions.txt", "f"); }
    // Opened, the dialog shows the stored options and histories, and closed it
    // changes nothing; regexp switches word search off and on without
    // unchecking it. Stored, the form's options reach the store only with a
    // search text.
    void options()
    {
        QFETCH(QStringList, f);
        const auto yes = [&](int i) { return f.at(i) == QLatin1String("yes"); };
        const bool open = f.at(0) == QLatin1String("open");
        settings.ignoreCase = open ? quint8(f.at(1).toInt()) : 0;
        settings.regexp = open && yes(2);
        settings.wordSearch = open && yes(3);
        settings.findLoop = open ? quint8(f.at(4).toInt()) : 7;
        settings.findStrings = QStringList{"newest", "older", "oldest"};
        settings.replaceStrings = QStringList{"r1", "r2"};
        const GlobalSettings before = settings;
        FindReplaceDlg dialog(nullptr, &settings);
        auto *caseBox = child<QComboBox>(dialog, "ignoreCase");
        auto *regExp = child<QCheckBox>(dialog, "regExp");
        auto *word = child<QCheckBox>(dialog, "wordSearch");
        if (!open) {
            caseBox->setCurrentIndex(f.at(1).toInt());
            regExp->setChecked(yes(2));
            word->setChecked(yes(3));
            if (!f.at(4).isEmpty())
                child<QRadioButton>(dialog, qPrintable(f.at(4)))->setChecked(true);
            dialog.storeOptions();
            QCOMPARE(int(settings.ignoreCase), f.at(1).toInt());
            QCOMPARE(settings.regexp, yes(2));
            QCOMPARE(settings.wordSearch, yes(3));
            QCOMPARE(int(settings.findLoop), f.at(5).toInt());
            QVERIFY(!QSettings().contains(QStringLiteral("regexp")));
            return;
        }
        QCOMPARE(caseBox->currentIndex(), f.at(1).toInt());
        QCOMPARE(regExp->isChecked(), yes(2));
        QCOMPARE(word->isChecked(), yes(3));
        QCOMPARE(word->isEnabled(), !yes(2));
        for (const char *name : {"noLoop", "confirmLoop", "loop"})
            QCOMPARE(child<QRadioButton>(dialog, name)->isChecked(), f.at(5) == QLatin1String(name));
        auto *findBox = child<QComboBox>(dialog, "findString");
        QCOMPARE(items(dialog, "findString"), settings.findStrings);
        QCOMPARE(findBox->currentText(), QStringLiteral("newest"));
        QCOMPARE(findBox->lineEdit()->selectedText(), QStringLiteral("newest"));
        QVERIFY(!findBox->completer());
        QCOMPARE(items(dialog, "replaceTo"), settings.replaceStrings);
        QCOMPARE(child<QComboBox>(dialog, "replaceTo")->currentText(), QStringLiteral("r1"));
        regExp->setChecked(!yes(2));
        QCOMPARE(word->isEnabled(), yes(2));
        QCOMPARE(word->isChecked(), yes(3));
        regExp->setChecked(yes(2));
        dialog.on_Close_clicked();
        QVERIFY(settings == before);
    }

    void findButtons_data() { addTableRows("editor/dialogfind.txt", "f"); }
    void findButtons()
    {
        QFETCH(QStringList, f);
        QStringList full;
        for (int i = 0; i < GlobalSettings::HistoryLimit; ++i)
            full << QStringLiteral("t%1").arg(i);
        const auto list = [&](const QString &words) {
            QStringList out;
            for (const QString &w : words.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                out += w == QLatin1String("full") ? full : QStringList{w};
            return out;
        };
        const bool found = f.at(5) == QLatin1String("yes");
        settings.findStrings = list(f.at(0));
        settings.findLoop = ConfirmLoop;
        EditViewBase view(&settings, nullptr);
        view.setPlainText(f.at(1));
        QTextCursor cursor = view.textCursor();
        cursor.setPosition(f.at(2).toInt());
        view.setTextCursor(cursor);
        FindReplaceDlg dialog(&view, &settings);
        child<QRadioButton>(dialog, "noLoop")->setChecked(true);
        setTexts(dialog, f.at(4));
        QSignalSpy viewMessages(&view, &EditViewBase::showMessage);
        QCOMPARE(f.at(3) == QLatin1String("silent")     ? dialog.findInView(false, true)
                 : f.at(3) == QLatin1String("backward") ? dialog.on_findBackward_clicked()
                                                        : dialog.on_findForward_clicked(), found);
        QCOMPARE(view.textCursor().selectionStart(), f.at(6).toInt());
        QCOMPARE(view.textCursor().hasSelection(), found);
        QCOMPARE(int(settings.findLoop), int(NoLoop));
        QCOMPARE(viewMessages.size(), found || f.at(3) == QLatin1String("silent") ? 0 : 1);
        auto *box = child<QComboBox>(dialog, "findString");
        QCOMPARE(items(dialog, "findString"), list(f.at(7)));
        QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(box->currentText(), f.at(4));
        QCOMPARE(settings.findStrings, list(f.at(7)).mid(0, GlobalSettings::HistoryLimit));
        QCOMPARE(QSettings().value(QStringLiteral("findStrings")).toStringList(), list(f.at(7)).mid(0, GlobalSettings::HistoryLimit));
    }

    // Return searches on, not into the list as a second entry; Close rejects.
    void returnSearchesForwardAndCloseRejects()
    {
        EditViewBase view(&settings, nullptr);
        view.setPlainText(QStringLiteral("one two one"));
        FindReplaceDlg dialog(&view, &settings);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QLineEdit *edit = child<QComboBox>(dialog, "findString")->lineEdit();
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("one"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(view.textCursor().selectionStart(), 0);
        QCOMPARE(view.textCursor().selectedText(), QStringLiteral("one"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(view.textCursor().selectionStart(), 8);
        QVERIFY(dialog.isVisible());
        QCOMPARE(items(dialog, "findString"), QStringList{"one"});
        child<QPushButton>(dialog, "Close")->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void replace_data() { addTableRows("editor/dialogreplace.txt", "f"); }
    void replace()
    {
        QFETCH(QStringList, f);
        const bool all = f.at(0) == QLatin1String("all");
        settings.regexp = f.at(1).contains(QLatin1String("regexp"));
        settings.wordSearch = f.at(1).contains(QLatin1String("words"));
        settings.findLoop = ConfirmLoop;  // neither asks
        EditViewBase view(&settings, nullptr);
        view.setPlainText(f.at(2));
        const int position = f.at(3).toInt() < 0 ? int(f.at(2).size()) : f.at(3).toInt();
        QTextCursor cursor = view.textCursor();
        cursor.setPosition(f.at(4).toInt() < 0 ? position : f.at(4).toInt());
        cursor.setPosition(position, QTextCursor::KeepAnchor);
        view.setTextCursor(cursor);
        FindReplaceDlg dialog(&view, &settings);
        setTexts(dialog, f.at(5), f.at(6));
        QSignalSpy messages(&dialog, &FindReplaceDlg::showMessage);
        QSignalSpy viewMessages(&view, &EditViewBase::showMessage);
        all ? dialog.on_replaceAll_clicked() : dialog.on_replaceNext_clicked();
        QCOMPARE(view.toPlainText(), f.at(7));
        QCOMPARE(settings.lastFindString(), f.at(5));
        QCOMPARE(settings.replaceStrings, f.at(9).isEmpty() ? QStringList{} : QStringList{f.at(9)});
        QCOMPARE(items(dialog, "replaceTo"), QStringList{});
        const int n = f.at(8).toInt();
        if (!all) {
            // No further match: reported, and the cursor stays behind the replacement.
            QCOMPARE(view.textCursor().hasSelection(), n >= 0);
            QCOMPARE(view.textCursor().selectionStart(), n >= 0 ? n : view.textCursor().position());
            QCOMPARE(viewMessages.size(), n >= 0 ? 0 : 1);
            return;
        }
        QCOMPARE(viewMessages.size(), 0);
        QCOMPARE(messages.size(), n > 0 ? 1 : 0);
        if (n > 0)
            QCOMPARE(messages.first().first().toString(), QStringLiteral("%1 replaced.").arg(n));
        QCOMPARE(view.textCursor().hasSelection(), false);
        if (n == 0)
            QCOMPARE(view.textCursor().position(), 0);
    }

    // Options and histories are stored once for the whole run (the loop mode
    // waits for the next full save), and the run is one undo step.
    void replaceAllStoresOptionsHistoryAndUndo()
    {
        settings.findStrings = QStringList{"old", "two"};
        settings.replaceStrings = QStringList{"r"};
        EditViewBase view(&settings, nullptr);
        const QString original = QStringList(500, QStringLiteral("two and two")).join(QLatin1Char('\n'));
        view.setPlainText(original);
        FindReplaceDlg dialog(&view, &settings);
        setTexts(dialog, QStringLiteral("two"), QStringLiteral("2"));
        child<QComboBox>(dialog, "ignoreCase")->setCurrentIndex(CaseSensitive);
        child<QCheckBox>(dialog, "wordSearch")->setChecked(true);
        child<QRadioButton>(dialog, "loop")->setChecked(true);
        QSignalSpy messages(&dialog, &FindReplaceDlg::showMessage);
        dialog.on_replaceAll_clicked();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().first().toString(), QStringLiteral("1000 replaced."));
        QCOMPARE(settings.findStrings, (QStringList{"two", "old"}));
        QCOMPARE(settings.replaceStrings, (QStringList{"2", "r"}));
        QCOMPARE(int(settings.findLoop), int(Loop));
        QCOMPARE(items(dialog, "findString"), (QStringList{"two", "old"}));
        const QSettings stored;
        QCOMPARE(stored.value(QStringLiteral("findStrings")).toStringList(), (QStringList{"two", "old"}));
        QCOMPARE(stored.value(QStringLiteral("replaceStrings")).toStringList(), (QStringList{"2", "r"}));
        QCOMPARE(stored.value(QStringLiteral("ignoreCase")).toInt(), int(CaseSensitive));
        QCOMPARE(stored.value(QStringLiteral("wordSearch")).toInt(), 1);
        QCOMPARE(stored.value(QStringLiteral("regexp")).toInt(), 0);
        QVERIFY(!stored.contains(QStringLiteral("findLoop")));
        const QString replaced = view.toPlainText();
        QCOMPARE(replaced, QStringList(500, QStringLiteral("2 and 2")).join(QLatin1Char('\n')));
        child<QPushButton>(dialog, "undo")->click();
        QCOMPARE(view.toPlainText(), original);
        QVERIFY(!view.document()->isUndoAvailable());
        child<QPushButton>(dialog, "redo")->click();
        QCOMPARE(view.toPlainText(), replaced);
    }

    // Without a view or a text nothing is done or stored; an invalid pattern
    // is reported and replaces nothing.
    void nothingWithoutViewTextOrValidPattern()
    {
        settings.findStrings = QStringList{"keep"};
        const GlobalSettings before = settings;
        {
            FindReplaceDlg dialog(nullptr, &settings);
            QVERIFY(!dialog.on_findForward_clicked());
            QVERIFY(!dialog.on_findBackward_clicked());
            dialog.on_replaceNext_clicked();
            dialog.on_replaceAll_clicked();
            dialog.on_undo_clicked();
            QVERIFY(settings == before);
        }
        EditViewBase view(&settings, nullptr);
        view.setPlainText(QStringLiteral("a(b a(b"));
        FindReplaceDlg dialog(&view, &settings);
        setTexts(dialog, QString(), QStringLiteral("x"));
        QSignalSpy messages(&dialog, &FindReplaceDlg::showMessage);
        QVERIFY(!dialog.findInView(false, false));
        dialog.on_replaceNext_clicked();
        dialog.on_replaceAll_clicked();
        QVERIFY(settings == before);
        QCOMPARE(messages.size(), 0);
        QVERIFY(!QSettings().contains(QStringLiteral("findStrings")));

        child<QCheckBox>(dialog, "regExp")->setChecked(true);
        setTexts(dialog, QStringLiteral("a(b"), QStringLiteral("x"));
        dialog.on_replaceAll_clicked();
        QCOMPARE(view.toPlainText(), QStringLiteral("a(b a(b"));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().first().toString(),
                 DocumentSearch(QStringLiteral("a(b"), DocumentSearch::optionsOf(settings)).invalidMessage());
        QVERIFY(settings.replaceStrings.isEmpty());
    }
};

QTEST_MAIN(TestFindReplaceDlg)
#include "tst_findreplacedlg.moc"
