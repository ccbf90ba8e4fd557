#include "app/inputmethodswitch.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QWidget>

// Qt offers no portable "open status" of an input method. What an X11 or
// Wayland input method does expose is a change of input language (switching
// from a Latin layout to a Japanese engine), which is the user's way of
// turning Japanese input on; that is taken as the notification.
void InputMethodSwitch::watch(QCoreApplication *app, std::function<void()> onOpenStatusChanged)
{
    QInputMethod *im = QGuiApplication::inputMethod();
    if (!im)
        return;
    QObject::connect(im, &QInputMethod::localeChanged, app,
                     [cb = std::move(onOpenStatusChanged)] { cb(); });
}

void InputMethodSwitch::unwatch(QCoreApplication *app)
{
    if (QInputMethod *im = QGuiApplication::inputMethod())
        QObject::disconnect(im, nullptr, app, nullptr);
}

void InputMethodSwitch::switchOff(QWidget *window)
{
    if (!window)
        return;
    QInputMethod *im = QGuiApplication::inputMethod();
    if (!im)
        return;
    // Finish or drop any composition in progress, then let the platform ask
    // the focus widget again whether it wants input-method input at all (a
    // view in command mode answers no to Qt::ImEnabled).
    QWidget *focus = QApplication::focusWidget();
    if (focus && focus->window() == window->window()) {
        im->reset();
        im->update(Qt::ImEnabled);
        im->hide();
    }
}

// Qt tells no open status. X11 and Wayland input methods keep their on/off
// state per window themselves, so asking for input again is all it takes.
bool InputMethodSwitch::isOpen(QWidget *)
{
    return false;
}

void InputMethodSwitch::switchOn(QWidget *window)
{
    QInputMethod *im = QGuiApplication::inputMethod();
    QWidget *focus = QApplication::focusWidget();
    if (im && window && focus && focus->window() == window->window())
        im->update(Qt::ImEnabled);
}
