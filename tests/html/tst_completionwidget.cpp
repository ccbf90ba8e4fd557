// The completion popup on its own: rows, filtering by typing, key results,
// size and tool tips. The popup is never run modally here; keys are sent to
// its list the way a user's keys reach it while it is open.

#include "html/completionwidget.h"
#include "testtable.h"

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
    void popup_data();
    void popup();
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

} // namespace

void TestCompletionWidget::popup_data()
{
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("startRow");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("finished");
    QTest::addColumn<QString>("editorText");
    for (const TestRow &r : readTestTable(QStringLiteral("html/popup.txt")))
        QTest::newRow(qPrintable(r.name)) << r.fields.at(0).split(u'\n') << r.fields.at(1) << r.fields.at(2).toInt()
                                          << r.fields.at(3) << r.fields.at(4) << r.fields.at(5) << r.fields.at(6);
}

void TestCompletionWidget::popup()
{
    QFETCH(QStringList, candidates);
    QFETCH(QString, filter);
    QFETCH(int, startRow);
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    QFETCH(QString, finished);
    QFETCH(QString, editorText);

    QPlainTextEdit editor;
    CompletionWidget w(&editor, candidates, filter, startRow);
    QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(w.testAttribute(Qt::WA_TranslucentBackground));
    QSignalSpy finishedSpy(&w, &QDialog::finished);
    // Keys reach the list first, as they do while the popup has the focus.
    for (const QString &key : keys.split(u' ', Qt::SkipEmptyParts)) {
        if (key.size() == 1 || key == u"Space") {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, key.size() == 1 ? key : QStringLiteral(" "));
            QApplication::sendEvent(w.list(), &press);
        } else {
            const QKeyCombination k = QKeySequence::fromString(key)[0];
            QVERIFY2(k.key() != Qt::Key_unknown, qPrintable(key));
            QTest::keyClick(w.list(), k.key(), k.keyboardModifiers());
        }
    }
    QStringList rows;
    for (int i = 0; i < w.count(); ++i)
        rows << (i == w.list()->currentRow() ? QStringLiteral(">") : QString()) + w.list()->item(i)->text();
    QCOMPARE(rows.join(u'\n'), shown);
    QCOMPARE(finishedSpy.isEmpty() ? QStringLiteral("open") : finishedSpy.first().first().toString(), finished);
    QVERIFY(finishedSpy.size() <= 1);
    QCOMPARE(editor.toPlainText(), editorText);
    QCOMPARE(w.filter(), filter + editorText);
    if (shown.isEmpty() && finishedSpy.isEmpty())
        QCOMPARE(w.result(), int(QDialog::Rejected));
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
