// The HTML view's document and completion commands on real views, the
// completion popup on its own and in the view (answered by a driver that
// presses keys instead of running it modally), and the main window's menu
// commands that reach them.

#include "editor/virtualbreaks.h"
#include "highlight/htmlscanner.h"
#include "html/completionwidget.h"
#include "html/zencoding.h"
#include "testsupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QTextBlock>
#include <QToolTip>

namespace {

QString unmarked(QString text)
{
    return text.remove(u'|').remove(u'^');
}

// Keys split at blanks: one character (or "Space") is typed, anything else
// is a key name. Keys reach the popup's list first, as they do while it has
// the focus.
void pressKeys(QWidget *target, const QString &keys, const QSignalSpy *stopWhen = nullptr)
{
    for (const QString &key : keys.split(u' ', Qt::SkipEmptyParts)) {
        if (stopWhen && !stopWhen->isEmpty())
            return;
        if (key.size() == 1 || key == u"Space") {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, key.size() == 1 ? key : QStringLiteral(" "));
            QApplication::sendEvent(target, &press);
        } else {
            const QKeyCombination k = QKeySequence::fromString(key)[0];
            QVERIFY2(k.key() != Qt::Key_unknown, qPrintable(key));
            QTest::keyClick(target, k.key(), k.keyboardModifiers());
        }
    }
}

// The popup's rows, ">" before the current one.
QString shownRows(CompletionWidget *popup)
{
    QStringList rows;
    for (int i = 0; popup && i < popup->count(); ++i)
        rows << (i == popup->list()->currentRow() ? QStringLiteral(">") : QString()) + popup->list()->item(i)->text();
    return rows.join(u'\n');
}

} // namespace

class TestEditView : public FixtureTest
{
    Q_OBJECT
private slots:
    void init()
    {
        FixtureTest::init();
        // With line numbers, so that a popup placed without their margin shows.
        settings->lineNumber = true;
        view = new EditView(settings.get(), engine.get());
        QVERIFY(view->lineNumberAreaWidth() > 0);
        view->setKeywordDir(dir->path());
        // A folder of its own, as rows write their template or tags file into it.
        for (const char *name : {"tags.txt", "css.txt", "htmlSpecialChars.txt"})
            QVERIFY(QFile::copy(QStringLiteral(MOSSGLEN_TEST_DATA "/html/keywords/") + name, dir->filePath(name)));
        keys = popupLog = QString();
        // The popup's user: logs its rows, then presses the keys. A popup left
        // open is closed as by a click elsewhere.
        prompt->dialogHandler = [this](QDialog *dialog) {
            auto *popup = qobject_cast<CompletionWidget *>(dialog);
            popupLog += QStringLiteral(" {%1}").arg(shownRows(popup));
            // It stands under the cursor, right of the line numbers.
            const QPoint under = view->cursorRect().bottomLeft() + QPoint(view->lineNumberAreaWidth(), 0);
            if (popup && dialog->pos() != view->mapToGlobal(under))
                popupLog += QStringLiteral(" (elsewhere)");
            QSignalSpy finished(dialog, &QDialog::finished);
            pressKeys(popup ? static_cast<QWidget *>(popup->list()) : dialog, keys, &finished);
            return finished.isEmpty() ? int(QDialog::Rejected) : finished.first().first().toInt();
        };
    }
    void cleanup()
    {
        delete view;
        FixtureTest::cleanup();
    }

