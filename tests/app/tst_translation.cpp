#include "app/mainwindow.h"
#include "app/recoverydlg.h"
#include "editor/datapaths.h"
#include "editor/findreplacedlg.h"
#include "editor/globalsettings.h"
#include "html/editview.h"
#include "panels/namedcolordlg.h"
#include "panels/settingsdlg.h"
#include "testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QCoreApplication>
#include <QFile>
#include <QKeySequence>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

const char *const TsPath = MOSSGLEN_SOURCE_DIR "/translations/mossglen_ja_JP.ts";

struct Message
{
    QString context;
    QString source;
    QString translation;  // the first numerus form for plural messages
    bool numerus = false;
    bool finished = true;
};

QList<Message> readTs(const QString &path, QString *error)
{
    QList<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return messages;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Message current;
    bool inMessage = false, inTranslation = false;
    while (!xml.atEnd()) {
        xml.readNext();
        const auto name = xml.name();
        if (xml.isStartElement()) {
            if (name == u"name" && !inMessage) {
                context = xml.readElementText();
            } else if (name == u"message") {
                current = Message{context, {}, {}, xml.attributes().value("numerus") == u"yes"};
                inMessage = true;
            } else if (name == u"source" && inMessage) {
                current.source = xml.readElementText();
            } else if (name == u"translation" && inMessage) {
                const auto type = xml.attributes().value("type");
                current.finished = type != u"unfinished" && type != u"vanished"
                                   && type != u"obsolete";
                if (current.numerus) {
                    inTranslation = true;
                } else {
                    current.translation = xml.readElementText();
                }
            } else if (name == u"numerusform" && inTranslation) {
                const QString form = xml.readElementText();
                if (current.translation.isEmpty())
                    current.translation = form;
            }
        } else if (xml.isEndElement()) {
            if (name == u"translation") {
                inTranslation = false;
            } else if (name == u"message") {
                messages.append(current);
                inMessage = false;
            }
        }
    }
    if (xml.hasError())
        *error = xml.errorString() + QStringLiteral(" at line %1").arg(xml.lineNumber());
    return messages;
}

// Shortcut texts of a designer form, in order of appearance.
QStringList formShortcuts(const QString &path)
{
    QStringList shortcuts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return shortcuts;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"property"
            && xml.attributes().value("name") == u"shortcut") {
            while (xml.readNextStartElement()) {
                if (xml.name() == u"string")
                    shortcuts.append(xml.readElementText());
                else
                    xml.skipCurrentElement();
            }
        }
    }
    return shortcuts;
}

QStringList matches(const QString &text, const QRegularExpression &re, int group = 0)
{
    QStringList found;
    for (const auto &m : re.globalMatch(text))
        found.append(m.captured(group));
    return found;
}

QStringList placeholders(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("%(?:[1-9]|n)"));
    QStringList found = matches(text, re);
    found.sort();
    return found;
}

// Opening and closing tag names in order; "< >" and "&lt;" are no tags.
QStringList tags(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("<(/?[A-Za-z][A-Za-z0-9]*)\\b[^>]*>"));
    return matches(text, re, 1);
}

bool hasJapanese(const QString &text)
{
    for (const QChar c : text) {
        const auto script = c.script();
        if (script == QChar::Script_Han || script == QChar::Script_Hiragana
            || script == QChar::Script_Katakana)
            return true;
    }
    return false;
}

// The text as drawn: "&x" shows as "x", "&&" as "&".
QString shownText(const QString &text)
{
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&' && i + 1 < text.size())
            ++i;
        shown += text.at(i);
    }
    return shown;
}

QString describe(const QWidget *w, const QString &text, int needed, int room)
{
    return QStringLiteral("%1 %2 \"%3\": needs %4 px, has %5")
        .arg(QLatin1String(w->metaObject()->className()), w->objectName(), text)
        .arg(needed).arg(room);
}

