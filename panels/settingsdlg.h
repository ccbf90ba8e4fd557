#pragma once

#include "editor/globalsettings.h"

#include <QColor>
#include <QDialog>
#include <QMap>
#include <QString>
#include <array>

class QAbstractButton;
class QLineEdit;
class QToolButton;

namespace Ui { class SettingsDlg; }

// Edits the colours, font, line-number switch, short texts and document root
// of the one settings record. Colour picks go into the record at once; every
// other value waits in the form until the main window reads it back.
class SettingsDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int SwatchSize = 48;

    explicit SettingsDlg(GlobalSettings *settings, QWidget *parent = nullptr);
    ~SettingsDlg() override;

    bool lineNumber() const;
    QString fontFamily() const;
    int fontPointSize() const;
    int tabWidth() const;
    QString rootPath() const;
    // Short text i (0 to 9); any other index gives an empty string.
    QString shortText(int i) const;
    QString shortTextSel(int i) const;

    // The button showing colour `index`, or null (col_cssProp has none).
    QToolButton *colorButton(int index) const { return colorButtons.value(index); }

signals:
    void apply(SettingsDlg *dlg);

public slots:
    void selectColor();
    void namedColor();

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_clicked(QAbstractButton *button);
    void on_rootPathRefPB_clicked();

protected:
    // The modal runs of the colour pickers and the directory chooser; tests
    // answer them instead of a person.
    virtual int runDialog(QDialog &dialog);
    virtual QString existingDirectory(const QString &caption);

private:
    void setupColorButton(int index, QToolButton *button);
    void rememberAppliedColors();
    void showColor(int index, const QColor &color);
    void setColor(int index, const QColor &color);
    int senderColorIndex() const;

    Ui::SettingsDlg *ui;
    GlobalSettings *settings;
    std::array<QColor, GlobalSettings::ColorCount> appliedColors{};
    QMap<int, QToolButton *> colorButtons;
    std::array<QLineEdit *, 10> shortTextEdits{};
    std::array<QLineEdit *, 10> shortTextSelEdits{};
};
