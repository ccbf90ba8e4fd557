// The vi command line in the status bar and the `:` commands that act on
// the window: write, quit, edit.
#include "app/mainwindow.h"

#include "app/inputmethodmemory.h"
#include "app/inputmethodswitch.h"
#include "app/vicommandline.h"
#include "editor/globalsettings.h"
#include "highlight/viengine.h"
#include "html/editview.h"

#include <QDir>
#include <QFileInfo>
#include <QStatusBar>
#include <QTabWidget>

void MainWindow::setUpViCommandLine()
{
    m_viCommandLine = new ViCommandLine(this);
    statusBar()->addWidget(m_viCommandLine, 1);
    m_viCommandLine->hide();
    connect(viEngine, &ViEngine::commandLineRequested, this, &MainWindow::onViCommandLineRequested);
    connect(viEngine, &ViEngine::windowRequest, this, &MainWindow::onViWindowRequest);
    connect(m_viCommandLine, &ViCommandLine::submitted, this, [this](const QString &line) {
        EditView *view = currentView();
        if (view)
            view->setFocus(Qt::OtherFocusReason);
        viEngine->executeCommandLine(line, view);
    });
    connect(m_viCommandLine, &ViCommandLine::cancelled, this, [this] {
        viEngine->cancelCommandLine();
        if (EditView *view = currentView())
            view->setFocus(Qt::OtherFocusReason);
    });
}

void MainWindow::onViCommandLineRequested(const QString &start)
{
    // Searches share the find dialog's history; `:` commands have their own.
    const QStringList history = start.startsWith(QLatin1Char(':')) ? viEngine->commandHistory()
                                                                   : settings->findStrings;
    statusBar()->clearMessage();
    m_viCommandLine->start(start, history);
}

void MainWindow::onViWindowRequest(EditViewBase *base, int request, const QString &argument)
{
    EditView *view = qobject_cast<EditView *>(base);
    if (!view || tabWidget->indexOf(view) < 0)
        return;
    tabWidget->setCurrentWidget(view);
    const bool modified = view->document()->isModified();
    switch (request) {
    case ViEngine::Write:
        on_action_Save_triggered();
        break;
    case ViEngine::Quit:
        if (modified) {
            showMessage(tr("No write since last change (add ! to override)"), true);
            return;
        }
        close(view);
        break;
    case ViEngine::ForceQuit:
        // The user said to drop the changes.
        view->setModified(false, true);
        close(view);
        break;
    case ViEngine::WriteQuit:
        if (on_action_Save_triggered())
            close(view);
        break;
    case ViEngine::WriteIfModifiedQuit:
        if (!modified || on_action_Save_triggered())
            close(view);
        break;
    case ViEngine::Edit: {
        // A relative name is taken from the document's folder.
        const QString folder = view->fileDirectory().isEmpty() ? QDir::currentPath() : view->fileDirectory();
        loadFile(QFileInfo(argument).isAbsolute() ? argument : QDir(folder).filePath(argument));
        break;
    }
    default:
        break;
    }
}

namespace {

// The input method of the main window, on the platform's terms.
class WindowInputMethod : public InputMethodMemory::Control
{
public:
    explicit WindowInputMethod(QWidget *window) : m_window(window) {}
    bool isOpen() const override { return InputMethodSwitch::isOpen(m_window); }
    void switchOn() override { InputMethodSwitch::switchOn(m_window); }
    void switchOff() override { InputMethodSwitch::switchOff(m_window); }

private:
    QWidget *m_window;
};

} // namespace

InputMethodMemory *MainWindow::inputMethod()
{
    // Made on first use: window() is only final once the window is built.
    if (!m_inputMethod)
        m_inputMethod = std::make_unique<InputMethodMemory>(std::make_unique<WindowInputMethod>(window()));
    return m_inputMethod.get();
}
