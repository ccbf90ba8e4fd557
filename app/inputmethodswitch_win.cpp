#include "app/inputmethodswitch.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWidget>

#include <windows.h>
#include <imm.h>

namespace {

class ImeNotifyFilter : public QAbstractNativeEventFilter
{
public:
    explicit ImeNotifyFilter(std::function<void()> cb) : m_cb(std::move(cb)) {}

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG *msg = static_cast<const MSG *>(message);
        if (msg->message == WM_IME_NOTIFY && msg->wParam == IMN_SETOPENSTATUS)
            m_cb();
        return false;  // the message is processed normally afterwards
    }

private:
    std::function<void()> m_cb;
};

ImeNotifyFilter *filter = nullptr;

void setOpenStatus(QWidget *window, BOOL open)
{
    if (!window)
        return;
    HWND hwnd = reinterpret_cast<HWND>(window->window()->winId());
    HIMC context = ImmGetContext(hwnd);
    if (!context)
        return;
    ImmSetOpenStatus(context, open);
    ImmReleaseContext(hwnd, context);
}

} // namespace

void InputMethodSwitch::watch(QCoreApplication *app, std::function<void()> onOpenStatusChanged)
{
    filter = new ImeNotifyFilter(std::move(onOpenStatusChanged));
    app->installNativeEventFilter(filter);
}

void InputMethodSwitch::unwatch(QCoreApplication *app)
{
    if (!filter)
        return;
    app->removeNativeEventFilter(filter);
    delete filter;
    filter = nullptr;
}

void InputMethodSwitch::switchOff(QWidget *window)
{
    setOpenStatus(window, FALSE);
}

bool InputMethodSwitch::isOpen(QWidget *window)
{
    if (!window)
        return false;
    HWND hwnd = reinterpret_cast<HWND>(window->window()->winId());
    HIMC context = ImmGetContext(hwnd);
    if (!context)
        return false;
    const bool open = ImmGetOpenStatus(context);
    ImmReleaseContext(hwnd, context);
    return open;
}

void InputMethodSwitch::switchOn(QWidget *window)
{
    setOpenStatus(window, TRUE);
}
