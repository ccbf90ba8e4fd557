#pragma once

#include <QMainWindow>

#include <memory>
#include <QSet>
#include <QString>
#include <QStringList>

namespace Ui { class MainWindowClass; }

class DocumentWatcher;
class EditView;
class RecoveryJournal;
class GlobalSettings;
class FileSystemView;
class MessageBar;
class OutlineBar;
class SettingsDlg;
class QAction;
class QDockWidget;
class QFileSystemModel;
class QLabel;
class QMenu;
class QSettings;
class QTabWidget;
class ViCommandLine;
class ViEngine;
class InputMethodMemory;
class EditViewBase;

// The one main window. Its behaviour is split by concern over several source
// files: mainwindow.cpp (construction, closing, input method),
// mainwindow_documents.cpp (documents and tabs), mainwindow_actions.cpp
// (edit and navigation commands).
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr const char *Version = MOSSGLEN_VERSION;
    static constexpr int ListLimit = 36;  // one entry per accelerator 1-9, 0, A-Z
    static constexpr int MessageTimeout = 5000;  // ms a status message stays

    // Menu text of entry `index` of a recent list: "&1 path", "&A path", with
    // every "&" of the path doubled.
    static QString listEntryText(int index, const QString &entry);
    // Puts `entry` at the front of the stored list `key`, without duplicates,
    // at most ListLimit entries.
    static void addToStoredList(const QString &key, const QString &entry);
    static void addToStoredList(QSettings &store, const QString &key, const QString &entry);

    explicit MainWindow(const QStringList &files, QWidget *parent = nullptr,
                        Qt::WindowFlags flags = {});
    ~MainWindow() override;

    EditView *currentView() const;
    EditView *viewAt(int index) const;
    QTabWidget *tabs() const { return tabWidget; }
    FileSystemView *fileSystem() const { return fileSystemView; }
    OutlineBar *outline() const { return outlineBar; }
    // Problems and questions that stay until answered, above the documents.
    MessageBar *messages() const { return messageBar; }
    GlobalSettings *globalSettings() const { return settings; }
    ViEngine *engine() const { return viEngine; }
    const QSet<QString> &keywords() const { return scriptKeywords; }
    QString modeText() const;

    // One keyword a line; a TAB starts a description that is not used.
    static QSet<QString> parseScriptKeywords(const QByteArray &fileContents);

public slots:
    void onImeOpenStatusChanged();
    void onModeChanged(uchar mode);

    void loadFile(const QString &fileName, EditView **view);
    void loadFile(const QString &fileName) { loadFile(fileName, nullptr); }
    void close(EditView *view);
    void openDir(const QString &path);
    void activateView(EditView *view, int);
    // Ordinary messages go after MessageTimeout; failures stay until the next.
    void showMessage(const QString &text, bool failure = false);
    void onModificationChanged(bool changed);

    void on_action_New_triggered();
    void on_action_Open_triggered();
    bool on_action_Save_triggered();
    bool on_actionSave_As_triggered();
    void on_action_Close_triggered();
    void on_action_Exit_triggered();
    void on_action_NextTab_triggered();
    void on_action_PrevTab_triggered();
    void on_action_PreviousDoc_triggered();
    void on_action_LineNumber_triggered(bool checked);
    void on_action_viEnabled_toggled(bool checked);
    void on_action_Undo_triggered();
    void on_action_Redo_triggered();
    void on_action_Cut_triggered();
    void on_action_Copy_triggered();
    void on_action_Paste_triggered();
    void on_action_FindPrev_triggered();
    void on_action_FindNext_triggered();
    void on_action_FindWord_triggered();
    void on_action_Find_Replace_triggered();
    void on_action_Settings_triggered();
    void applySettings(SettingsDlg *dlg);
    void on_action_Browse_triggered();
    void on_action_AboutMossglen_triggered();
    void on_action_GoToLine_triggered();
    void on_action_ZoomIn_triggered();
    void on_action_ZoomOut_triggered();
    void on_action_ZoomReset_triggered();
    void on_actionAddThisFile_triggered();
    void onUpdateShortTextMenu();
    void on_actionText_1_triggered() { insertShortText(0); }
    void on_actionText_2_triggered() { insertShortText(1); }
    void on_actionText_3_triggered() { insertShortText(2); }
    void on_actionText_4_triggered() { insertShortText(3); }
    void on_actionText_5_triggered() { insertShortText(4); }
    void on_actionText_6_triggered() { insertShortText(5); }
    void on_actionText_7_triggered() { insertShortText(6); }
    void on_actionText_8_triggered() { insertShortText(7); }
    void on_actionText_9_triggered() { insertShortText(8); }
    void on_actionText_10_triggered() { insertShortText(9); }
    void openRecentFile();
    void openRecentFileSystem();
    // Markup commands on the current view (mainwindow_html.cpp).
    void on_action_Zen_Coding_triggered();
    void on_action_DynamicCompletion_triggered();
    void on_actionCloseTagCompletion_triggered();
    void on_action_TagJump_triggered();
    void on_action_lt_gt_amp_triggered();
    void on_action_lt_gt_amp_decode_triggered();
    // Editing commands of the Edit and Find menus (mainwindow_editing.cpp).
    void on_actionOpenLine_Above_triggered();
    void on_actionOpenLine_Below_triggered();
    void on_action_MatchedParen_triggered();

