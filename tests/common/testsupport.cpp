#include "testsupport.h"

#include <QDialog>

ScopedSettingsStore::ScopedSettingsStore()
    : m_previousOrganization(QCoreApplication::organizationName())
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(
        QStringLiteral("Velmora-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces));
    QCoreApplication::setApplicationName(QStringLiteral("Mossglen"));
    QSettings().clear();
}

ScopedSettingsStore::~ScopedSettingsStore()
{
    const QString file = QSettings().fileName();
    QSettings().clear();
    QFile::remove(file);
    QDir().rmdir(QFileInfo(file).absolutePath());
    QCoreApplication::setOrganizationName(m_previousOrganization);
}

ScriptedPrompt::ScriptedPrompt()
{
    UserPrompt::setInstance(this);
}

ScriptedPrompt::~ScriptedPrompt()
{
    UserPrompt::setInstance(nullptr);
}

QMessageBox::StandardButton ScriptedPrompt::message(QMessageBox::Icon icon, QWidget *,
                                                    const QString &title, const QString &text,
                                                    QMessageBox::StandardButtons buttons,
                                                    const ButtonLabels &)
{
    asked.append({icon, title, text, {}});
    if (answers.isEmpty()) {
        unexpected = true;
        qWarning("unscripted question: %s / %s", qPrintable(title), qPrintable(text));
        return QMessageBox::Cancel;
    }
    const QMessageBox::StandardButton answer = answers.takeFirst();
    // A person can only press a button that is there.
    if (!buttons.testFlag(answer)) {
        unexpected = true;
        qWarning("answer %x not offered: %s", unsigned(answer), qPrintable(text));
    }
    return answer;
}

QStringList ScriptedPrompt::openFileNames(QWidget *, const QString &caption, const QString &,
                                          const QString &filter)
{
    asked.append({QMessageBox::NoIcon, caption, {}, filter});
    return {};
}

QString ScriptedPrompt::saveFileName(QWidget *, const QString &caption, const QString &,
                                     const QString &filter)
{
    asked.append({QMessageBox::NoIcon, caption, {}, filter});
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

int ScriptedPrompt::runDialog(QDialog *dialog)
{
    if (!dialogHandler) {
        unexpected = true;
        qWarning("unscripted dialog: %s", dialog->metaObject()->className());
        return QDialog::Rejected;
    }
    return dialogHandler(dialog);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void setCursorMarked(QPlainTextEdit &edit, const QString &marked)
{
    QString text = marked;
    const qsizetype anchorAt = text.indexOf(u'^');
    if (anchorAt >= 0)
        text.remove(anchorAt, 1);
    const qsizetype cursorAt = text.indexOf(u'|');
    text.remove(cursorAt, 1);
    edit.setPlainText(text);
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(int(anchorAt < 0 ? cursorAt : anchorAt > cursorAt ? anchorAt - 1 : anchorAt));
    cursor.setPosition(int(cursorAt), QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
}

QString cursorMarked(const QPlainTextEdit &edit)
{
    const QTextCursor cursor = edit.textCursor();
    QString text = edit.toPlainText();
    text.insert(cursor.position(), u'|');
    if (cursor.hasSelection())
        text.insert(cursor.anchor() + (cursor.anchor() > cursor.position() ? 1 : 0), u'^');
    return text;
}

// main window tests

#include "app/mainwindow.h"
#include "editor/commandstatistics.h"

#include <QTabWidget>

QString countedNames()
{
    saveCommandStatistics();
    QStringList counted;
    for (const QString &entry : QSettings().value("cmdStatistics").toStringList())
        for (int i = entry.section(u':', 1).toInt(); i > 0; --i)
            counted.append(entry.section(u':', 0, 0));
    counted.sort();
    return counted.join(u' ');
}

void FixtureTest::init()
{
    store = std::make_unique<ScopedSettingsStore>();
    prompt = std::make_unique<ScriptedPrompt>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    settings = std::make_unique<GlobalSettings>();
    engine = std::make_unique<ViEngine>();
    clearCommandStatistics();
}

void FixtureTest::cleanup()
{
    const bool unexpected = prompt->unexpected;
    QDir(recoveryDir()).removeRecursively();
    engine.reset();
    settings.reset();
    prompt.reset();
    store.reset();
    dir.reset();
    QVERIFY2(!unexpected, "a question was asked that the test did not expect");
}

QString FixtureTest::file(const QString &name, const QByteArray &bytes)
{
    const QString path = dir->filePath(name);
    if (!writeFile(path, bytes))
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

std::unique_ptr<EditView> FixtureTest::makeView(const QString &text)
{
    auto view = std::make_unique<EditView>(settings.get(), engine.get());
    view->setPlainText(text);
    view->document()->setModified(false);
    return view;
}

QStringList FixtureTest::tabTitles(const MainWindow &w)
{
    QStringList titles;
    for (int i = 0; i < w.tabs()->count(); ++i)
        titles << w.tabs()->tabText(i);
    return titles;
}

QString FixtureTest::recoveryDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
        + QStringLiteral("/recovery");
}

// highlight and html tests

void compareWithReference(const QString &referencePath, const QString &actual)
{
    if (qEnvironmentVariableIsSet("MOSSGLEN_REGENERATE_REFERENCES")) {
        QVERIFY(writeFile(referencePath, actual.toUtf8()));
        return;
    }
    QVERIFY2(QFileInfo::exists(referencePath), qPrintable(referencePath + QLatin1String(" is missing")));
    const QStringList expected = QString::fromUtf8(readFile(referencePath)).split(u'\n');
    const QStringList lines = actual.split(u'\n');
    for (qsizetype i = 0; i < std::min(expected.size(), lines.size()); ++i) {
        if (expected.at(i) != lines.at(i))
            QFAIL(qPrintable(QStringLiteral("%1 line %2: expected\n  %3\nbut got\n  %4")
                                 .arg(referencePath).arg(i + 1).arg(expected.at(i), lines.at(i))));
    }
    QCOMPARE(lines.size(), expected.size());
}

// editor tests

QByteArray encodingFixture(const QString &name)
{
    const QByteArray bytes = readFile(QStringLiteral(MOSSGLEN_TEST_DATA "/encoding/") + name);
    if (bytes.isEmpty())
        qFatal("missing test file %s", qPrintable(name));
    return bytes;
}

QByteArray tableBytes(const QString &field)
{
    const bool utf8 = field.startsWith(QLatin1String("u8:"));
    QByteArray out;
    qsizetype at = utf8 ? 3 : 0;
    while (at <= field.size()) {
        const qsizetype open = field.indexOf(QLatin1String("{{"), at);
        const QString text = field.mid(at, open < 0 ? -1 : open - at);
        out += utf8 ? text.toUtf8() : text.toLatin1();
        if (open < 0)
            break;
        const qsizetype close = field.indexOf(QLatin1String("}}"), open);
        out += encodingFixture(field.mid(open + 2, close - open - 2));
        at = close + 2;
    }
    return out;
}

CharEncoding tableEncoding(const QString &name)
{
    for (int e = ShiftJIS; e <= UTF16BE; ++e)
        if (name == QLatin1String(encodingName(e)))
            return CharEncoding(e);
    if (name != QLatin1String("none"))
        qFatal("no encoding named %s", qPrintable(name));
    return NoEncoding;
}

// Table files as data functions, for the tests that read all their rows so.

void addTableRows(const QString &relativePath, const char *column)
{
    QTest::addColumn<QStringList>(column);
    for (const TestRow &r : readTestTable(relativePath))
        QTest::newRow(qPrintable(r.name)) << r.fields;
}

QList<QMessageBox::StandardButton> standardButtons(const QString &names)
{
    QList<QMessageBox::StandardButton> list;
    for (const QString &name : names.split(u' ', Qt::SkipEmptyParts))
        list << QMessageBox::StandardButton(QMetaEnum::fromType<QMessageBox::StandardButtons>().keyToValue(qPrintable(name)));
    return list;
}
