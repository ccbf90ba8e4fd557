#include "html/completionwidget.h"
#include "html/completiondelegate.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolTip>
#include <QVBoxLayout>

CompletionWidget::CompletionWidget(QPlainTextEdit *editor, const QStringList &candidates,
                                   const QString &filter, int initialRow, QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint)
    , m_editor(editor)
    , m_candidates(candidates)
    , m_filter(filter)
    , m_list(new QListWidget(this))
{
    setAttribute(Qt::WA_TranslucentBackground);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    // Rows are single lines of one font: no need to measure each of them.
    m_list->setUniformItemSizes(true);
    // Measured once over all candidates, so the popup keeps its width while
    // the rows narrow down.
    auto *delegate = new CompletionDelegate(m_list);
    delegate->measure(m_candidates, m_list->fontMetrics());
    m_list->setItemDelegate(delegate);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_list, &QListWidget::currentRowChanged, this, &CompletionWidget::currentRowChanged);

    const int suggested = refill();
    if (m_list->count() == 0)
        return;
    m_list->setCurrentRow(initialRow >= 0 ? qMin(initialRow, m_list->count() - 1) : suggested);
    m_list->installEventFilter(this);

    // Short lists get a small popup one row taller than its rows; long ones
    // keep the window's default size and scroll.
    int rowHeight = m_list->visualItemRect(m_list->currentItem()).height();
    if (rowHeight <= 0)
        rowHeight = m_list->sizeHintForRow(m_list->currentRow());
    const int wanted = rowHeight * (m_list->count() + 1);
    const bool small = rowHeight > 0 && wanted < height();
    // As wide as the widest keyword and description, within the screen.
    int width = delegate->contentWidth() + 2 * m_list->frameWidth()
        + 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    if (!small)
        width += m_list->verticalScrollBar()->sizeHint().width();
    const QScreen *screen = editor ? editor->screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->availableGeometry().width() : width;
    width = qBound(PopupWidth, width, qMax(PopupWidth, screenWidth));
    resize(width, small ? wanted : height());
}

int CompletionWidget::count() const
{
    return m_list->count();
}

QString CompletionWidget::selectedText() const
{
    const QList<QListWidgetItem *> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return QString();
    const QString text = selected.first()->text();
    const qsizetype tab = text.indexOf(u'\t');
    return tab < 0 ? text : text.left(tab);
}

int CompletionWidget::refill()
{
    m_list->clear();
    int exact = -1;
    QStringList rows;
    for (const QString &candidate : std::as_const(m_candidates)) {
        // An empty filter takes every row, the empty (or null) candidate too.
        if (!m_filter.isEmpty() && !candidate.startsWith(m_filter))
            continue;
        if (candidate == m_filter)
            exact = int(rows.size());
        rows.append(candidate);
    }
    // One insertion for all rows: a word list of a big page has tens of
    // thousands of them.
    m_list->addItems(rows);
    if (m_list->count() == 0) {
        reject();
        return 0;
    }
    return exact > 0 ? exact - 1 : 0;
}

void CompletionWidget::currentRowChanged(int row)
{
    QListWidgetItem *item = m_list->item(row);
    if (!item || item->toolTip().isEmpty())
        return;
    const QRect rect = m_list->visualItemRect(item);
    QToolTip::showText(m_list->viewport()->mapToGlobal(rect.topRight()), item->toolTip(), m_list);
}

bool CompletionWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_list || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    const QString text = keyEvent->text();
    // Ctrl+letter carries the letter as text on some platforms; it is a
    // command here, not typing (AltGr, reported as Ctrl+Alt, still types).
    const Qt::KeyboardModifiers mods = keyEvent->modifiers();
    const bool command = (mods & Qt::ControlModifier) && !(mods & Qt::AltModifier);
    if (!command && !text.isEmpty() && text.at(0).unicode() > 32 && text.at(0).unicode() <= 127) {
        if (m_editor)
            m_editor->insertPlainText(text);
        m_filter += text;
        refill();
        if (m_list->count() > 0) {
            m_list->setCurrentRow(0);
            if (m_list->count() == 1)
                accept();
        }
        return true;
    }
    // The list would swallow these (Backspace starts a keyboard search), so
    // they are handled here before it sees them.
    switch (keyEvent->key()) {
    case Qt::Key_Return:
    case Qt::Key_Escape:
    case Qt::Key_Backspace:
    case Qt::Key_J:
    case Qt::Key_K:
    case Qt::Key_L:
        keyPressEvent(keyEvent);
        return true;
    default:
        return false;
    }
}

void CompletionWidget::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool plainCtrl = (mods & Qt::ControlModifier) && !(mods & (Qt::ShiftModifier | Qt::AltModifier));
    const int row = m_list->currentRow();
    switch (event->key()) {
    case Qt::Key_Return:
        accept();
        break;
    case Qt::Key_Escape:
        reject();
        break;
    case Qt::Key_Backspace:
        done(BackspaceResult);
        break;
    case Qt::Key_J:
        if (plainCtrl && row < m_list->count() - 1)
            m_list->setCurrentRow(row + 1);
        break;
    case Qt::Key_K:
    case Qt::Key_L:
        if (plainCtrl && row > 0)
            m_list->setCurrentRow(row - 1);
        break;
    default:
        // Enter, Tab and the rest do nothing: QDialog's own handling would
        // accept on Enter through a default button.
        break;
    }
    event->accept();
}