private slots:
    void tabCloseRequested(int index);
    void onTabChanged(int index);
    void setEncoding();
    void setLineEnd();
    void setByteOrderMark(bool on);
    void reopenWithEncoding();
    void viewFocusIn() {}
    void viewFocusOut() {}

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void loadScriptKeywords();
    void saveWindowState();
    void restoreWindowState();
    // Selects and opens the folder `dir` in the file-system dock.
    void showInFileSystem(const QString &dir);

    EditView *createView(const QString &path);
    void newDocument();
    bool maybeSave(EditView *view);
    void closeEmptyUntitled();
    void activateTabByTitle(const QString &title);
    void setupFileFormatMenus();
    void updateFormatActions();
    void refreshFormatShown(EditView *view);
    void applyViewSettings(EditView *view);

    void createListActions();
    void addRecentFile(const QString &path);
    void addFavoriteFile(const QString &path);
    void addRecentDir(const QString &path);
    void updateRecentFileMenu();
    void updateFavoriteMenu();
    void updateRecentDirMenus();
    void noteLoaded(const QString &absolutePath);
    void insertShortText(int index);

    Ui::MainWindowClass *ui;
    GlobalSettings *settings;
    QTabWidget *tabWidget;
    MessageBar *messageBar;
    int untitledCount = 0;
    QString curFullPath, curTitle;
    QString prevFullPath, prevTitle;
    ViEngine *viEngine;
    QLabel *modeLabel;
    QAction *byteOrderMarkAction = nullptr;
    QMenu *lineEndMenu = nullptr;
    QMenu *reopenMenu = nullptr;
    QSet<QString> scriptKeywords;
    OutlineBar *outlineBar;
    FileSystemView *fileSystemView;
    QFileSystemModel *fileSystemModel;
    QDockWidget *outlineDock;
    QDockWidget *fileSystemDock;
    QList<QAction *> recentFileActions, favoriteFileActions, recentDirOpenActions, recentDirActions;

    // Crash recovery and files changed on disk (mainwindow_recovery.cpp).
public:
    RecoveryJournal *recoveryJournal() const { return journal; }
    DocumentWatcher *documentWatcher() const { return watcher; }
public slots:
    // Offers the documents kept by a run that did not end normally.
    void offerRecovery();
private:
    void startRecovery();
    bool writeWatched(EditView *view, const QString &fileName);
    RecoveryJournal *journal = nullptr;
    DocumentWatcher *watcher = nullptr;

    // The vi command line and what `:` commands ask of the window
    // (mainwindow_vi.cpp).
public:
    ViCommandLine *viCommandLine() const { return m_viCommandLine; }
public slots:
    void onViCommandLineRequested(const QString &start);
    void onViWindowRequest(EditViewBase *view, int request, const QString &argument);
private:
    void setUpViCommandLine();
    ViCommandLine *m_viCommandLine = nullptr;
    uchar m_shownViMode = 0xff;   // the mode onModeChanged last showed
    InputMethodMemory *inputMethod();
    std::unique_ptr<InputMethodMemory> m_inputMethod;
    bool m_imeOpenedByUser = false;
};
