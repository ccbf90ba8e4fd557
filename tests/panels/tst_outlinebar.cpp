#include "editor/globalsettings.h"
#include "html/editview.h"
#include "panels/outlinebar.h"
#include "testsupport.h"

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

// Views of the test's documents in a shown window; "" or "-" makes an
// untitled one. dump() has one entry per top-level item, a directory's
// documents in brackets, "(closed)" before them if it is not expanded.
struct Documents
{
    GlobalSettings settings;
    QWidget window;
    MenuOutlineBar *bar = new MenuOutlineBar(&window);
    std::vector<QPointer<EditView>> views;

    explicit Documents(const QStringList &paths)
    {
        (new QVBoxLayout(&window))->addWidget(bar, 100);
        window.resize(300, 500);
        for (const QString &path : paths)
            open(path);
    }
    ~Documents()
    {
        for (const QPointer<EditView> &view : views)
            delete view.data();
    }
    void open(const QString &path)
    {
        auto *view = new EditView(&settings, nullptr, &window);
        view->setMaximumHeight(20);
        window.layout()->addWidget(view);
        if (path.isEmpty() || path == "-")
            view->setTitle(QStringLiteral("Untitled-%1").arg(views.size() + 1));
        else
            view->setFullPath(path);
        QObject::connect(view, &EditView::toClose, bar, &OutlineBar::removeView);
        views.push_back(view);
        bar->addView(view);
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
    QString dump() const
    {
        QStringList top;
        for (int i = 0; i < bar->topLevelItemCount(); ++i) {
            const QTreeWidgetItem *item = bar->topLevelItem(i);
            QStringList children;
            for (int c = 0; c < item->childCount(); ++c)
                children.append(item->child(c)->text(0));
            const bool isDir = OutlineBar::itemKind(item) == OutlineBar::DirectoryItem;
            top.append(item->text(0) + (isDir ? (item->isExpanded() ? "[" : "(closed)[") + children.join(",") + "]" : ""));
        }
        return top.join("|");
    }
};

} // namespace

