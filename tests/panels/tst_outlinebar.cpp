#include "editor/globalsettings.h"
#include "html/editview.h"
#include "panels/outlinebar.h"
#include "testtable.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPointer>
#include <QVBoxLayout>
#include <QtTest>

#include <vector>

namespace {

// Answers the context menu by triggering one of its actions.
class MenuOutlineBar : public OutlineBar
{
public:
    using OutlineBar::OutlineBar;
    int actionToTrigger = -1;  // -1: the menu is dismissed
    int menuRuns = 0;
    QTreeWidgetItem *itemDuringMenu = nullptr;
    QTreeWidgetItem *currentDuringMenu = nullptr;

protected:
    void runContextMenu(QMenu *menu, const QPoint &) override
    {
        ++menuRuns;
        itemDuringMenu = contextItem();
        currentDuringMenu = currentItem();
        if (actionToTrigger >= 0)
            menu->actions().at(actionToTrigger)->trigger();
    }
};

// One line per top-level item; a directory lists its documents in brackets.
QString dump(const OutlineBar &bar)
{
    QStringList top;
    for (int i = 0; i < bar.topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = bar.topLevelItem(i);
        QString text = item->text(0);
        if (OutlineBar::itemKind(item) == OutlineBar::DirectoryItem) {
            QStringList children;
            for (int c = 0; c < item->childCount(); ++c)
                children.append(item->child(c)->text(0));
            text += "[" + children.join(",") + "]";
        }
        top.append(text);
    }
    return top.join("|");
}

// Views of the test's documents in a shown window; "" makes an untitled one.
struct Documents
{
    GlobalSettings settings;
    QWidget window;
    MenuOutlineBar *bar;
    std::vector<QPointer<EditView>> views;

    explicit Documents(const QStringList &paths)
    {
        bar = new MenuOutlineBar(&window);
        new QVBoxLayout(&window);
        static_cast<QVBoxLayout *>(window.layout())->addWidget(bar, 100);
        window.resize(300, 500);
        for (const QString &path : paths)
            open(path);
    }
    ~Documents()
    {
        for (const QPointer<EditView> &view : views)
            delete view.data();
    }
    EditView *open(const QString &path)
    {
        auto *view = new EditView(&settings, nullptr, &window);
        view->setMaximumHeight(20);
        window.layout()->addWidget(view);
        if (path.isEmpty())
            view->setTitle(QStringLiteral("Untitled-%1").arg(views.size() + 1));
        else
            view->setFullPath(path);
        QObject::connect(view, &EditView::toClose, bar, &OutlineBar::removeView);
        views.push_back(view);
        bar->addView(view);
        return view;
    }
    bool show()
    {
        window.show();
        return QTest::qWaitForWindowActive(&window);
    }
    QTreeWidgetItem *item(const QString &text) const
    {
        const auto found = bar->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.size() == 1 ? found.first() : nullptr;
    }
};

} // namespace

