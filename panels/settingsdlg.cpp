#include "panels/settingsdlg.h"
#include "ui_settingsdlg.h"

#include "editor/globalsettings.h"
#include "panels/namedcolordlg.h"

#include <QAction>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMenu>
#include <QPixmap>

SettingsDlg::SettingsDlg(GlobalSettings *settings, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::SettingsDlg)
    , settings(settings)
{
    ui->setupUi(this);
    ui->tabWidget->setCurrentIndex(0);

    shortTextEdits = {ui->shortText1, ui->shortText2, ui->shortText3, ui->shortText4,
                      ui->shortText5, ui->shortText6, ui->shortText7, ui->shortText8,
                      ui->shortText9, ui->shortText10};
    shortTextSelEdits = {ui->shortTextSel1, ui->shortTextSel2, ui->shortTextSel3,
                         ui->shortTextSel4, ui->shortTextSel5, ui->shortTextSel6,
                         ui->shortTextSel7, ui->shortTextSel8, ui->shortTextSel9,
                         ui->shortTextSel10};

    ui->rootPath->setText(settings->docRootPath);
    ui->fontFamily->addItems(QFontDatabase::families());
    const int family = ui->fontFamily->findText(settings->fontFamily,
                                                Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (family >= 0) {
        ui->fontFamily->setCurrentIndex(family);
    } else {
        // A family that is not installed (the default "Courier New" on most
        // systems) would otherwise show as the first, often proportional,
        // family and be taken by Apply: offer the system's fixed-pitch font.
        const QString fixed = QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
        const int fallback = ui->fontFamily->findText(fixed, Qt::MatchExactly);
        if (fallback >= 0)
            ui->fontFamily->setCurrentIndex(fallback);
    }
    ui->fontPointSize->setValue(settings->fontSize);
    ui->tabWidth->setValue(settings->tabWidth);
    ui->lineNumber->setChecked(settings->lineNumber);
    // A hand-edited store may hold shorter lists; missing entries show empty.
    for (int i = 0; i < int(shortTextEdits.size()); ++i) {
        shortTextEdits[i]->setText(settings->shortText.value(i));
        shortTextSelEdits[i]->setText(settings->shortTextSel.value(i));
    }

    using G = GlobalSettings;
    const std::pair<int, QToolButton *> buttons[] = {
        {G::ColText, ui->textCol},
        {G::ColBackground, ui->backgroundCol},
        {G::ColSelText, ui->selTextCol},
        {G::ColSelBackground, ui->selBackgroundCol},
        {G::ColTextCursor, ui->textCursorCol},
        {G::ColTag, ui->tagCol},
        {G::ColTagIdent, ui->tagIdentCol},
        {G::ColDqString, ui->dqStringCol},
        {G::ColHtmlSpecialChar, ui->htmlSpecialCharCol},
        {G::ColScriptText, ui->scriptTextCol},
        {G::ColScriptKeyword, ui->scriptKeywordCol},
        {G::ColEscapedChar, ui->escapedCharCol},
        {G::ColQuoteChar, ui->quoteCharCol},
        {G::ColRegexp, ui->regexpCol},
        {G::ColComment, ui->commentCol},
        {G::ColEOF, ui->EofCol},
        {G::ColLineNumber, ui->lineNumberCol},
        {G::ColLeftMargin, ui->lineNumberBGCol},
        {G::ColCssSelector, ui->cssSelectorCol},
        {G::ColCssAtRule, ui->cssAtRuleCol},
        {G::ColCssValue, ui->cssValueCol},
        {G::ColCssNumber, ui->cssNumberCol},
        {G::ColCssImportant, ui->cssImportantCol},
        {G::ColPhpVariable, ui->phpVariableCol},
    };
    for (const auto &[index, button] : buttons)
        setupColorButton(index, button);
    rememberAppliedColors();
}

SettingsDlg::~SettingsDlg()
{
    delete ui;
}

void SettingsDlg::setupColorButton(int index, QToolButton *button)
{
    colorButtons.insert(index, button);
    button->setPopupMode(QToolButton::MenuButtonPopup);

    auto *pick = new QAction(button->icon(), button->text(), button);
    pick->setData(index);
    connect(pick, &QAction::triggered, this, &SettingsDlg::selectColor);
    button->setDefaultAction(pick);

    auto *menu = new QMenu(button);
    QAction *select = menu->addAction(tr("&Choose Color..."), this, &SettingsDlg::selectColor);
    select->setData(index);
    QAction *named = menu->addAction(tr("&Named Color..."), this, &SettingsDlg::namedColor);
    named->setData(index);
    button->setMenu(menu);

    showColor(index, settings->colors[index]);
}

void SettingsDlg::showColor(int index, const QColor &color)
{
    QToolButton *button = colorButtons.value(index);
    if (!button)
        return;
    QPixmap swatch(SwatchSize, SwatchSize);
    swatch.fill(color);
    const QIcon icon(swatch);
    // The default action would hand its old icon back to the button on its
    // next change, so both carry the swatch.
    if (QAction *pick = button->defaultAction())
        pick->setIcon(icon);
    button->setIcon(icon);
}

void SettingsDlg::setColor(int index, const QColor &color)
{
    if (index < 0 || index >= GlobalSettings::ColorCount)
        return;
    showColor(index, color);
    settings->colors[index] = color;
}

int SettingsDlg::senderColorIndex() const
{
    const auto *action = qobject_cast<const QAction *>(sender());
    if (!action)
        return -1;
    bool ok = false;
    const int index = action->data().toInt(&ok);
    return ok ? index : -1;
}

void SettingsDlg::selectColor()
{
    const int index = senderColorIndex();
    if (index < 0 || index >= GlobalSettings::ColorCount)
        return;
    QColorDialog dialog(settings->colors[index], this);
    if (runDialog(dialog) == QDialog::Accepted)
        setColor(index, dialog.selectedColor());
}

void SettingsDlg::namedColor()
{
    const int index = senderColorIndex();
    if (index < 0 || index >= GlobalSettings::ColorCount)
        return;
    NamedColorDlg dialog(this);
    if (runDialog(dialog) == QDialog::Accepted) {
        QColor color;
        color.setNamedColor(dialog.colorName());
        setColor(index, color);
    }
}

int SettingsDlg::runDialog(QDialog &dialog)
{
    return dialog.exec();
}

QString SettingsDlg::existingDirectory(const QString &caption)
{
    return QFileDialog::getExistingDirectory(this, caption, QString(),
                                             QFileDialog::ShowDirsOnly);
}

void SettingsDlg::on_buttonBox_accepted()
{
    QDialog::accept();
}

void SettingsDlg::on_buttonBox_clicked(QAbstractButton *button)
{
    if (!button)
        return;
    if (button == ui->buttonBox->button(QDialogButtonBox::Apply)) {
        rememberAppliedColors();
        emit apply(this);
    } else if (button == ui->buttonBox->button(QDialogButtonBox::Cancel)) {
        // Cancel takes back the colours picked since the last Apply; closing
        // the window keeps them, as picks go into the record at once.
        for (int i = 0; i < GlobalSettings::ColorCount; ++i)
            settings->colors[i] = appliedColors[i];
    }
}

void SettingsDlg::rememberAppliedColors()
{
    for (int i = 0; i < GlobalSettings::ColorCount; ++i)
        appliedColors[i] = settings->colors[i];
}


void SettingsDlg::on_rootPathRefPB_clicked()
{
    const QString dir = existingDirectory(tr("Choose the Document Root"));
    if (!dir.isEmpty())
        ui->rootPath->setText(dir);
}

bool SettingsDlg::lineNumber() const
{
    return ui->lineNumber->isChecked();
}

QString SettingsDlg::fontFamily() const
{
    return ui->fontFamily->currentText();
}

int SettingsDlg::fontPointSize() const
{
    return ui->fontPointSize->value();
}

int SettingsDlg::tabWidth() const
{
    return ui->tabWidth->value();
}

QString SettingsDlg::rootPath() const
{
    return ui->rootPath->text();
}

QString SettingsDlg::shortText(int i) const
{
    return i >= 0 && i < int(shortTextEdits.size()) ? shortTextEdits[i]->text() : QString();
}

QString SettingsDlg::shortTextSel(int i) const
{
    return i >= 0 && i < int(shortTextSelEdits.size()) ? shortTextSelEdits[i]->text() : QString();
}
