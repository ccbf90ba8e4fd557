#pragma once

#include "editor/editviewbase.h"

#include <QSet>
#include <QString>
#include <QStringList>

class SyntaxHighlighter;
class ViEngine;

// The HTML-aware document view: one per tab. Besides the editor widget it
// offers the markup commands (template, character references, tag jump,
// short texts, Zen-Coding) and the completion commands with their candidate
// lists. Every command is one undo step.
class EditView : public EditViewBase
{
    Q_OBJECT
public:
    EditView(GlobalSettings *settings, ViEngine *viEngine, QWidget *parent = nullptr);
    ~EditView() override;

    // The main window's script keyword set, shared by every view and never
    // freed here.
    void setScriptKeywords(const QSet<QString> *keywords) { scriptKeywords = keywords; }
    const QSet<QString> *keywords() const { return scriptKeywords; }

    // Folder the keyword files and the page template are read from; empty
    // (the default) means the program's settings folder.
    void setKeywordDir(const QString &dir) { m_keywordDir = dir; }
    QString keywordFile(const QString &name) const;

    // Applies the settings to the widget and recolours the document.
    void updateSettings();
    // The view's own highlighter, made with the view and gone with it.
    SyntaxHighlighter *highlighter() const { return m_highlighter; }

    // Fills an empty document from template.html, or from the built-in page
    // when that cannot be read; the cursor goes to the first empty line.
    void insertTemplate();
    // '<', '>' and '&' to and from "&lt;", "&gt;" and "&amp;", in the
    // selection or, without one, in the whole document. Decoding is
    // single-level: "&amp;lt;" becomes "&lt;".
    void encodeLtGtAmp();
    void decodeLtGtAmp();
    // Follows the first href= of the cursor's line: asks for the file through
    // openFile() and jumps to its #anchor in the view that comes back.
    void tagJump();
    // Puts the cursor on the first `<a name="name` (quote optional) followed
    // by a word boundary; the name is matched literally. False if not found.
    bool jumpToAnchor(const QString &name);

    // Short text `index` (0-9) at the cursor, or, with a selection, the
    // selection wrapped in the two comma-separated halves of the selection
    // short text; one undo step.
    void insertShortText(int index);

    // Replaces the abbreviation before the cursor by its markup.
    void zenCoding();

    // Completion commands and their dispatcher.
    void dynamicCompletion();
    void closeTagCompletion();
    void completion(bool closeTagOnly);

    // Candidate lists.
    QStringList closeTagCandidates() const;
    QStringList tagCandidates() const;
    QStringList attributeCandidates(const QString &tag) const;
    QStringList cssCandidates() const;
    QStringList charRefCandidates() const;
    QStringList listItemCandidates() const;
    QStringList wordCandidates(const QString &prefix, int from, int &row) const;

    // Replaces the text from `from` to the cursor by `text`; the cursor goes
    // between the quotes of a trailing "" or between the tags of "x></x>".
    void insertCompletion(int from, const QString &text);
    // Whether the cursor stands inside a tag; `tagName` is its lower-cased
    // name, empty when the name is on an earlier line.
    bool tagAtCursor(QString &tagName) const;
    // Whether completion at `column` of the cursor's line offers style-sheet
    // properties: the line continues a style sheet and only white space
    // stands before the column.
    bool isStyleContext(int column) const;

    // The page inserted into an empty document when template.html is missing.
    static QString builtInTemplate();

signals:
    // Emitted from the destructor, while the view is still a whole EditView.
    void toClose(EditView *view);
    // Asks the main window to open or activate a file and hand back its view.
    void openFile(const QString &fileName, EditView **view);

public slots:
    void onContentsChanged();
    void onModificationChanged(bool changed);

private:
    QStringList readLines(const QString &name, bool *ok = nullptr) const;

    const QSet<QString> *scriptKeywords = nullptr;
    QString m_keywordDir;
    SyntaxHighlighter *m_highlighter = nullptr;
};
