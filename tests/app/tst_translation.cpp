#include "app/mainwindow.h"
#include "app/recoverydlg.h"
#include "editor/datapaths.h"
#include "editor/findreplacedlg.h"
#include "panels/namedcolordlg.h"
#include "panels/settingsdlg.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTabWidget>

namespace {

struct Message
{
    QString context, source;
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
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name(), type = xml.attributes().value("type");
        if (name == u"name") {
            context = xml.readElementText();
        } else if (name == u"message") {
            messages.append(Message{context, {}, {}, xml.attributes().value("numerus") == u"yes"});
        } else if (name == u"source") {
            messages.last().source = xml.readElementText();
        } else if (name == u"translation") {
            messages.last().finished = type != u"unfinished" && type != u"vanished" && type != u"obsolete";
            if (!messages.last().numerus)
                messages.last().translation = xml.readElementText();
        } else if (name == u"numerusform" && messages.last().translation.isEmpty()) {
            messages.last().translation = xml.readElementText();
        }
    }
    if (xml.hasError())
        *error = xml.errorString() + QStringLiteral(" at line %1").arg(xml.lineNumber());
    return messages;
}

// "Ctrl+O", "Shift+F3": a chord that QKeySequence reads back as itself.
bool isShortcut(const QString &text)
{
    const QKeySequence key = QKeySequence::fromString(text, QKeySequence::PortableText);
    return text.contains(u'+') && !key.isEmpty() && key[0].key() != Qt::Key_unknown && key.toString(QKeySequence::PortableText) == text;
}

QStringList matches(const QString &text, const QString &pattern, int group = 0)
{
    QStringList found;
    for (const auto &m : QRegularExpression(pattern).globalMatch(text))
        found.append(m.captured(group));
    return found;
}

bool hasJapanese(const QString &text)
{
    static const QRegularExpression japanese(QStringLiteral("[\\p{Han}\\p{Hiragana}\\p{Katakana}]"));
    return japanese.match(text).hasMatch();
}

// Every visible text of `root` that is wider than the room its widget gives
// it, and every widget smaller than its own minimum size.
QStringList clippedTexts(QWidget *root)
{
    QStringList found;
    const auto report = [&](const QWidget *w, const QString &text, int needed, int room) {
        found.append(QStringLiteral("%1 %2 \"%3\": needs %4 px, has %5")
                         .arg(QLatin1String(w->metaObject()->className()), w->objectName(), text)
                         .arg(needed).arg(room));
    };
    const auto check = [&](const QWidget *w, QString text, int extra, int room) {
        // As drawn: "&x" shows as "x", "&&" as "&".
        static const QRegularExpression mnemonic(QStringLiteral("&(.)"));
        const int needed = w->fontMetrics().horizontalAdvance(text.replace(mnemonic, QStringLiteral("\\1"))) + extra;
        if (!text.isEmpty() && needed > room)
            report(w, text, needed, room);
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
        if (formWidget && minimum.isValid() && (w->width() < minimum.width() || w->height() < minimum.height()))
            found.append(QStringLiteral("%1 %2: %3x%4, below its minimum %5x%6")
                             .arg(QLatin1String(w->metaObject()->className()), w->objectName())
                             .arg(w->width()).arg(w->height()).arg(minimum.width()).arg(minimum.height()));
        if (auto *label = qobject_cast<QLabel *>(w)) {
            const int height = label->heightForWidth(label->width());
            if (!label->wordWrap() && !Qt::mightBeRichText(label->text()))
                check(w, label->text(), 0, label->contentsRect().width());
            else if (height > label->height())
                report(w, label->text(), height, label->height());
        } else if (auto *box = qobject_cast<QCheckBox *>(w)) {
            check(w, box->text(), style->pixelMetric(QStyle::PM_IndicatorWidth)
                      + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing), w->width());
        } else if (auto *radio = qobject_cast<QRadioButton *>(w)) {
            check(w, radio->text(), style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth)
                      + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing), w->width());
        } else if (auto *button = qobject_cast<QPushButton *>(w)) {
            check(w, button->text(), 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth), w->width());
        } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
            check(w, group->title(), 8, w->width());
        } else if (auto *tabs = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < tabs->count(); ++i) {
                check(w, tabs->tabText(i), 0, tabs->tabRect(i).width());
                // A dialog's tabs are all in view; only the documents scroll.
                if (tabs->tabRect(i).right() >= tabs->width() && !tabs->usesScrollButtons())
                    report(w, tabs->tabText(i), tabs->tabRect(i).right() + 1, tabs->width());
            }
        } else if (auto *combo = qobject_cast<QComboBox *>(w); combo && !combo->isEditable()) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.frame = combo->hasFrame();
            const QRect field = style->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
            for (int i = 0; i < combo->count(); ++i)
                check(w, combo->itemText(i), 0, field.width());
        }
    }
    return found;
}

} // namespace

