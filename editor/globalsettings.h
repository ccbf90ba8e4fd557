#pragma once

#include <QColor>
#include <QSet>
#include <QString>
#include <QStringList>
#include <array>

// Search case handling, stored as its integer in GlobalSettings::ignoreCase.
enum CaseMode : quint8 {
    IgnoreCase = 0,
    IgnoreCaseIfLower = 1,  // ignore case only when the search text has no capital
    CaseSensitive = 2,
};

// What a search does at the end of the document (GlobalSettings::findLoop).
enum LoopMode : quint8 {
    NoLoop = 0,
    ConfirmLoop = 1,
    Loop = 2,
};

// The one record of user preferences and search state. It is a value: the
// main window owns one and hands pointers to views and dialogs. Every store
// access goes through a default-constructed QSettings, so the organization and
// application names select the store.
class GlobalSettings
{
public:
    enum ColorIndex {
        ColText, ColBackground, ColSelText, ColSelBackground, ColTextCursor,
        ColTag, ColTagIdent, ColDqString, ColHtmlSpecialChar, ColScriptText,
        ColScriptKeyword, ColEscapedChar, ColQuoteChar, ColRegexp, ColCssProp,
        ColComment, ColEOF, ColLineNumber, ColLeftMargin,
        // Style-sheet parts and PHP variables, after the original nineteen.
        ColCssSelector, ColCssAtRule, ColCssValue, ColCssNumber, ColCssImportant,
        ColPhpVariable,
        ColorCount
    };
    static constexpr int HistoryLimit = 20;
    static constexpr int ShortTextCount = 10;

    // Store key ("col_text", ...) and default colour name of colour `index`.
    static QString colorKey(int index);
    static QString defaultColorName(int index);

    void load();
    void save() const;

    void addFindString(const QString &text);
    void addReplaceString(const QString &text);
    QString lastFindString() const;
    void loadUserKeywords();

    QColor color(ColorIndex index) const { return colors[index]; }

    bool operator==(const GlobalSettings &) const = default;

    bool viEnabled = false;
    bool lineNumber = false;
    bool softTab = false;
    bool regexp = false;
    bool wordSearch = false;
    quint8 ignoreCase = IgnoreCase;
    quint8 findLoop = NoLoop;
    QString docRootPath;
    int tabWidth = 2;
    QString fontFamily;
    int fontSize = 12;
    QString userKeywordFileName;
    std::array<QColor, ColorCount> colors;
    QStringList findStrings;
    QStringList replaceStrings;
    QSet<QString> userKeywords;
    QStringList shortText;
    QStringList shortTextSel;
};
