#include "editor/globalsettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>

namespace {

struct ColorDef { const char *key; const char *defaultName; };

constexpr ColorDef colorDefs[GlobalSettings::ColorCount] = {
    {"col_text", "black"},
    {"col_background", "white"},
    {"col_selText", "white"},
    {"col_selBackground", "darkblue"},
    {"col_textCursor", "red"},
    {"col_tag", "darkred"},
    {"col_tagIdent", "blue"},
    {"col_dqString", "violet"},
    {"col_htmlSpecialChar", "blue"},
    {"col_scriptText", "black"},
    {"col_scriptKeyword", "blue"},
    {"col_escapedChar", "lightpink"},
    {"col_quoteChar", "lightpink"},
    {"col_regexp", "violet"},
    {"col_cssProp", "violet"},
    {"col_comment", "darkgreen"},
    {"col_EOF", "blue"},
    {"col_lineNumber", "black"},
    {"col_leftMargin", "antiquewhite"},
    {"col_cssSelector", "navy"},
    {"col_cssAtRule", "purple"},
    {"col_cssValue", "darkslateblue"},
    {"col_cssNumber", "darkorange"},
    {"col_cssImportant", "red"},
    {"col_phpVariable", "darkcyan"},
};

// Stored values come from a file anyone can edit: a value that is not a
// number, or one outside [minimum, maximum], gives the default instead.
int readInt(const QSettings &store, const QString &key, int defaultValue,
            int minimum, int maximum)
{
    bool ok = false;
    const int value = store.value(key, QString::number(defaultValue)).toString().trimmed().toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        return defaultValue;
    return value;
}

bool readBool(const QSettings &store, const QString &key)
{
    bool ok = false;
    const int value = store.value(key, QStringLiteral("0")).toString().trimmed().toInt(&ok);
    return ok && value != 0;
}

QStringList padded(QStringList list, const QStringList &defaults)
{
    if (list.isEmpty())
        return defaults;
    while (list.size() < GlobalSettings::ShortTextCount)
        list.append(QString());
    return list;
}

void addToHistory(QStringList &list, const QString &text)
{
    const qsizetype at = list.indexOf(text);
    if (at >= 0)
        list.removeAt(at);
    list.prepend(text);
    while (list.size() > GlobalSettings::HistoryLimit)
        list.removeLast();
}

} // namespace

QString GlobalSettings::colorKey(int index)
{
    return QString::fromLatin1(colorDefs[index].key);
}

QString GlobalSettings::defaultColorName(int index)
{
    return QString::fromLatin1(colorDefs[index].defaultName);
}

void GlobalSettings::load()
{
    const QSettings store;
    viEnabled = readBool(store, QStringLiteral("viEnabled"));
    tabWidth = readInt(store, QStringLiteral("tabWidth"), 2, 1, 256);
    lineNumber = readBool(store, QStringLiteral("lineNumber"));
    softTab = readBool(store, QStringLiteral("softTab"));
    regexp = readBool(store, QStringLiteral("regexp"));
    ignoreCase = quint8(readInt(store, QStringLiteral("ignoreCase"), IgnoreCase, IgnoreCase, CaseSensitive));
    wordSearch = readBool(store, QStringLiteral("wordSearch"));
    docRootPath = store.value(QStringLiteral("docRootPath"), QString()).toString();
    fontFamily = store.value(QStringLiteral("fontFamily"), QStringLiteral("Courier New")).toString();
    fontSize = readInt(store, QStringLiteral("fontSize"), 12, 1, 1000);
    findLoop = quint8(readInt(store, QStringLiteral("findLoop"), NoLoop, NoLoop, Loop));
    userKeywordFileName = store.value(QStringLiteral("userKeywordFileName"),
                                      QStringLiteral("keyword.txt")).toString();

    loadUserKeywords();

    for (int i = 0; i < ColorCount; ++i) {
        QColor c = QColor::fromString(store.value(colorKey(i), defaultColorName(i)).toString());
        colors[i] = c.isValid() ? c : QColor::fromString(defaultColorName(i));
    }

    findStrings = store.value(QStringLiteral("findStrings")).toStringList();
    replaceStrings = store.value(QStringLiteral("replaceStrings")).toStringList();

    shortText = padded(store.value(QStringLiteral("shortText")).toStringList(),
                       {QStringLiteral("<p>"), {}, {}, {}, {}, {}, {}, {}, {},
                        QStringLiteral("<br>")});
    shortTextSel = padded(store.value(QStringLiteral("shortTextSel")).toStringList(),
                          {QStringLiteral("<b>,</b>"), {}, {}, {}, {}, {}, {}, {},
                           QStringLiteral("<a href=\"\">,</a>"), QStringLiteral("<!--,-->")});
}

void GlobalSettings::save() const
{
    QSettings store;
    store.setValue(QStringLiteral("viEnabled"), int(viEnabled));
    store.setValue(QStringLiteral("tabWidth"), tabWidth);
    store.setValue(QStringLiteral("lineNumber"), int(lineNumber));
    store.setValue(QStringLiteral("softTab"), int(softTab));
    store.setValue(QStringLiteral("regexp"), int(regexp));
    store.setValue(QStringLiteral("ignoreCase"), int(ignoreCase));
    store.setValue(QStringLiteral("wordSearch"), int(wordSearch));
    store.setValue(QStringLiteral("docRootPath"), docRootPath);
    store.setValue(QStringLiteral("fontFamily"), fontFamily);
    store.setValue(QStringLiteral("fontSize"), fontSize);
    store.setValue(QStringLiteral("findLoop"), int(findLoop));
    store.setValue(QStringLiteral("userKeywordFileName"), userKeywordFileName);
    for (int i = 0; i < ColorCount; ++i)
        store.setValue(colorKey(i), colors[i].name());
    store.setValue(QStringLiteral("shortText"), shortText);
    store.setValue(QStringLiteral("shortTextSel"), shortTextSel);
}

void GlobalSettings::addFindString(const QString &text)
{
    addToHistory(findStrings, text);
    QSettings store;
    store.setValue(QStringLiteral("findStrings"), findStrings);
    store.setValue(QStringLiteral("regexp"), int(regexp));
    store.setValue(QStringLiteral("ignoreCase"), int(ignoreCase));
    store.setValue(QStringLiteral("wordSearch"), int(wordSearch));
}

void GlobalSettings::addReplaceString(const QString &text)
{
    addToHistory(replaceStrings, text);
    QSettings store;
    store.setValue(QStringLiteral("replaceStrings"), replaceStrings);
}

QString GlobalSettings::lastFindString() const
{
    return findStrings.isEmpty() ? QString() : findStrings.first();
}

void GlobalSettings::loadUserKeywords()
{
    userKeywords.clear();
    if (userKeywordFileName.isEmpty())
        return;
    QString path = userKeywordFileName;
    if (QDir::isRelativePath(path))
        path = QCoreApplication::applicationDirPath() + QLatin1Char('/') + path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (line.isEmpty())
            continue;
        const char first = line.at(0);
        const bool wordStart = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z')
                || first == '_';
        if (wordStart)
            userKeywords.insert(QString::fromUtf8(line).trimmed());
    }
}