    // Fields: command | document ("|" the cursor, "^" a selection's anchor) | result |
    // argument | path | block states, or "cut" for long lines cut into pieces.
    void commands_data() { addTableRows(QStringLiteral("html/view_commands.txt")); }
    void commands()
    {
        QFETCH(QStringList, fields);
        QString command = fields.at(0);
        const QString document = fields.at(1), argument = fields.value(3), states = fields.value(5);
        view->setFullPath(fields.value(4));
        if (command.endsWith(QLatin1String(" without files")))
            view->setKeywordDir(dir->filePath(QStringLiteral("none")));
        command = command.section(QLatin1String(" without files"), 0, 0);
        const bool cut = states == u"cut";
        QString out;
        if (command == u"template" || command == u"tags") {
            QVERIFY(writeFile(dir->filePath(QLatin1String(command == u"tags" ? "tags.txt" : "template.html")), document.toUtf8()));
            if (command == u"template")
                view->insertTemplate();
            const auto joined = [](const QStringList &l) { return l.isEmpty() ? QStringLiteral("none") : l.join(u'\n'); };
            QCOMPARE(command == u"template" ? cursorMarked(*view)
                                            : joined(view->tagCandidates()) + " / " + joined(view->attributeCandidates(argument)),
                     fields.at(2));
            return;
        }
        if (cut) {
            view->virtualBreaks()->setLimits(40, 10);
            view->loadText(unmarked(document));
            QVERIFY(view->virtualBreaks()->hasBreaks());
            QTextCursor cursor(view->document());
            cursor.setPosition(view->virtualBreaks()->toDocument(int(document.indexOf(u'|'))));
            view->setTextCursor(cursor);
        } else {
            setCursorMarked(*view, document);
        }
        QTextBlock block = view->document()->begin();
        for (const QString &s : cut ? QStringList() : states.split(u',', Qt::SkipEmptyParts)) {
            QVERIFY(block.isValid());
            block.setUserState(s == u"Html" ? int(HtmlScanner::Html) : s == u"InTag" ? int(HtmlScanner::InTag)
                               : s == u"Style" ? int(HtmlScanner::Style) : s.toInt());
            block = block.next();
        }
        QSignalSpy messages(view, &EditViewBase::showMessage);
        keys = command == u"dynamic" || command == u"closing" ? argument : QString();
        const QString before = view->toPlainText();
        static const QHash<QString, void (EditView::*)()> edits{
            {"encode", &EditView::encodeLtGtAmp}, {"decode", &EditView::decodeLtGtAmp}, {"zen", &EditView::zenCoding},
            {"dynamic", &EditView::dynamicCompletion}, {"closing", &EditView::closeTagCompletion}};
        static const QHash<QString, QStringList (EditView::*)() const> lists{
            {"close tags", &EditView::closeTagCandidates}, {"list item", &EditView::listItemCandidates}};
        if (edits.contains(command)) {
            (view->*edits.value(command))();
        } else if (lists.contains(command)) {
            out = (view->*lists.value(command))().join(u' ');
        } else if (command == u"anchor") {
            out = view->jumpToAnchor(argument) ? QString() : QStringLiteral("not found, ");
        } else if (command == u"complete") {
            const qsizetype blank = argument.indexOf(u' ');
            view->insertCompletion(view->textCursor().position() - argument.left(blank).toInt(),
                                   argument.mid(blank + 1));
        } else if (command == u"jump") {
            settings->docRootPath = argument;
            EditView target(settings.get(), engine.get());
            target.setPlainText(QStringLiteral("x\n<a name=top>\n<a name=\"top2\">"));
            connect(view, &EditView::openFile, this, [&](const QString &name, EditView **opened) {
                out += name + u' ';
                *opened = &target;
            });
            view->tagJump();
            out += QStringLiteral("@%1 ").arg(target.textCursor().position());
        } else if (command == u"words") {
            int row = 42;
            out = view->wordCandidates(argument, view->textCursor().position(), row).join(u' ');
            out = QStringLiteral("%1 / %2").arg(out.isEmpty() ? QStringLiteral("none") : out).arg(row);
        } else if (command == u"tag") {
            QString name = QStringLiteral("stale");
            out = view->tagAtCursor(name) ? QStringLiteral("in <") : QStringLiteral("out <");
            out += name + u'>';
        } else if (command == u"style") {
            out = view->isStyleContext(view->textCursor().positionInBlock()) ? QStringLiteral("yes") : QStringLiteral("no");
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown command ") + command));
        }
        // The queries leave the document alone; after the other commands it is
        // part of the result.
        if (!QStringList{"close tags", "words", "tag", "style", "list item"}.contains(command))
            out += cut ? view->realText().insert(view->virtualBreaks()->toReal(view->textCursor().position()), u'|')
                       : cursorMarked(*view);
        out += popupLog;
        for (const QList<QVariant> &m : std::as_const(messages))
            out += QStringLiteral(" [%1]").arg(m.at(0).toString());
        QCOMPARE(out, fields.at(2));
        if (command == u"encode") {
            // Decoding the whole document undoes any encoding.
            EditView copy(settings.get(), engine.get());
            copy.setPlainText(view->toPlainText());
            copy.decodeLtGtAmp();
            QCOMPARE(copy.toPlainText(), unmarked(document));
        }
        // Characters typed into the popup are edits of their own.
        static const QRegularExpression typed(QStringLiteral("(^| )\\S( |$)"));
        if (view->toPlainText() != before && !typed.match(keys).hasMatch()) {
            view->undo();
            QCOMPARE(view->toPlainText(), before);
            QCOMPARE(view->realText(), unmarked(document));
        }
    }
    // Fields: function | input | result | prefix (expand) or cursor column (find).
    void zenCoding_data() { addTableRows(QStringLiteral("html/zencoding.txt")); }
    void zenCoding()
    {
        QFETCH(QStringList, fields);
        const QString function = fields.at(0), input = fields.at(1), extra = fields.value(3);
        QString item = input, prefix, out;
        int lines = -7, column = -9;
        if (function == u"expand") {
            QElapsedTimer timer;
            timer.start();
            const bool ok = ZenCoding::expandAbbreviation(extra, item, lines, column);
            QVERIFY2(timer.elapsed() < 5000, "refusing or expanding took too long");
            // Markup near the size limit is given by its length.
            out = !ok ? QStringLiteral("refused @%1:%2 ").arg(lines).arg(column) + item
                : QStringLiteral("%1 @%2:%3").arg(item.size() > 1000 ? QString::number(item.size()) : item).arg(lines).arg(column);
        } else if (function == u"repeat") {
            const int count = ZenCoding::splitRepeat(item);
            out = QStringLiteral("%1 %2").arg(count).arg(item);
        } else if (function == u"open tag") {
            const QString tag = ZenCoding::openTag(item, column);
            out = QStringLiteral("<%1> %2 %3").arg(tag, item).arg(column);
        } else if (function == u"inline") {
            out = ZenCoding::isInline(input) ? QStringLiteral("yes") : QStringLiteral("no");
        } else if (function == u"find") {
            const bool found = ZenCoding::findAbbreviation(input, extra.toInt(), lines, prefix);
            out = QStringLiteral("%1 %2 [%3]").arg(found ? QStringLiteral("found") : QStringLiteral("none")).arg(lines).arg(prefix);
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown function ") + function));
        }
        QCOMPARE(out, fields.at(2));
    }
    // Fields: candidates | filter | start row | keys | rows shown | how it
    // finished | editor text.
    void popup_data() { addTableRows(QStringLiteral("html/popup.txt")); }
    void popup()
    {
        QFETCH(QStringList, fields);
        QPlainTextEdit editor;
        CompletionWidget w(&editor, fields.at(0).split(u'\n'), fields.at(1), fields.at(2).toInt());
        QVERIFY((w.windowFlags() & Qt::FramelessWindowHint) && w.testAttribute(Qt::WA_TranslucentBackground));
        QSignalSpy finished(&w, &QDialog::finished);
        pressKeys(w.list(), fields.at(3));
        const QString rows = shownRows(&w);
        QCOMPARE(rows, fields.at(4));
        QCOMPARE(finished.isEmpty() ? QStringLiteral("open") : finished.first().first().toString(), fields.at(5));
        QVERIFY(finished.size() <= 1);
        QCOMPARE(editor.toPlainText(), fields.at(6));
        QCOMPARE(w.filter(), fields.at(1) + fields.at(6));
        if (rows.isEmpty() && finished.isEmpty())
            QCOMPARE(w.result(), int(QDialog::Rejected));
    }
    void popupMouseAndToolTip()
    {
        QPlainTextEdit editor;
        CompletionWidget w(&editor, {QStringLiteral("alpha"), QStringLiteral("beta"), QStringLiteral("gamma\tthird\tmore")},
                           QString(), 0);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.list()->item(1)->setToolTip(QStringLiteral("second letter"));
        w.list()->setCurrentRow(1);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("second letter"));
        QToolTip::hideText();
        // A row without a tool tip shows none.
        QTRY_VERIFY(!QToolTip::isVisible());
        w.list()->setCurrentRow(0);
        QVERIFY(!QToolTip::isVisible());

