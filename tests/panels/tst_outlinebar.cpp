#include "editor/globalsettings.h"
#include "html/editview.h"
#include "panels/outlinebar.h"
#include "testtable.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPointer>
#include <QSet>
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

// Views of the test's documents; "" makes an untitled one.
struct Documents
{
    GlobalSettings settings;
    QWidget window;
    MenuOutlineBar *bar;
    std::vector<QPointer<EditView>> views;

    Documents()
    {
        bar = new MenuOutlineBar(&window);
        new QVBoxLayout(&window);
        window.layout()->addWidget(bar);
    }
    ~Documents()
    {
        for (const QPointer<EditView> &view : views)
            delete view.data();
    }
    EditView *open(const QString &path)
    {
        auto *view = new EditView(&settings, nullptr, &window);
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
    void openAll(const QStringList &paths)
    {
        for (const QString &path : paths)
            open(path);
    }
};

QPoint itemCenter(const OutlineBar &bar, QTreeWidgetItem *item)
{
    return bar.visualItemRect(item).center();
}

void sendContextMenu(OutlineBar &bar, QTreeWidgetItem *item)
{
    const QPoint at = item ? itemCenter(bar, item) : QPoint(5, bar.viewport()->height() - 3);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, bar.viewport()->mapToGlobal(at));
    QApplication::sendEvent(bar.viewport(), &event);
}

} // namespace

namespace {

struct KeyOutcome
{
    QString current;
    bool groupExpanded = false;
    int activations = 0;
};

// Presses one key in a fresh bar whose current item has the text `start`.
KeyOutcome pressIn(const QString &start, int key, int modifiers)
{
    Documents docs;
    docs.openAll({"/w/a.html", "/w/jq.html", "/x/c.js"});
    docs.window.show();
    if (!QTest::qWaitForWindowExposed(&docs.window))
        return {};
    const QList<QTreeWidgetItem *> found =
        docs.bar->findItems(start, Qt::MatchExactly | Qt::MatchRecursive);
    if (found.size() != 1)
        return {};
    docs.bar->setCurrentItem(found.first());
    QSignalSpy viewSpy(docs.bar, &OutlineBar::viewActivated);
    QSignalSpy dirSpy(docs.bar, &OutlineBar::dirActivated);
    QTest::keyClick(docs.bar, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    KeyOutcome outcome;
    outcome.current = docs.bar->currentItem() ? docs.bar->currentItem()->text(0) : QString();
    outcome.groupExpanded = docs.bar->topLevelItem(0)->isExpanded();
    outcome.activations = viewSpy.count() + dirSpy.count();
    return outcome;
}

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
        Documents docs;
        for (const QString &path : paths)
            docs.open(path == "-" ? QString() : path);
        for (const QString &step : steps) {
            const QStringList part = step.split(':');
            if (part[0] == "save") {
                docs.views.at(part[1].toInt())->setFullPath(part[2]);
                docs.bar->updateView(docs.views.at(part[1].toInt()));
            } else if (part[0] == "close") {
                // Deleting a view is what tells the bar, through the view's toClose.
                delete docs.views.at(part[1].toInt()).data();
            } else {
                docs.open(part[1]);
            }
        }
        QCOMPARE(dump(*docs.bar), tree);
        if (steps.isEmpty())
            QCOMPARE(docs.bar->currentItem(), docs.bar->findViewItem(docs.views.back()));
        // Every document is found under its group; groups are open and never empty.
        for (const QPointer<EditView> &v : docs.views) {
            if (!v)
                continue;
            QTreeWidgetItem *item = docs.bar->findViewItem(v);
            QVERIFY(item);
            QCOMPARE(item->parent() != nullptr, !v->fullPath().isEmpty());
        }
        for (int i = 0; i < docs.bar->topLevelItemCount(); ++i) {
            QTreeWidgetItem *top = docs.bar->topLevelItem(i);
            if (OutlineBar::itemKind(top) == OutlineBar::DirectoryItem)
                QVERIFY(top->isExpanded() && top->childCount() > 0);
        }
        // Removing a view the bar does not hold changes nothing.
        EditView stranger(&docs.settings, nullptr);
        docs.bar->removeView(&stranger);
        QCOMPARE(dump(*docs.bar), tree);
    }
    void updateUnknownView()
    {
        Documents docs;
        docs.openAll({"/w/a.html", ""});
        EditView stranger(&docs.settings, nullptr);
        stranger.setFullPath("/q/s.html");
        docs.bar->updateView(&stranger);
        QCOMPARE(dump(*docs.bar), QStringLiteral("/w[a.html]|Untitled-2"));
        // A document whose name did not change only gets its title refreshed.
        docs.views[1]->setTitle("Renamed");
        docs.bar->updateView(docs.views[1]);
        QCOMPARE(dump(*docs.bar), QStringLiteral("/w[a.html]|Renamed"));
    }
    void currentViewAndFocus()
    {
        Documents docs;
        docs.openAll({"/w/a.html", "/w/b.html", ""});
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
    void activation_data()
    {
        QTest::addColumn<QString>("target");  // "dir", "doc" or "untitled"
        QTest::addColumn<QString>("input");   // "Return", "Enter", "double click"
        QTest::addColumn<int>("viewSignals");
        QTest::addColumn<int>("dirSignals");
        QTest::newRow("Return on a document") << "doc" << "Return" << 1 << 0;
        QTest::newRow("Return on an untitled document") << "untitled" << "Return" << 1 << 0;
        QTest::newRow("Return on a directory") << "dir" << "Return" << 0 << 1;
        QTest::newRow("keypad Enter on a document") << "doc" << "Enter" << 0 << 0;
        QTest::newRow("keypad Enter on a directory") << "dir" << "Enter" << 0 << 0;
        QTest::newRow("double click on a document") << "doc" << "double click" << 1 << 0;
        QTest::newRow("double click on a directory") << "dir" << "double click" << 0 << 1;
    }
    void activation()
    {
        QFETCH(QString, target);
        QFETCH(QString, input);
        QFETCH(int, viewSignals);
        QFETCH(int, dirSignals);
        Documents docs;
        docs.openAll({"/w/a.html", "/w/b.html", ""});
        docs.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&docs.window));
        QSignalSpy viewSpy(docs.bar, &OutlineBar::viewActivated);
        QSignalSpy dirSpy(docs.bar, &OutlineBar::dirActivated);

