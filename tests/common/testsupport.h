#pragma once

#include "editor/globalsettings.h"
#include "editor/userprompt.h"
#include "highlight/viengine.h"
#include "html/editview.h"

// The whole of QtCore and QtTest: every test program uses both.
#include <QtTest>
#include <functional>
#include <memory>

// Points every default-constructed QSettings of the test at a fresh, empty
// store that is removed again afterwards.
class ScopedSettingsStore
{
public:
    ScopedSettingsStore();
    ~ScopedSettingsStore();

private:
    QString m_previousOrganization;
};

// Answers the program's questions and file dialogs from a script, and records
// what was asked. An unscripted question fails the running test and answers
// Cancel, so a test never blocks on a modal dialog.
class ScriptedPrompt : public UserPrompt
{
public:
    ScriptedPrompt();
    ~ScriptedPrompt() override;

    QMessageBox::StandardButton message(QMessageBox::Icon icon, QWidget *parent,
                                        const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        const ButtonLabels &labels) override;
    // The Open dialog is cancelled: files reach a test by name.
    QStringList openFileNames(QWidget *parent, const QString &caption,
                              const QString &dir, const QString &filter) override;
    QString saveFileName(QWidget *parent, const QString &caption,
                         const QString &dir, const QString &filter) override;
    // Runs dialogHandler instead of a modal loop; without one the dialog is
    // an unexpected question and answers Rejected.
    int runDialog(QDialog *dialog) override;
    std::function<int(QDialog *)> dialogHandler;

    QList<QMessageBox::StandardButton> answers;  // taken from the front
    QStringList saveAnswers;

    struct Asked { QMessageBox::Icon icon; QString title; QString text; QString filter; };
    QList<Asked> asked;
    bool unexpected = false;
};

class QPlainTextEdit;

// Texts with a cursor marker, for editing tests: "|" is the cursor and "^" a
// selection's anchor, on either side of it, so that a backward selection can
// be written too.
void setCursorMarked(QPlainTextEdit &edit, const QString &marked);
QString cursorMarked(const QPlainTextEdit &edit);

// Every command counted since the statistics were cleared, as often as it
// was counted, blank-separated in sorted order, as the key tables write them.
QString countedNames();

// Writes bytes to a file, creating directories as needed.
bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

class MainWindow;

// Every fixture test starts with an empty settings store, a scripted prompt,
// a folder for its files, no commands counted, and default settings with a
// vi engine for the views it makes; a question no row scripted fails it.
class FixtureTest : public QObject
{
    Q_OBJECT
protected:
    QString file(const QString &name, const QByteArray &bytes = "<meta charset=\"utf-8\">\n");
    // A view on the fixture's settings and engine, holding `text` unmodified.
    std::unique_ptr<EditView> makeView(const QString &text = QString());
    static QStringList tabTitles(const MainWindow &w);
    // Where the main window keeps its recovery copies under the test's store.
    static QString recoveryDir();
    std::unique_ptr<ScopedSettingsStore> store;
    std::unique_ptr<ScriptedPrompt> prompt;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<GlobalSettings> settings;
    std::unique_ptr<ViEngine> engine;

protected slots:
    // A test class with its own init() and cleanup() calls these from them.
    void init();
    void cleanup();
};

// highlight and html tests

// Compares `actual` with the golden file at `referencePath` and fails at the
// first line that differs. With MOSSGLEN_REGENERATE_REFERENCES set it writes
// the file instead: review the diff before committing it.
void compareWithReference(const QString &referencePath, const QString &actual);

// editor tests
#include "editor/charencoding.h"
#include "testtable.h"

// A file under tests/data/encoding; a missing one ends the test program.
QByteArray encodingFixture(const QString &name);
// The bytes of a table field: Latin-1 text (\u00XX for any byte) or, after
// "u8:", UTF-8; {{name}} stands for an encodingFixture.
QByteArray tableBytes(const QString &field);
// "UTF-8", "Shift-JIS", ... as encodingName() spells them; "none" otherwise.
CharEncoding tableEncoding(const QString &name);

#include <QPaintEvent>

// What a widget was asked to paint since the spy was made.
class PaintSpy : public QObject
{
public:
    explicit PaintSpy(QWidget *widget) { widget->installEventFilter(this); }
    QRegion painted;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
};

// The rows of a table file under tests/data as the rows of a data function,
// every field but the name in one column.
void addTableRows(const QString &relativePath, const char *column = "fields");

// "Discard Cancel": the buttons a scripted prompt answers with, in turn.
QList<QMessageBox::StandardButton> standardButtons(const QString &names);
