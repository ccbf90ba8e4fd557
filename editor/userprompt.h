#pragma once

#include <QList>
#include <QMessageBox>
#include <QPair>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

// Every modal question and file dialog of the program goes through here, so
// that tests can answer them instead of a person (setInstance with a scripted
// subclass). The default instance shows the real Qt dialogs.
class UserPrompt
{
public:
    // Texts for standard buttons that answer something else than their name.
    using ButtonLabels = QList<QPair<QMessageBox::StandardButton, QString>>;

    virtual ~UserPrompt() = default;

    virtual QMessageBox::StandardButton message(QMessageBox::Icon icon, QWidget *parent,
                                                const QString &title, const QString &text,
                                                QMessageBox::StandardButtons buttons,
                                                const ButtonLabels &labels = {});
    virtual QStringList openFileNames(QWidget *parent, const QString &caption,
                                      const QString &dir, const QString &filter);
    virtual QString saveFileName(QWidget *parent, const QString &caption,
                                 const QString &dir, const QString &filter);
    // Runs a dialog modally and answers its result code.
    virtual int runDialog(QDialog *dialog);

    static UserPrompt *instance();
    // Not owned; nullptr restores the real dialogs.
    static void setInstance(UserPrompt *prompt);

    static QMessageBox::StandardButton warning(QWidget *parent, const QString &title,
                                               const QString &text,
                                               QMessageBox::StandardButtons buttons,
                                               const ButtonLabels &labels = {})
    {
        return instance()->message(QMessageBox::Warning, parent, title, text, buttons, labels);
    }
    static void critical(QWidget *parent, const QString &title, const QString &text)
    {
        instance()->message(QMessageBox::Critical, parent, title, text, QMessageBox::Ok);
    }
};
