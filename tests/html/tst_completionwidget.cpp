// The completion popup on its own: rows, filtering by typing, key results,
// size and tool tips. The popup is never run modally here; keys are sent to
// its list the way a user's keys reach it while it is open.

#include "html/completionwidget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

class TestCompletionWidget : public QObject
{
    Q_OBJECT
private slots:
    void rows_data();
    void rows();
    void typing_data();
    void typing();
    void keys_data();
    void keys();
    void selectedTextStopsAtTab();
    void doubleClickAccepts();
    void size_data();
    void size();
    void toolTip();
};

namespace {

QStringList words(const char *list)
{
    return QString::fromUtf8(list).split(u'|', Qt::SkipEmptyParts);
}

QStringList rowTexts(const CompletionWidget &w)
{
    QStringList rows;
    for (int i = 0; i < w.count(); ++i)
        rows << w.list()->item(i)->text();
    return rows;
}

// One key press carrying `text`, as a keyboard layout would deliver it.
void typeText(QWidget *widget, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
}

} // namespace

void TestCompletionWidget::rows_data()
{
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("initialRow");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("current");

    const QStringList tags = words("dir|div|dl|DIV");
    QTest::newRow("no filter, first row") << tags << "" << -1 << tags << 0;
    QTest::newRow("prefix narrows, case matters") << tags << "di" << -1 << words("dir|div") << 0;
    QTest::newRow("initial row wins") << tags << "" << 2 << tags << 2;
    QTest::newRow("exact match: the row above it") << words("a|ab|abc|ab") << "ab" << -1
                                                   << words("ab|abc|ab") << 1;
    QTest::newRow("exact match first row") << words("ab|abc") << "ab" << -1 << words("ab|abc") << 0;
    QTest::newRow("descriptions are shown") << words("href=\"\"\tlink|hreflang=\"\"") << "href"
                                            << -1 << words("href=\"\"\tlink|hreflang=\"\"") << 0;
    QTest::newRow("empty candidate shown") << QStringList{QStringLiteral("color"), QString()}
                                           << "" << -1 << QStringList{QStringLiteral("color"), QString()} << 0;
    QTest::newRow("nothing matches") << tags << "x" << -1 << QStringList() << -1;
}

void TestCompletionWidget::rows()
{
    QFETCH(QStringList, candidates);
    QFETCH(QString, filter);
    QFETCH(int, initialRow);
    QFETCH(QStringList, rows);
    QFETCH(int, current);

    QPlainTextEdit editor;
    CompletionWidget w(&editor, candidates, filter, initialRow);
    QCOMPARE(rowTexts(w), rows);
    QCOMPARE(w.count(), int(rows.size()));
    QCOMPARE(w.list()->currentRow(), current);
    QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(w.testAttribute(Qt::WA_TranslucentBackground));
    if (rows.isEmpty())
        QCOMPARE(w.result(), int(QDialog::Rejected));
}

void TestCompletionWidget::typing_data()
{
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("editorText");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("finishedWith");  // -1: still open

    const QStringList c = words("format|foreach|forward|fold");
    QTest::newRow("narrow, stays open") << c << "for" << "for" << words("format|foreach|forward") << -1;
    QTest::newRow("one left accepts") << c << "fore" << "fore" << words("foreach") << 1;
    QTest::newRow("none left rejects, typed text stays") << c << "fx" << "fx" << QStringList() << 0;
    QTest::newRow("blank is not typed") << c << " " << "" << c << -1;
    QTest::newRow("non-ASCII is not typed") << c << QString(QChar(0xe9)) << "" << c << -1;
    QTest::newRow("punctuation is typed") << words("a-b|a-c|ab") << "a-" << "a-" << words("a-b|a-c") << -1;
}

void TestCompletionWidget::typing()
{
    QFETCH(QStringList, candidates);
    QFETCH(QString, typed);
    QFETCH(QString, editorText);
    QFETCH(QStringList, rows);
    QFETCH(int, finishedWith);

    QPlainTextEdit editor;
    CompletionWidget w(&editor, candidates, QString(), 2);
    QSignalSpy finished(&w, &QDialog::finished);
    for (QChar c : typed)
        typeText(w.list(), QString(c));

    QCOMPARE(editor.toPlainText(), editorText);
    QCOMPARE(rowTexts(w), rows);
    if (finishedWith < 0) {
        QCOMPARE(finished.size(), 0);
        // Typing makes the first remaining row current, whatever was before.
        if (!typed.trimmed().isEmpty() && typed.at(0).unicode() < 128)
            QCOMPARE(w.list()->currentRow(), 0);
    } else {
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), finishedWith);
    }
    QCOMPARE(w.filter(), editorText);
}

