#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/inputmethodmemory.h"
#include "app/messagebar.h"
#include "editor/datapaths.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "html/editview.h"

#include "panels/filesystemview.h"
#include "panels/outlinebar.h"

#include <QCloseEvent>
#include <QDockWidget>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

MainWindow::MainWindow(const QStringList &files, QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
    , ui(new Ui::MainWindowClass)
{
    ui->setupUi(this);
    connect(ui->menu_ShortText, &QMenu::aboutToShow, this, &MainWindow::onUpdateShortTextMenu);

    settings = new GlobalSettings;

    viEngine = new ViEngine;
    connect(viEngine, &ViEngine::modeChanged, this, &MainWindow::onModeChanged);

    modeLabel = new QLabel(QStringLiteral("INS"));
    statusBar()->addPermanentWidget(modeLabel, 0);
    setUpViCommandLine();

    untitledCount = 0;
    setAcceptDrops(true);

    tabWidget = new QTabWidget;
    tabWidget->setMovable(true);
    tabWidget->setTabsClosable(true);
    // Eliding tab titles re-shapes every title whenever a tab is added, which
    // makes opening many files quadratic; scroll buttons are used instead.
    tabWidget->setElideMode(Qt::ElideNone);
    tabWidget->setUsesScrollButtons(true);
    connect(tabWidget, &QTabWidget::tabCloseRequested, this, &MainWindow::tabCloseRequested);
    connect(tabWidget, &QTabWidget::currentChanged, this, &MainWindow::onTabChanged);
    // The bar sits above the tabs and shows the current document's messages;
    // every tab page stays the view itself.
    auto *central = new QWidget;
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    messageBar = new MessageBar;
    column->addWidget(messageBar);
    column->addWidget(tabWidget, 1);
    setCentralWidget(central);

    createListActions();

    outlineDock = new QDockWidget(tr("Outline"), this);
    outlineDock->setObjectName(QStringLiteral("outlineDock"));
    outlineBar = new OutlineBar;
    outlineDock->setWidget(outlineBar);
    outlineDock->setAllowedAreas(Qt::AllDockWidgetAreas);
    addDockWidget(Qt::LeftDockWidgetArea, outlineDock);
    fileSystemDock = new QDockWidget(tr("File System"), this);
    fileSystemDock->setObjectName(QStringLiteral("fileSystemDock"));
    fileSystemView = new FileSystemView(this);
    fileSystemModel = new QFileSystemModel(this);
    fileSystemModel->setRootPath(QStringLiteral("/"));
    fileSystemView->setModel(fileSystemModel);
    fileSystemDock->setWidget(fileSystemView);
    fileSystemDock->setAllowedAreas(Qt::AllDockWidgetAreas);
    addDockWidget(Qt::LeftDockWidgetArea, fileSystemDock);
    tabifyDockWidget(outlineDock, fileSystemDock);
    // Room for both tab titles: a narrow dock area would cut them short.
    QTabBar titles;
    titles.addTab(outlineDock->windowTitle());
    titles.addTab(fileSystemDock->windowTitle());
    outlineDock->setMinimumWidth(titles.sizeHint().width());
    fileSystemDock->setMinimumWidth(titles.sizeHint().width());
    connect(fileSystemView, &FileSystemView::openFile, this,
            qOverload<const QString &>(&MainWindow::loadFile));

    const struct { QAction *action; int code; } encodings[] = {
        {ui->action_UTF8, 3}, {ui->action_UTF16LE, 4}, {ui->action_UTF16BE, 5},
        {ui->action_SJIS, 1}, {ui->action_EUC, 2},
    };
    for (const auto &e : encodings) {
        e.action->setData(e.code);
        connect(e.action, &QAction::triggered, this, &MainWindow::setEncoding);
    }
    setupFileFormatMenus();
    // Keys people know from other programs, beside the form's own.
    ui->action_Redo->setShortcuts({ui->action_Redo->shortcut(),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    ui->action_ZoomIn->setShortcuts({ui->action_ZoomIn->shortcut(),
                                     QKeySequence(Qt::CTRL | Qt::Key_Equal)});

    // The toggles carry access keys; the titles above them do not.
    ui->mainToolBar->toggleViewAction()->setText(tr("&Toolbar"));
    ui->menu_View->addAction(ui->mainToolBar->toggleViewAction());
    QMenu *docks = ui->menu_View->addMenu(tr("&Panels"));
    docks->setObjectName(QStringLiteral("menuPanels"));
    docks->addAction(outlineDock->toggleViewAction());
    outlineDock->toggleViewAction()->setText(tr("&Outline"));
    docks->addAction(fileSystemDock->toggleViewAction());
    fileSystemDock->toggleViewAction()->setText(tr("&File System"));

    restoreWindowState();

    // The engine starts in command mode and announces only changes, so the
    // start-up mode is shown here.
    viEngine->setMode(settings->viEnabled ? ViEngine::CommandMode : ViEngine::InsertMode);
    onModeChanged(viEngine->mode());

    ui->action_viEnabled->setChecked(settings->viEnabled);
    ui->action_LineNumber->setChecked(settings->lineNumber);

    setWindowTitle(tr("mossGlen version %1").arg(QLatin1String(Version)));

    connect(outlineBar, &OutlineBar::viewActivated, this, &MainWindow::activateView);
    connect(outlineBar, &OutlineBar::closeView, this, qOverload<EditView *>(&MainWindow::close));
    connect(outlineBar, &OutlineBar::dirActivated, this, &MainWindow::openDir);

    loadScriptKeywords();
    startRecovery();

    newDocument();
    for (const QString &file : files)
        loadFile(file);
    const EditView *current = currentView();
    showInFileSystem(current && !current->fullPath().isEmpty()
                         ? QFileInfo(current->fullPath()).absolutePath()
                         : QDir::homePath());
}

MainWindow::~MainWindow()
{
    // Views point to the settings, the engine and the keywords: they go first.
    while (tabWidget->count() > 0) {
        QWidget *w = tabWidget->widget(0);
        tabWidget->removeTab(0);
        delete w;
    }
    delete viEngine;
    delete settings;
    delete ui;
}

void MainWindow::showInFileSystem(const QString &dir)
{
    const QModelIndex index = fileSystemModel->index(dir);
    if (!index.isValid())
        return;
    fileSystemView->setCurrentIndex(index);
    fileSystemView->expand(index);
    // Opens the folders above it as well.
    fileSystemView->scrollTo(index, QAbstractItemView::PositionAtTop);
}

QString MainWindow::modeText() const
{
    return modeLabel->text();
}

void MainWindow::onImeOpenStatusChanged()
{
    if (viEngine->takesKeys() && !viEngine->inModeChange()) {
        // Opened by the user: insert mode keeps it open.
        m_imeOpenedByUser = true;
        viEngine->setMode(ViEngine::InsertMode);
        m_imeOpenedByUser = false;
    }
}

void MainWindow::onModeChanged(uchar mode)
{
    const uchar previous = m_shownViMode;
    if (mode == ViEngine::CommandMode || mode == ViEngine::VisualMode || mode == ViEngine::VisualLineMode) {
        inputMethod()->modeChanged(previous, mode);
        modeLabel->setText(mode == ViEngine::CommandMode ? QStringLiteral("CMD") : QStringLiteral("VIS"));
        m_shownViMode = mode;
    } else if (mode == ViEngine::InsertMode) {
        inputMethod()->modeChanged(previous, mode, m_imeOpenedByUser);
        modeLabel->setText(QStringLiteral("INS"));
        m_shownViMode = mode;
    }
}

QSet<QString> MainWindow::parseScriptKeywords(const QByteArray &fileContents)
{
    QSet<QString> words;
    const QStringList lines = QString::fromUtf8(fileContents).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab >= 0)
            line.truncate(tab);
        if (!line.isEmpty())
            words.insert(line);
    }
    return words;
}

void MainWindow::loadScriptKeywords()
{
    QFile file(DataPaths::settingsFile(QStringLiteral("jsKeywords.txt")));
    if (file.open(QIODevice::ReadOnly))
        scriptKeywords = parseScriptKeywords(file.readAll());
}

void MainWindow::restoreWindowState()
{
    const QSettings store;
    if (!restoreGeometry(store.value(QStringLiteral("geometry")).toByteArray())) {
        // First start: two thirds of the screen, in its middle.
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect available = screen->availableGeometry();
            QRect frame(QPoint(), available.size() * 2 / 3);
            frame.moveCenter(available.center());
            setGeometry(frame);
        }
    }
    // The dock tabs exist once the window is laid out, so the Outline is put
    // in front of the File System from the event loop.
    if (!restoreState(store.value(QStringLiteral("windowState")).toByteArray(), 0))
        QTimer::singleShot(0, outlineDock, &QDockWidget::raise);
    QHeaderView *header = fileSystemView->header();
    header->restoreState(store.value(QStringLiteral("fileSystemHeader")).toByteArray());
    // Names only, as wide as they are: a narrow dock has no room for sizes,
    // kinds and dates, and a cut name cannot be told from its neighbours.
    for (int column = 1; column < fileSystemModel->columnCount(); ++column)
        header->hideSection(column);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    settings->load();
}

void MainWindow::saveWindowState()
{
    QSettings store;
    store.setValue(QStringLiteral("geometry"), saveGeometry());
    store.setValue(QStringLiteral("windowState"), saveState(0));
    store.setValue(QStringLiteral("fileSystemHeader"), fileSystemView->header()->saveState());
    settings->save();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    for (int i = 0; i < tabWidget->count(); ++i) {
        EditView *view = viewAt(i);
        if (view && !maybeSave(view)) {
            event->ignore();
            return;
        }
    }
    saveWindowState();
    QMainWindow::closeEvent(event);
}

// Exit takes the same road as closing the window: unsaved work is asked
// about, and the window state and settings are kept.
void MainWindow::on_action_Exit_triggered()
{
    QMainWindow::close();
}