class TestTranslation : public FixtureTest
{
    Q_OBJECT
private slots:
    // The catalogue is loaded from where and under the name the program composes.
    void initTestCase()
    {
        QString error;
        messages = readTs(QStringLiteral(MOSSGLEN_SOURCE_DIR "/translations/mossglen_ja_JP.ts"), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(messages.size() > 100);
        QVERIFY(std::count_if(messages.cbegin(), messages.cend(), [](const Message &m) { return isShortcut(m.source); }) > 20);
        QVERIFY2(std::any_of(messages.cbegin(), messages.cend(), [](const Message &m) { return m.source.contains(";;"); }),
                 "the Open dialog's filter list was not found");
        const QString expected = DataPaths::translationsDir() + "/mossglen_" + QLocale("ja_JP").name() + ".qm";
        QVERIFY2(QFile::exists(expected), qPrintable(expected));
        QVERIFY(translator.load(DataPaths::translationsDir() + "/mossglen_ja_JP"));
        QCOMPARE(translator.language(), QStringLiteral("ja_JP"));
    }
    void everyMessageTranslated_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < messages.size(); ++i)
            QTest::newRow(qPrintable(QStringLiteral("%1 #%2 %3").arg(messages[i].context).arg(i)
                                         .arg(messages[i].source.left(40).replace('\n', ' ')))) << i;
    }
    // Every message is translated, in the compiled catalogue too, and keeps
    // what the program or Qt reads out of it.
    void everyMessageTranslated()
    {
        QFETCH(int, index);
        const Message &m = messages.at(index);
        const QString &source = m.source, &translation = m.translation;
        QVERIFY(m.finished);
        QVERIFY(!translation.trimmed().isEmpty());
        QCOMPARE(translator.translate(qPrintable(m.context), source.toUtf8().constData(), nullptr, m.numerus ? 2 : -1),
                 translation);
        const auto same = [&](const QString &pattern, int group = 0) {
            QStringList a = matches(translation, pattern, group), b = matches(source, pattern, group);
            QCOMPARE(a.size(), b.size());
            if (group == 0) {
                a.sort();
                b.sort();
            }
            QCOMPARE(a, b);
        };
        same(QStringLiteral("%(?:[1-9]|n)"));
        same(QStringLiteral("\n"));
        // Opening and closing tag names in order; "< >" and "&lt;" are no tags.
        same(QStringLiteral("<(/?[A-Za-z][A-Za-z0-9]*)\\b[^>]*>"), 1);
        // "&&" shows one ampersand; each one in the source is still there.
        same(QStringLiteral("&&"));
        // Shortcuts are what the keyboard has, whatever the language.
        if (isShortcut(source))
            QCOMPARE(translation, source);
        // The access key stays the one users of the English menus know.
        QCOMPARE(QKeySequence::mnemonic(translation), QKeySequence::mnemonic(source));
        // A file dialog's filter list keeps every pattern in its place.
        const QString patterns = QStringLiteral("\\(([^()]*\\*[^()]*)\\)");
        const QStringList sourceParts = source.split(";;"), translatedParts = translation.split(";;");
        QCOMPARE(translatedParts.size(), sourceParts.size());
        for (int i = 0; sourceParts.size() > 1 && i < sourceParts.size(); ++i) {
            QCOMPARE(matches(translatedParts[i], patterns, 1), matches(sourceParts[i], patterns, 1));
            QVERIFY2(!matches(sourceParts[i], patterns, 1).isEmpty(), qPrintable(sourceParts[i]));
        }
    }
    // Texts added to the sources since the catalogue was last updated would show
    // in English; lupdate run over the sources must find nothing the .ts lacks.
    void catalogueCoversTheSources()
    {
        const QString lupdate = QLibraryInfo::path(QLibraryInfo::BinariesPath) + QStringLiteral("/lupdate");
        if (!QFileInfo(lupdate).isExecutable())
            QSKIP("lupdate is not installed");
        const QString fresh = dir->filePath(QStringLiteral("fresh.ts"));
        QProcess process;
        process.setWorkingDirectory(QStringLiteral(MOSSGLEN_SOURCE_DIR));
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(lupdate, {"-no-obsolete", "-locations", "none", "-silent", "app", "editor", "html",
                                "highlight", "panels", "-ts", fresh});
        QVERIFY(process.waitForFinished(120000));
        QVERIFY2(process.exitCode() == 0, process.readAll().constData());
        QString error;
        const QList<Message> found = readTs(fresh, &error);
        QVERIFY2(error.isEmpty() && !found.isEmpty(), qPrintable(error));
        QSet<QString> known;
        for (const Message &m : std::as_const(messages))
            known.insert(m.context + u'\x1f' + m.source);
        QStringList missing;
        for (const Message &m : found)
            if (!known.contains(m.context + u'\x1f' + m.source))
                missing.append(m.context + QStringLiteral(": ") + m.source);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u'\n')));
    }
    void mainWindowMenusInJapanese()
    {
        QVERIFY(QCoreApplication::installTranslator(&translator));
        auto uninstall = qScopeGuard([this] { QCoreApplication::removeTranslator(&translator); });
        MainWindow w({});
        const QList<QAction *> menus = w.menuBar()->actions();
        QCOMPARE(menus.size(), 7);
        for (QAction *menu : menus)
            QVERIFY2(hasJapanese(menu->text()) && !QKeySequence::mnemonic(menu->text()).isEmpty(), qPrintable(menu->text()));
        // Texts set in code follow the catalogue as well as the form's texts.
        QVERIFY2(hasJapanese(w.windowTitle()) && w.windowTitle().contains(MainWindow::Version), qPrintable(w.windowTitle()));
        QVERIFY2(hasJapanese(w.tabs()->tabText(0)) && w.tabs()->tabText(0).endsWith('1'), qPrintable(w.tabs()->tabText(0)));
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
                QVERIFY2(!seen.contains(key), qPrintable(QStringLiteral("%1: \"%2\" and \"%3\"")
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
        for (const char *dialog : {"find and replace", "settings", "named colours", "recovery", "main window"})
            for (bool japanese : {false, true})
                QTest::addRow("%s, %s", dialog, japanese ? "Japanese" : "English") << QString(dialog) << japanese;
    }
    // Each dialog at its smallest, in both languages: no text may be cut off.
    void dialogsShowTheirTextsWhole()
    {
        QFETCH(QString, dialog);
        QFETCH(bool, japanese);
        if (japanese)
            QVERIFY(QCoreApplication::installTranslator(&translator));
        auto uninstall = qScopeGuard([this] { QCoreApplication::removeTranslator(&translator); });
        const auto view = makeView();
        std::unique_ptr<QWidget> shown;
        if (dialog == "find and replace") {
            shown = std::make_unique<FindReplaceDlg>(view.get(), settings.get());
        } else if (dialog == "settings") {
            shown = std::make_unique<SettingsDlg>(settings.get());
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
        QVERIFY2(shown->minimumSizeHint().isValid(), "the window has no layout to size it");
        shown->resize(shown->minimumSizeHint());
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        QCoreApplication::processEvents();
        QStringList clipped = clippedTexts(shown.get());
        // Pages of tab and stacked widgets are laid out when they are shown.
        const auto eachPage = [&](auto *pages) {
            for (int i = 0; i < pages->count(); ++i) {
                pages->setCurrentIndex(i);
                QCoreApplication::processEvents();
                clipped += clippedTexts(pages->currentWidget());
            }
        };
        for (QTabWidget *tabs : shown->findChildren<QTabWidget *>())
            eachPage(tabs);
        for (QStackedWidget *stack : shown->findChildren<QStackedWidget *>())
            eachPage(stack);
        clipped.removeDuplicates();
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u'\n')));
    }

private:
    QList<Message> messages;
    QTranslator translator;
};

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