void TestCompletionWidget::keys_data()
{
    QTest::addColumn<int>("startRow");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("finishedWith");  // -1: still open
    QTest::addColumn<int>("row");

    const int ctrl = Qt::ControlModifier;
    QTest::newRow("Return accepts") << 1 << int(Qt::Key_Return) << 0 << 1 << 1;
    QTest::newRow("Escape rejects") << 1 << int(Qt::Key_Escape) << 0 << 0 << 1;
    QTest::newRow("Backspace answers 8") << 1 << int(Qt::Key_Backspace) << 0 << 8 << 1;
    QTest::newRow("Ctrl+J next") << 1 << int(Qt::Key_J) << ctrl << -1 << 2;
    QTest::newRow("Ctrl+J stops at the last") << 2 << int(Qt::Key_J) << ctrl << -1 << 2;
    QTest::newRow("Ctrl+K previous") << 1 << int(Qt::Key_K) << ctrl << -1 << 0;
    QTest::newRow("Ctrl+L previous") << 2 << int(Qt::Key_L) << ctrl << -1 << 1;
    QTest::newRow("Ctrl+K stops at the first") << 0 << int(Qt::Key_K) << ctrl << -1 << 0;
    QTest::newRow("Ctrl+Shift+J does not move") << 1 << int(Qt::Key_J) << int(ctrl | Qt::ShiftModifier) << -1 << 1;
    QTest::newRow("Down arrow moves through the list") << 0 << int(Qt::Key_Down) << 0 << -1 << 1;
    QTest::newRow("keypad Enter does nothing") << 1 << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << -1 << 1;
    QTest::newRow("Tab does nothing") << 1 << int(Qt::Key_Tab) << 0 << -1 << 1;
}

void TestCompletionWidget::keys()
{
    QFETCH(int, startRow);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, finishedWith);
    QFETCH(int, row);

    QPlainTextEdit editor;
    editor.setPlainText(QStringLiteral("x"));
    CompletionWidget w(&editor, words("alpha|beta|gamma"), QString(), startRow);
    QSignalSpy finished(&w, &QDialog::finished);
    // Keys reach the list first, as they do while the popup has the focus.
    QTest::keyClick(w.list(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QCOMPARE(w.list()->currentRow(), row);
    if (finishedWith < 0) {
        QCOMPARE(finished.size(), 0);
    } else {
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), finishedWith);
    }
    QCOMPARE(editor.toPlainText(), QStringLiteral("x"));
}

void TestCompletionWidget::selectedTextStopsAtTab()
{
    QPlainTextEdit editor;
    CompletionWidget w(&editor, {QStringLiteral("&lt;\t<"), QStringLiteral("&amp;\t&\tmore")},
                       QStringLiteral("&"), 1);
    QCOMPARE(w.selectedText(), QStringLiteral("&amp;"));
    w.list()->clearSelection();
    QCOMPARE(w.selectedText(), QString());
}

void TestCompletionWidget::doubleClickAccepts()
{
    QPlainTextEdit editor;
    CompletionWidget w(&editor, words("alpha|beta|gamma"), QString(), 0);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QSignalSpy finished(&w, &QDialog::finished);
    QListWidgetItem *item = w.list()->item(2);
    const QPoint centre = w.list()->visualItemRect(item).center();
    QTest::mouseClick(w.list()->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(w.list()->viewport(), Qt::LeftButton, {}, centre);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(w.selectedText(), QStringLiteral("gamma"));
}

void TestCompletionWidget::size_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("description");  // after a TAB on every row; none when empty
    QTest::addColumn<bool>("small");
    QTest::newRow("two rows") << 2 << QString() << true;
    QTest::newRow("a few rows") << 5 << QString() << true;
    QTest::newRow("many rows") << 200 << QString() << false;
    QTest::newRow("two rows with descriptions")
        << 2 << QStringLiteral("the description of a keyword, longer than the popup's narrowest") << true;
    QTest::newRow("many rows with descriptions")
        << 200 << QStringLiteral("a description that would be cut off in the narrowest popup") << false;
    QTest::newRow("description wider than the screen") << 3 << QString(3000, u'w') << true;
}

void TestCompletionWidget::size()
{
    QFETCH(int, rows);
    QFETCH(QString, description);
    QFETCH(bool, small);
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
        const QStringList parts = c.split(u'\t');
        keywords = qMax(keywords, metrics.horizontalAdvance(parts.at(0)));
        if (parts.size() > 1)
            descriptions = qMax(descriptions, metrics.horizontalAdvance(parts.at(1)));
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
        QVERIFY(w.width() >= CompletionWidget::PopupWidth);
        QVERIFY(w.width() <= qMax(CompletionWidget::PopupWidth, needed + 60));
    }
}

void TestCompletionWidget::toolTip()
{
    QPlainTextEdit editor;
    CompletionWidget w(&editor, words("alpha|beta"), QString(), 0);
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
}

QTEST_MAIN(TestCompletionWidget)
#include "tst_completionwidget.moc"