        QTreeWidgetItem *dir = docs.bar->topLevelItem(0);
        EditView *view = target == "doc" ? docs.views[1].data() : docs.views[2].data();
        QTreeWidgetItem *item = target == "dir" ? dir : docs.bar->findViewItem(view);
        docs.bar->setCurrentItem(item);
        docs.bar->setFocus();

        if (input == "Return") {
            QTest::keyClick(docs.bar, Qt::Key_Return);
        } else if (input == "Enter") {
            QTest::keyClick(docs.bar, Qt::Key_Enter, Qt::KeypadModifier);
        } else {
            const QPoint at = itemCenter(*docs.bar, item);
            QTest::mouseClick(docs.bar->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(docs.bar->viewport(), Qt::LeftButton, {}, at);
        }

        QCOMPARE(viewSpy.count(), viewSignals);
        QCOMPARE(dirSpy.count(), dirSignals);
        if (viewSignals) {
            QCOMPARE(viewSpy.at(0).at(0).value<EditView *>(), view);
            QCOMPARE(viewSpy.at(0).at(1).toInt(), 0);
            QVERIFY(view->hasFocus());
        }
        if (dirSignals)
            QCOMPARE(dirSpy.at(0).at(0).toString(), QStringLiteral("/w"));
        // The tree's own double click still opens and closes the group.
        QCOMPARE(dir->isExpanded(), !(target == "dir" && input == "double click"));
    }
    void keysAsArrows_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QKeySequence>("arrow");
        QTest::addColumn<QString>("current");
        QTest::addColumn<bool>("groupExpanded");
        for (const TestRow &r : readTestTable("panels/outlinekeys.txt"))
            QTest::newRow(qPrintable(r.name)) << r.fields[0] << QKeySequence(r.fields[1])
                << QKeySequence(r.fields[2]) << r.fields[3] << (r.fields[4] == "open");
    }
    void keysAsArrows()
    {
        QFETCH(QString, start);
        QFETCH(QKeySequence, key);
        QFETCH(QKeySequence, arrow);
        QFETCH(QString, current);
        QFETCH(bool, groupExpanded);
        const KeyOutcome got = pressIn(start, key[0].key(), key[0].keyboardModifiers());
        QVERIFY(!got.current.isEmpty());
        if (!current.isEmpty())
            QCOMPARE(got.current, current);
        QCOMPARE(got.groupExpanded, groupExpanded);
        QCOMPARE(got.activations, 0);
        if (!arrow.isEmpty()) {
            const KeyOutcome plain = pressIn(start, arrow[0].key(), 0);
            QCOMPARE(got.current, plain.current);
            QCOMPARE(got.groupExpanded, plain.groupExpanded);
        }
    }
    void spaceOpensAClosedGroup()
    {
        Documents docs;
        docs.openAll({"/w/a.html", "/x/c.js"});
        QTreeWidgetItem *dir = docs.bar->topLevelItem(0);
        dir->setExpanded(false);
        docs.bar->setCurrentItem(dir);
        QTest::keyClick(docs.bar, Qt::Key_Space);
        QVERIFY(dir->isExpanded());
        QCOMPARE(docs.bar->currentItem(), dir);
    }
    void contextMenuCopies_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("clipboard");
        const QString unchanged = QStringLiteral("clipboard before");
        QTest::newRow("full path of a document") << "doc" << 1 << "/w/b.html";
        QTest::newRow("title of a document") << "doc" << 2 << "b.html";
        QTest::newRow("full path of a directory") << "dir" << 1 << "/w";
        QTest::newRow("title of a directory") << "dir" << 2 << "/w";
        QTest::newRow("full path of an untitled document") << "untitled" << 1 << unchanged;
        QTest::newRow("title of an untitled document") << "untitled" << 2 << "Untitled-3";
        QTest::newRow("dismissed menu") << "doc" << -1 << unchanged;
    }
    void contextMenuCopies()
    {
        QFETCH(QString, target);
        QFETCH(int, action);
        QFETCH(QString, clipboard);
        Documents docs;
        docs.openAll({"/w/a.html", "/w/b.html", ""});
        docs.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&docs.window));
        QGuiApplication::clipboard()->setText(QStringLiteral("clipboard before"));

        QTreeWidgetItem *item = target == "dir" ? docs.bar->topLevelItem(0)
            : docs.bar->findViewItem(target == "doc" ? docs.views[1] : docs.views[2]);
        QTreeWidgetItem *elsewhere = docs.bar->findViewItem(docs.views[0]);
        docs.bar->setCurrentItem(elsewhere);
        QSignalSpy closeSpy(docs.bar, &OutlineBar::closeView);
        docs.bar->actionToTrigger = action;
        sendContextMenu(*docs.bar, item);

        QCOMPARE(docs.bar->menuRuns, 1);
        QCOMPARE(docs.bar->itemDuringMenu, item);
        QCOMPARE(docs.bar->currentDuringMenu, item);
        QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
        QCOMPARE(closeSpy.count(), 0);
        // Afterwards the item stays current and no context item is left behind.
        QCOMPARE(docs.bar->currentItem(), item);
        QCOMPARE(docs.bar->contextItem(), nullptr);
        // Outside the menu the actions have no item to work on.
        QGuiApplication::clipboard()->setText(QStringLiteral("later"));
        docs.bar->copyFullPath();
        docs.bar->copyTitle();
        docs.bar->closeItem();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("later"));
        QCOMPARE(closeSpy.count(), 0);
    }
    void contextMenuOutsideItems()
    {
        Documents docs;
        docs.openAll({"/w/a.html"});
        docs.window.resize(300, 400);
        docs.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&docs.window));
        QVERIFY(!docs.bar->itemAt(QPoint(5, docs.bar->viewport()->height() - 3)));
        sendContextMenu(*docs.bar, nullptr);
        QCOMPARE(docs.bar->menuRuns, 0);
    }
    void closeDocumentFromMenu()
    {
        Documents docs;
        docs.openAll({"/w/a.html", "/x/c.js"});
        docs.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&docs.window));
        EditView *target = docs.views[1];
        // The main window closes the view, which takes its item and group along.
        QList<EditView *> asked;
        connect(docs.bar, &OutlineBar::closeView, docs.bar, [&](EditView *view) {
            asked.append(view);
            delete view;
        });
        docs.bar->actionToTrigger = 0;
        sendContextMenu(*docs.bar, docs.bar->findViewItem(target));
        QCOMPARE(asked, QList<EditView *>{target});
        QCOMPARE(dump(*docs.bar), QStringLiteral("/w[a.html]"));
        QCOMPARE(docs.bar->contextItem(), nullptr);
        QVERIFY(docs.bar->currentItem());
    }
    void closeDirectory_data()
    {
        QTest::addColumn<QSet<QString>>("cancelled");  // titles whose save prompt is cancelled
        QTest::addColumn<QString>("tree");
        QTest::newRow("all closed") << QSet<QString>{} << "/x[d.js]";
        QTest::newRow("middle one kept") << QSet<QString>{"b.html"} << "/w[b.html]|/x[d.js]";
        QTest::newRow("first one kept") << QSet<QString>{"a.html"} << "/w[a.html]|/x[d.js]";
        QTest::newRow("all kept") << QSet<QString>{"a.html", "b.html", "c.html"}
                                  << "/w[a.html,b.html,c.html]|/x[d.js]";
    }
    void closeDirectory()
    {
        QFETCH(QSet<QString>, cancelled);
        QFETCH(QString, tree);
        Documents docs;
        docs.openAll({"/w/a.html", "/x/d.js", "/w/b.html", "/w/c.html"});
        docs.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&docs.window));
        QStringList asked;
        connect(docs.bar, &OutlineBar::closeView, docs.bar, [&](EditView *view) {
            asked.append(view->title());
            if (!cancelled.contains(view->title()))
                delete view;
        });
        QTreeWidgetItem *dir = docs.bar->topLevelItem(0);
        QCOMPARE(dir->text(0), QStringLiteral("/w"));
        docs.bar->actionToTrigger = 0;
        sendContextMenu(*docs.bar, dir);
        QCOMPARE(asked, (QStringList{"c.html", "b.html", "a.html"}));
        QCOMPARE(dump(*docs.bar), tree);
        QCOMPARE(docs.bar->contextItem(), nullptr);
        if (cancelled.isEmpty())
            QCOMPARE(docs.bar->findDirItem("/w"), nullptr);
        else
            QCOMPARE(docs.bar->currentItem(), docs.bar->findDirItem("/w"));
    }
};

QTEST_MAIN(TestOutlineBar)
#include "tst_outlinebar.moc"