class TestOutlineBar : public QObject
{
    Q_OBJECT
private slots:
    void tree_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("tree");
        for (const TestRow &r : readTestTable("panels/outline.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields.at(0).split(' ')
                << r.fields.at(1).split(' ', Qt::SkipEmptyParts) << r.fields.at(2);
    }
    void tree()
    {
        QFETCH(QStringList, paths);
        QFETCH(QStringList, steps);
        QFETCH(QString, tree);
        Documents docs(paths.replaceInStrings(QRegularExpression("^-$"), QString()));
        for (const QString &step : steps) {
            const QStringList part = step.split(':');
            EditView *view = part[0] == "open" ? nullptr : docs.views.at(part[1].toInt()).data();
            if (part[0] == "save") {
                view->setFullPath(part[2]);
                docs.bar->updateView(view);
            } else if (part[0] == "title") {
                view->setTitle(part[2]);
                docs.bar->updateView(view);
            } else if (part[0] == "close") {
                // Deleting a view is what tells the bar, through the view's toClose.
                delete view;
            } else {
                docs.open(part[1]);
            }
        }
        QCOMPARE(dump(*docs.bar), tree);
        if (steps.isEmpty())
            QCOMPARE(docs.bar->currentItem(), docs.bar->findViewItem(docs.views.back()));
        // Every document is found under its group; groups are open and never empty.
        for (const QPointer<EditView> &v : docs.views) {
            QTreeWidgetItem *item = docs.bar->findViewItem(v);
            QVERIFY(!v || item);
            QVERIFY(!v || (item->parent() != nullptr) == !v->fullPath().isEmpty());
        }
        for (int i = 0; i < docs.bar->topLevelItemCount(); ++i) {
            QTreeWidgetItem *top = docs.bar->topLevelItem(i);
            if (OutlineBar::itemKind(top) == OutlineBar::DirectoryItem)
                QVERIFY(top->isExpanded() && top->childCount() > 0);
        }
        // A view the bar does not hold is neither updated nor removed.
        EditView stranger(&docs.settings, nullptr);
        stranger.setFullPath("/q/s.html");
        docs.bar->updateView(&stranger);
        docs.bar->removeView(&stranger);
        QCOMPARE(dump(*docs.bar), tree);
    }
    void currentViewAndFocus()
    {
        Documents docs({"/w/a.html", "/w/b.html", ""});
        EditView *a = docs.views[0];
        QCOMPARE(docs.bar->currentView(), nullptr);
        docs.bar->setCurrentView(a);
        QCOMPARE(docs.bar->currentView(), a);
        QCOMPARE(docs.bar->currentItem(), docs.bar->findViewItem(a));

        docs.bar->setCurrentItem(docs.bar->topLevelItem(1));
        QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(docs.bar, &focusIn);
        QCOMPARE(docs.bar->currentItem(), docs.bar->findViewItem(a));

        // Once the current view is gone, focus leaves the selection alone.
        delete a;
        QCOMPARE(docs.bar->currentView(), nullptr);
        docs.bar->setCurrentItem(docs.bar->topLevelItem(1));
        QApplication::sendEvent(docs.bar, &focusIn);
        QCOMPARE(docs.bar->currentItem(), docs.bar->topLevelItem(1));
    }
    void keys_data()
    {
        for (const char *column : {"start", "keys", "current", "group", "activated"})
            QTest::addColumn<QString>(column);
        for (const TestRow &r : readTestTable("panels/outlinekeys.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields[0] << r.fields[1] << r.fields[2] << r.fields[3]
                                              << r.fields[4];
    }
    void keys()
    {
        QFETCH(QString, start);
        QFETCH(QString, keys);
        QFETCH(QString, current);
        QFETCH(QString, group);
        QFETCH(QString, activated);
        Documents docs({"/w/a.html", "/w/jq.html", "/x/c.js", ""});
        QVERIFY(docs.show());
        QTreeWidgetItem *item = docs.item(start);
        QVERIFY(item);
        docs.bar->setCurrentItem(item);
        docs.bar->setFocus();
        QSignalSpy viewSpy(docs.bar, &OutlineBar::viewActivated);
        QSignalSpy dirSpy(docs.bar, &OutlineBar::dirActivated);
        if (keys == "double click") {
            const QPoint at = docs.bar->visualItemRect(item).center();
            QTest::mouseClick(docs.bar->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(docs.bar->viewport(), Qt::LeftButton, {}, at);
        } else {
            QTest::keySequence(docs.bar, QKeySequence(keys));
        }
        QVERIFY(docs.bar->currentItem());
        QCOMPARE(docs.bar->currentItem()->text(0), current);
        QCOMPARE(docs.bar->topLevelItem(0)->isExpanded(), group == "open");
        QString got;
        if (viewSpy.count() == 1) {
            auto *view = viewSpy.at(0).at(0).value<EditView *>();
            got = "view:" + view->title();
            QCOMPARE(viewSpy.at(0).at(1).toInt(), 0);
            QVERIFY(view->hasFocus());
        } else if (dirSpy.count() == 1) {
            got = "dir:" + dirSpy.at(0).at(0).toString();
        }
        QCOMPARE(viewSpy.count() + dirSpy.count(), got.isEmpty() ? 0 : 1);
        QCOMPARE(got, activated);
    }
    void contextMenu_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("action");
        for (const char *column : {"cancelled", "clipboard", "asked", "tree"})
            QTest::addColumn<QString>(column);
        for (const TestRow &r : readTestTable("panels/outlinemenu.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields[0] << r.fields[1].toInt() << r.fields[2]
                                              << r.fields[3] << r.fields[4] << r.fields[5];
    }
    void contextMenu()
    {
        QFETCH(QString, target);
        QFETCH(int, action);
        QFETCH(QString, cancelled);
        QFETCH(QString, clipboard);
        QFETCH(QString, asked);
        QFETCH(QString, tree);
        Documents docs({"/w/a.html", "/x/d.js", "/w/b.html", "/w/c.html", ""});
        QVERIFY(docs.show());
        QGuiApplication::clipboard()->setText("before");
        QStringList closes;
        // The main window closes the view, which takes its item and group along.
        connect(docs.bar, &OutlineBar::closeView, docs.bar, [&](EditView *view) {
            closes.append(view->title());
            if (!cancelled.split(' ').contains(view->title()))
                delete view;
        });
        QTreeWidgetItem *item = target.isEmpty() ? nullptr : docs.item(target);
        QVERIFY(target.isEmpty() || item);
        docs.bar->setCurrentItem(docs.item("a.html"));
        docs.bar->actionToTrigger = action;
        const QPoint at = item ? docs.bar->visualItemRect(item).center()
                               : QPoint(5, docs.bar->viewport()->height() - 3);
        QVERIFY(docs.bar->itemAt(at) == item);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, docs.bar->viewport()->mapToGlobal(at));
        QApplication::sendEvent(docs.bar->viewport(), &event);

        QCOMPARE(docs.bar->menuRuns, item ? 1 : 0);
        QCOMPARE(docs.bar->itemDuringMenu, item);
        QCOMPARE(docs.bar->currentDuringMenu, item);
        QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
        QCOMPARE(closes.join(' '), asked);
        QCOMPARE(dump(*docs.bar), tree);
        // Afterwards the item stays current, if it is still there, and no
        // context item is left behind.
        QCOMPARE(docs.bar->contextItem(), nullptr);
        if (item)
            QCOMPARE(docs.bar->currentItem(), docs.item(target) ? docs.item(target) : docs.bar->currentItem());
        QVERIFY(docs.bar->currentItem());
        // Outside the menu the actions have no item to work on.
        QGuiApplication::clipboard()->setText("later");
        docs.bar->copyFullPath();
        docs.bar->copyTitle();
        docs.bar->closeItem();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("later"));
        QCOMPARE(closes.join(' '), asked);
    }
};

QTEST_MAIN(TestOutlineBar)
#include "tst_outlinebar.moc"