// Every visible text of `root` that is wider than the room its widget gives
// it, and every widget smaller than its own minimum size.
QStringList clippedTexts(QWidget *root)
{
    QStringList found;
    const auto check = [&](const QWidget *w, const QString &text, int extra, int room) {
        if (text.isEmpty())
            return;
        const int needed = w->fontMetrics().horizontalAdvance(shownText(text)) + extra;
        if (needed > room)
            found.append(describe(w, text, needed, room));
    };
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(root) || qobject_cast<QMenu *>(w))
            continue;
        const QStyle *style = w->style();
        // The form's own widgets, not the parts Qt builds inside its views.
        const bool formWidget = !w->objectName().startsWith(QLatin1String("qt_"))
            && (qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w)
                || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w)
                || qobject_cast<QLineEdit *>(w) || qobject_cast<QGroupBox *>(w));
        const QSize minimum = w->minimumSizeHint();
        if (formWidget && minimum.isValid()
            && (w->width() < minimum.width() || w->height() < minimum.height()))
            found.append(QStringLiteral("%1 %2: %3x%4, below its minimum %5x%6")
                             .arg(QLatin1String(w->metaObject()->className()), w->objectName())
                             .arg(w->width()).arg(w->height())
                             .arg(minimum.width()).arg(minimum.height()));
        if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->wordWrap() || Qt::mightBeRichText(label->text())) {
                if (label->heightForWidth(label->width()) > label->height())
                    found.append(describe(w, label->text(), label->heightForWidth(label->width()),
                                          label->height()));
            } else {
                check(w, label->text(), 0, label->contentsRect().width());
            }
        } else if (qobject_cast<QCheckBox *>(w)) {
            check(w, static_cast<QCheckBox *>(w)->text(),
                  style->pixelMetric(QStyle::PM_IndicatorWidth)
                      + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing), w->width());
        } else if (qobject_cast<QRadioButton *>(w)) {
            check(w, static_cast<QRadioButton *>(w)->text(),
                  style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth)
                      + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing), w->width());
        } else if (auto *button = qobject_cast<QPushButton *>(w)) {
            check(w, button->text(), 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth),
                  w->width());
        } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
            check(w, group->title(), 8, w->width());
        } else if (auto *tabs = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < tabs->count(); ++i) {
                const QRect tab = tabs->tabRect(i);
                check(w, tabs->tabText(i), 0, tab.width());
                // A dialog's tabs are all in view; only the documents scroll.
                if (tab.right() >= tabs->width() && !tabs->usesScrollButtons())
                    found.append(describe(w, tabs->tabText(i), tab.right() + 1, tabs->width()));
            }
        } else if (auto *combo = qobject_cast<QComboBox *>(w); combo && !combo->isEditable()) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.frame = combo->hasFrame();
            const QRect field = style->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxEditField, combo);
            for (int i = 0; i < combo->count(); ++i)
                check(w, combo->itemText(i), 0, field.width());
        }
    }
    return found;
}

QString rowName(const Message &m, int index)
{
    QString shortSource = m.source.left(40);
    shortSource.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringLiteral("%1 #%2 %3").arg(m.context).arg(index).arg(shortSource);
}

} // namespace