        QSignalSpy finished(&w, &QDialog::finished);
        const QPoint centre = w.list()->visualItemRect(w.list()->item(2)).center();
        QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(w.list()->viewport(), Qt::LeftButton, {}, centre);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        // The keyword ends at the first TAB; without a selection there is none.
        QCOMPARE(w.selectedText(), QStringLiteral("gamma"));
        w.list()->clearSelection();
        QCOMPARE(w.selectedText(), QString());
    }
    void popupSize_data() { addTableRows(QStringLiteral("html/popup_sizes.txt")); }
    void popupSize()
    {
        QFETCH(QStringList, fields);
        const int rows = fields.at(0).toInt();
        const QString description = fields.at(1).repeated(fields.at(2).toInt());
        const bool small = fields.at(3) == u"yes";
        QStringList candidates;
        for (int i = 0; i < rows; ++i) {
            // Keywords of unequal widths, so that ragged descriptions would show.
            candidates << QStringLiteral("word%1").arg(QString(i % 7, u'm'));
            if (!description.isEmpty())
                candidates.last() += u'\t' + description + QString::number(i);
        }
        QPlainTextEdit editor;
        // A new top-level window's size, as the popup has it before it decides.
        const QSize defaultSize = QWidget().size();
        CompletionWidget w(&editor, candidates, QString(), 0);
        const int rowHeight = w.list()->visualItemRect(w.list()->item(0)).height();
        QVERIFY(rowHeight > 0);
        QCOMPARE(rowHeight * (rows + 1) < defaultSize.height(), small);
        QCOMPARE(w.height(), small ? rowHeight * (rows + 1) : defaultSize.height());

        // Keyword and description of every row fit side by side, within the screen.
        const QFontMetrics metrics = w.list()->fontMetrics();
        int keywords = 0, descriptions = 0;
        for (const QString &c : candidates) {
            keywords = qMax(keywords, metrics.horizontalAdvance(c.section(u'\t', 0, 0)));
            descriptions = qMax(descriptions, metrics.horizontalAdvance(c.section(u'\t', 1, 1)));
        }
        const int needed = keywords + (descriptions > 0 ? 16 + descriptions : 0);
        const int screenWidth = editor.screen()->availableGeometry().width();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(!w.list()->horizontalScrollBar()->isVisible());
        if (needed + 40 > screenWidth) {
            QCOMPARE(w.width(), screenWidth);
        } else {
            QVERIFY2(w.list()->viewport()->width() >= needed,
                     qPrintable(QStringLiteral("%1 < %2").arg(w.list()->viewport()->width()).arg(needed)));
            // No wider than it takes.
            QVERIFY(w.width() >= CompletionWidget::PopupWidth && w.width() <= qMax(CompletionWidget::PopupWidth, needed + 60));
        }
    }

private:
    EditView *view = nullptr;
    QString keys;       // the popup's user presses these
    QString popupLog;   // what each popup showed
};

QTEST_MAIN(TestEditView)
#include "tst_editview.moc"
