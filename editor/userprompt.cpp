#include "editor/userprompt.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFileDialog>

namespace {
UserPrompt *current = nullptr;
} // namespace

QMessageBox::StandardButton UserPrompt::message(QMessageBox::Icon icon, QWidget *parent,
                                                const QString &title, const QString &text,
                                                QMessageBox::StandardButtons buttons,
                                                const ButtonLabels &labels)
{
    // No default button: Return must not answer a question by accident.
    QMessageBox box(icon, title, text, buttons, parent);
    box.setDefaultButton(QMessageBox::NoButton);
    for (const auto &[button, label] : labels)
        if (QAbstractButton *b = box.button(button))
            b->setText(label);
    return QMessageBox::StandardButton(box.exec());
}

QStringList UserPrompt::openFileNames(QWidget *parent, const QString &caption,
                                      const QString &dir, const QString &filter)
{
    return QFileDialog::getOpenFileNames(parent, caption, dir, filter);
}

QString UserPrompt::saveFileName(QWidget *parent, const QString &caption,
                                 const QString &dir, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

int UserPrompt::runDialog(QDialog *dialog)
{
    return dialog->exec();
}

UserPrompt *UserPrompt::instance()
{
    static UserPrompt real;
    return current ? current : &real;
}

void UserPrompt::setInstance(UserPrompt *prompt)
{
    current = prompt;
}