class TestTranslation : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QString error;
        messages = readTs(QString::fromUtf8(TsPath), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(messages.size() > 100);
        QVERIFY2(std::any_of(messages.cbegin(), messages.cend(),
                             [](const Message &m) { return m.source.contains(QStringLiteral(";;")); }),
                 "the Open dialog's filter list was not found");
        qmPath = QCoreApplication::applicationDirPath() + QStringLiteral("/mossglen_ja_JP.qm");
        QVERIFY2(translator.load(qmPath), qPrintable(qmPath));
    }

    void catalogueLiesWhereTheProgramLooks()
    {
        // The program composes the name from DataPaths and the locale name.
        const QString expected = DataPaths::translationsDir() + QStringLiteral("/mossglen_")
                                 + QLocale(QStringLiteral("ja_JP")).name() + QStringLiteral(".qm");
        QVERIFY2(QFile::exists(expected), qPrintable(expected));
        QTranslator other;
        QVERIFY(other.load(DataPaths::translationsDir() + QStringLiteral("/mossglen_ja_JP")));
        QCOMPARE(other.language(), QStringLiteral("ja_JP"));
    }
    void everyMessageTranslated_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("translation");
        QTest::addColumn<bool>("numerus");
        QTest::addColumn<bool>("finished");
        int index = 0;
        for (const Message &m : std::as_const(messages))
            QTest::newRow(qPrintable(rowName(m, index++)))
                << m.context << m.source << m.translation << m.numerus << m.finished;
    }
    // Every message is translated, in the compiled catalogue too, and keeps
    // what the program or Qt reads out of it.
    void everyMessageTranslated()
    {
        QFETCH(QString, context);
        QFETCH(QString, source);
        QFETCH(QString, translation);
        QFETCH(bool, numerus);
        QFETCH(bool, finished);
        QVERIFY(finished);
        QVERIFY(!translation.trimmed().isEmpty());
        // The compiled catalogue beside the program is the one in the sources.
        const QString compiled = translator.translate(context.toUtf8().constData(),
                                                      source.toUtf8().constData(), nullptr,
                                                      numerus ? 2 : -1);
        QCOMPARE(compiled, translation);
        QCOMPARE(placeholders(translation), placeholders(source));
        QCOMPARE(translation.count(QLatin1Char('\n')), source.count(QLatin1Char('\n')));
        QCOMPARE(tags(translation), tags(source));
        // "&&" shows one ampersand; each one in the source is still there.
        QCOMPARE(translation.count(QStringLiteral("&&")), source.count(QStringLiteral("&&")));
        // The access key stays the one users of the English menus know.
        QCOMPARE(QKeySequence::mnemonic(translation), QKeySequence::mnemonic(source));
        // A file dialog's filter list keeps every pattern in its place.
        static const QRegularExpression patterns(QStringLiteral("\\(([^()]*\\*[^()]*)\\)"));
        const QStringList sourceParts = source.split(QStringLiteral(";;"));
        const QStringList translatedParts = translation.split(QStringLiteral(";;"));
        QCOMPARE(translatedParts.size(), sourceParts.size());
        for (int i = 0; sourceParts.size() > 1 && i < sourceParts.size(); ++i) {
            QCOMPARE(matches(translatedParts[i], patterns, 1), matches(sourceParts[i], patterns, 1));
            QVERIFY2(!matches(sourceParts[i], patterns, 1).isEmpty(), qPrintable(sourceParts[i]));
        }
    }
    void shortcutsUnchanged_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("shortcut");
        const struct { const char *context; const char *form; } forms[] = {
            {"MainWindowClass", "/app/mainwindow.ui"},
            {"FindReplaceDlg", "/editor/findreplacedlg.ui"},
            {"SettingsDlg", "/panels/settingsdlg.ui"},
        };
        int total = 0;
        for (const auto &form : forms) {
            const QStringList shortcuts =
                formShortcuts(QStringLiteral(MOSSGLEN_SOURCE_DIR) + QLatin1String(form.form));
            for (const QString &s : shortcuts)
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(form.context, s)))
                    << QString::fromLatin1(form.context) << s;
            total += shortcuts.size();
        }
        QVERIFY(total >= 30);
    }
    void shortcutsUnchanged()
    {
        QFETCH(QString, context);
        QFETCH(QString, shortcut);
        const QString translated =
            translator.translate(context.toUtf8().constData(), shortcut.toUtf8().constData());
        // An absent entry (a text marked untranslatable) keeps the source anyway.
        if (!translated.isEmpty())
            QCOMPARE(translated, shortcut);
    }
    // Texts added to the sources since the catalogue was last updated would show
    // in English; lupdate run over the sources must find nothing the .ts lacks.
    void catalogueCoversTheSources()
    {
        const QString lupdate =
            QLibraryInfo::path(QLibraryInfo::BinariesPath) + QStringLiteral("/lupdate");
        if (!QFileInfo(lupdate).isExecutable())
            QSKIP("lupdate is not installed");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString fresh = dir.filePath(QStringLiteral("fresh.ts"));
        QProcess process;
        process.setWorkingDirectory(QStringLiteral(MOSSGLEN_SOURCE_DIR));
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(lupdate, {QStringLiteral("-no-obsolete"), QStringLiteral("-locations"),
                                QStringLiteral("none"), QStringLiteral("-silent"),
                                QStringLiteral("app"), QStringLiteral("editor"),
                                QStringLiteral("html"), QStringLiteral("highlight"),
                                QStringLiteral("panels"), QStringLiteral("-ts"), fresh});
        QVERIFY(process.waitForFinished(120000));
        QVERIFY2(process.exitCode() == 0, process.readAll().constData());

        QString error;
        const QList<Message> found = readTs(fresh, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(!found.isEmpty());
        QSet<QString> known;
        for (const Message &m : std::as_const(messages))
            known.insert(m.context + QLatin1Char('\x1f') + m.source);
        QStringList missing;
        for (const Message &m : found) {
            if (!known.contains(m.context + QLatin1Char('\x1f') + m.source))
                missing.append(m.context + QStringLiteral(": ") + m.source);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
    }

    void mainWindowMenusInJapanese()
    {
        ScopedSettingsStore store;
        QStringList englishTitles;
        {
            MainWindow english({});
            for (QAction *a : english.menuBar()->actions())
                englishTitles.append(a->text());
        }
        QCOMPARE(englishTitles.size(), 7);

        QVERIFY(QCoreApplication::installTranslator(&translator));
        auto uninstall = qScopeGuard([this] { QCoreApplication::removeTranslator(&translator); });
        MainWindow w({});
        const QList<QAction *> menus = w.menuBar()->actions();
        QCOMPARE(menus.size(), englishTitles.size());
        for (int i = 0; i < menus.size(); ++i) {
            const QString title = menus[i]->text();
            QVERIFY2(hasJapanese(title), qPrintable(title));
            QVERIFY2(!QKeySequence::mnemonic(title).isEmpty(), qPrintable(title));
            QCOMPARE(QKeySequence::mnemonic(title), QKeySequence::mnemonic(englishTitles[i]));
        }
        // Texts set in code follow the catalogue as well as the form's texts.
        QVERIFY2(hasJapanese(w.windowTitle()), qPrintable(w.windowTitle()));
        QVERIFY(w.windowTitle().contains(QLatin1String(MainWindow::Version)));
        QVERIFY(w.tabs()->tabText(0).endsWith(QLatin1String("1")));
        QVERIFY2(hasJapanese(w.tabs()->tabText(0)), qPrintable(w.tabs()->tabText(0)));
        // No two entries of one menu share an access key.
        QList<QWidget *> all{w.menuBar()};
        for (QMenu *m : w.findChildren<QMenu *>())
            all.append(m);
        int checked = 0;
        for (QWidget *menu : std::as_const(all)) {
            QHash<QKeySequence, QString> seen;
            for (QAction *a : menu->actions()) {
                const QKeySequence key = QKeySequence::mnemonic(a->text());
                if (!a->isVisible() || a->isSeparator() || key.isEmpty())
                    continue;
                ++checked;
                QVERIFY2(!seen.contains(key),
                         qPrintable(QStringLiteral("%1: \"%2\" and \"%3\"")
                                        .arg(menu->objectName(), seen.value(key), a->text())));
                seen.insert(key, a->text());
            }
        }
        QVERIFY(checked > 40);
    }
    void dialogsShowTheirTextsWhole_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<bool>("japanese");
        for (const char *dialog : {"find and replace", "settings", "named colours", "recovery",
                                   "main window"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, English").arg(QLatin1String(dialog))))
                << QString::fromLatin1(dialog) << false;
            QTest::newRow(qPrintable(QStringLiteral("%1, Japanese").arg(QLatin1String(dialog))))
                << QString::fromLatin1(dialog) << true;
        }
    }
    // Each dialog at its smallest, in both languages: no text may be cut off.
    void dialogsShowTheirTextsWhole()
    {
        QFETCH(QString, dialog);
        QFETCH(bool, japanese);
        ScopedSettingsStore store;
        if (japanese)
            QVERIFY(QCoreApplication::installTranslator(&translator));
        auto uninstall = qScopeGuard([this] { QCoreApplication::removeTranslator(&translator); });

        GlobalSettings settings;
        EditView view(&settings, nullptr);
        std::unique_ptr<QWidget> shown;
        if (dialog == "find and replace") {
            shown = std::make_unique<FindReplaceDlg>(&view, &settings);
        } else if (dialog == "settings") {
            shown = std::make_unique<SettingsDlg>(&settings);
        } else if (dialog == "named colours") {
            shown = std::make_unique<NamedColorDlg>();
        } else if (dialog == "recovery") {
            RecoveryJournal::Entry entry;
            entry.fullPath = QStringLiteral("/home/user/site/index.html");
            entry.title = QStringLiteral("index.html");
            entry.lastChange = QDateTime::currentDateTimeUtc();
            shown = std::make_unique<RecoveryDlg>(QList<RecoveryJournal::Entry>{entry});
        } else {
            shown = std::make_unique<MainWindow>(QStringList());
        }
        const QSize smallest = shown->minimumSizeHint();
        QVERIFY2(smallest.isValid(), "the window has no layout to size it");
        shown->resize(smallest);
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        QCoreApplication::processEvents();

        QStringList clipped = clippedTexts(shown.get());
        // Pages of tab and stacked widgets are laid out when they are shown.
        for (QTabWidget *tabs : shown->findChildren<QTabWidget *>()) {
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                QCoreApplication::processEvents();
                clipped += clippedTexts(tabs->currentWidget());
            }
        }
        for (QStackedWidget *stack : shown->findChildren<QStackedWidget *>()) {
            for (int i = 0; i < stack->count(); ++i) {
                stack->setCurrentIndex(i);
                QCoreApplication::processEvents();
                clipped += clippedTexts(stack->currentWidget());
            }
        }
        clipped.removeDuplicates();
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1Char('\n'))));
    }

private:
    QList<Message> messages;
    QTranslator translator;
    QString qmPath;
};

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
