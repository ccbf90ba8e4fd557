#include "panels/outlinebar.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QVBoxLayout>

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
        docs.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&docs.window));
        QGuiApplication::clipboard()->setText("before");
        QSignalSpy viewSpy(docs.bar, &OutlineBar::viewActivated);
        QSignalSpy dirSpy(docs.bar, &OutlineBar::dirActivated);
        QStringList closes, copies, kept;
        // The main window closes the view, which takes its item and group along.
        connect(docs.bar, &OutlineBar::closeView, docs.bar, [&](EditView *view) {
            closes.append("close:" + view->title());
            if (!kept.contains(view->title()))
                delete view;
        });
        for (const QString &step : steps) {
            const QStringList part = step.split(':');
            const auto view = [&] { return docs.views.at(part[1].toInt()).data(); };
            // The item a step names by its text, if there is exactly one.
            const auto found = docs.bar->findItems(part.value(1), Qt::MatchExactly | Qt::MatchRecursive);
            QTreeWidgetItem *item = found.size() == 1 ? found.first() : nullptr;
            if (part[0] == "close") {
                delete view();  // the view's toClose is what tells the bar
            } else if (part[0] == "open") {
                docs.open(part[1]);
            } else if (part[0] == "current") {
                docs.bar->setCurrentView(view());
            } else if (part[0] == "at") {
                QVERIFY(item);
                docs.bar->setCurrentItem(item);
            } else if (part[0] == "focus") {
                QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
                QApplication::sendEvent(docs.bar, &focusIn);
            } else if (part[0] == "key") {
                docs.bar->setFocus();
                QTest::keySequence(docs.bar, QKeySequence(part[1]));
            } else if (part[0] == "dclick") {
                const QPoint at = docs.bar->visualItemRect(item).center();
                QTest::mouseClick(docs.bar->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(docs.bar->viewport(), Qt::LeftButton, {}, at);
            } else if (part[0] == "keep") {
                kept.append(part[1]);
            } else if (part[0] == "menu") {
                QVERIFY(part[1].isEmpty() || item);
                const int runs = docs.bar->menuRuns;
                docs.bar->actionToTrigger = part[2].toInt();
                const QPoint at = item ? docs.bar->visualItemRect(item).center() : QPoint(5, docs.bar->viewport()->height() - 3);
                QVERIFY(docs.bar->itemAt(at) == item);
                QContextMenuEvent event(QContextMenuEvent::Mouse, at, docs.bar->viewport()->mapToGlobal(at));
                QApplication::sendEvent(docs.bar->viewport(), &event);
                QCOMPARE(docs.bar->menuRuns, runs + (item ? 1 : 0));
                QCOMPARE(docs.bar->itemDuringMenu, item);
                QCOMPARE(docs.bar->currentDuringMenu, item);
                // Afterwards no context item is left behind, and some item is current.
                QCOMPARE(docs.bar->contextItem(), nullptr);
                QVERIFY(docs.bar->currentItem());
                if (QGuiApplication::clipboard()->text() != "before")
                    copies.append("copy:" + QGuiApplication::clipboard()->text());
                QGuiApplication::clipboard()->setText("before");
            } else {
                if (part[0] == "save")
                    view()->setFullPath(part[2]);
                else
                    view()->setTitle(part[2]);
                docs.bar->updateView(view());
            }
        }
        QCOMPARE(docs.dump(), fields[2]);
        QStringList events;
        for (const auto &args : viewSpy) {
            events << "view:" + args.at(0).value<EditView *>()->title();
            QCOMPARE(args.at(1).toInt(), 0);
            QVERIFY(args.at(0).value<EditView *>()->hasFocus());
        }
        for (const auto &args : dirSpy)
            events << "dir:" + args.at(0).toString();
        QCOMPARE((events + closes + copies).join(' '), fields.value(3));
        if (steps.isEmpty())
            QCOMPARE(docs.bar->currentItem(), docs.bar->findViewItem(docs.views.back()));
        if (fields.size() > 4)
            QCOMPARE(docs.bar->currentItem() ? docs.bar->currentItem()->text(0) : QString(), fields[4]);
        QCOMPARE(docs.bar->currentView() ? docs.bar->currentView()->title() : QString(), fields.value(5));
        // Every document's item is found by its view.
        for (const QPointer<EditView> &v : docs.views)
            QVERIFY(!v || (docs.bar->findViewItem(v) && docs.bar->findViewItem(v)->text(0) == v->title()));
        // A view the bar does not hold is neither updated nor removed.
        EditView stranger(&docs.settings, nullptr);
        stranger.setFullPath("/q/s.html");
        docs.bar->updateView(&stranger);
        docs.bar->removeView(&stranger);
        QCOMPARE(docs.dump(), fields[2]);
        // Without a context item the menu's actions have no item to work on.
        QGuiApplication::clipboard()->setText("later");
        docs.bar->copyFullPath();
        docs.bar->copyTitle();
        docs.bar->closeItem();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("later"));
        QCOMPARE((events + closes + copies).join(' '), fields.value(3));
    }
};

QTEST_MAIN(TestOutlineBar)
#include "tst_outlinebar.moc"