class TestOutlineBar : public QObject
{
    Q_OBJECT
private slots:
    void tree_data() { addTableRows("panels/outline.txt"); }
    void tree()
    {
        QFETCH(QStringList, fields);
        const QStringList steps = fields[1].split(' ', Qt::SkipEmptyParts);
        Documents docs(fields[0].split(' '));
        for (const QString &step : steps) {
            const QStringList part = step.split(':');
            const auto view = [&] { return docs.views.at(part[1].toInt()).data(); };
            if (part[0] == "close") {
                delete view();  // the view's toClose is what tells the bar
            } else if (part[0] == "open") {
                docs.open(part[1]);
            } else if (part[0] == "current") {
                docs.bar->setCurrentView(view());
            } else if (part[0] == "select") {
                docs.bar->setCurrentItem(docs.bar->topLevelItem(part[1].toInt()));
            } else if (part[0] == "focus") {
                QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
                QApplication::sendEvent(docs.bar, &focusIn);
            } else {
                if (part[0] == "save")
                    view()->setFullPath(part[2]);
                else
                    view()->setTitle(part[2]);
                docs.bar->updateView(view());
            }
        }
        QCOMPARE(docs.dump(), fields[2]);
        if (steps.isEmpty())
            QCOMPARE(docs.bar->currentItem(), docs.bar->findViewItem(docs.views.back()));
        if (fields.size() > 3)
            QCOMPARE(docs.bar->currentItem() ? docs.bar->currentItem()->text(0) : QString(), fields[3]);
        QCOMPARE(docs.bar->currentView() ? docs.bar->currentView()->title() : QString(), fields.value(4));
        // Every document's item is found by its view.
        for (const QPointer<EditView> &v : docs.views)
            QVERIFY(!v || (docs.bar->findViewItem(v) && docs.bar->findViewItem(v)->text(0) == v->title()));
        // A view the bar does not hold is neither updated nor removed.
        EditView stranger(&docs.settings, nullptr);
        stranger.setFullPath("/q/s.html");
        docs.bar->updateView(&stranger);
        docs.bar->removeView(&stranger);
        QCOMPARE(docs.dump(), fields[2]);
    }
    void keys_data() { addTableRows("panels/outlinekeys.txt"); }
    void keys()
    {
        QFETCH(QStringList, fields);
        Documents docs({"/w/a.html", "/w/jq.html", "/x/c.js", ""});
        QVERIFY(docs.show());
        QTreeWidgetItem *item = docs.item(fields[0]);
        QVERIFY(item);
        docs.bar->setCurrentItem(item);
        docs.bar->setFocus();
        QSignalSpy viewSpy(docs.bar, &OutlineBar::viewActivated);
        QSignalSpy dirSpy(docs.bar, &OutlineBar::dirActivated);
        if (fields[1] == "double click") {
            const QPoint at = docs.bar->visualItemRect(item).center();
            QTest::mouseClick(docs.bar->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(docs.bar->viewport(), Qt::LeftButton, {}, at);
        } else {
            QTest::keySequence(docs.bar, QKeySequence(fields[1]));
        }
        QVERIFY(docs.bar->currentItem());
        QCOMPARE(docs.bar->currentItem()->text(0), fields[2]);
        QCOMPARE(docs.bar->topLevelItem(0)->isExpanded(), fields[3] == "open");
        QStringList got;
        for (const auto &args : viewSpy) {
            got << "view:" + args.at(0).value<EditView *>()->title();
            QCOMPARE(args.at(1).toInt(), 0);
            QVERIFY(args.at(0).value<EditView *>()->hasFocus());
        }
        for (const auto &args : dirSpy)
            got << "dir:" + args.at(0).toString();
        QCOMPARE(got.join(' '), fields[4]);
    }
    void contextMenu_data() { addTableRows("panels/outlinemenu.txt"); }
    void contextMenu()
    {
        QFETCH(QStringList, fields);
        const QString target = fields[0], asked = fields[4];
        Documents docs({"/w/a.html", "/x/d.js", "/w/b.html", "/w/c.html", ""});
        QVERIFY(docs.show());
        QGuiApplication::clipboard()->setText("before");
        QStringList closes;
        // The main window closes the view, which takes its item and group along.
        connect(docs.bar, &OutlineBar::closeView, docs.bar, [&](EditView *view) {
            closes.append(view->title());
            if (!fields[2].split(' ').contains(view->title()))
                delete view;
        });
        QTreeWidgetItem *item = target.isEmpty() ? nullptr : docs.item(target);
        QVERIFY(target.isEmpty() || item);
        docs.bar->setCurrentItem(docs.item("a.html"));
        docs.bar->actionToTrigger = fields[1].toInt();
        const QPoint at = item ? docs.bar->visualItemRect(item).center() : QPoint(5, docs.bar->viewport()->height() - 3);
        QVERIFY(docs.bar->itemAt(at) == item);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, docs.bar->viewport()->mapToGlobal(at));
        QApplication::sendEvent(docs.bar->viewport(), &event);
        QCOMPARE(docs.bar->menuRuns, item ? 1 : 0);
        QCOMPARE(docs.bar->itemDuringMenu, item);
        QCOMPARE(docs.bar->currentDuringMenu, item);
        QCOMPARE(QGuiApplication::clipboard()->text(), fields[3]);
        QCOMPARE(closes.join(' '), asked);
        QCOMPARE(docs.dump(), fields[5]);
        // Afterwards the item stays current, if it is still there, no context
        // item is left behind, and the actions have no item to work on.
        if (QTreeWidgetItem *still = item ? docs.item(target) : nullptr)
            QCOMPARE(docs.bar->currentItem(), still);
        QCOMPARE(docs.bar->contextItem(), nullptr);
        QVERIFY(docs.bar->currentItem());
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
