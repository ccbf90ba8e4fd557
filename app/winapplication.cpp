#include "app/winapplication.h"

#include "app/inputmethodswitch.h"

WinApplication::WinApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    InputMethodSwitch::watch(this, [this] { emit imeOpenStatusChanged(); });
}

WinApplication::~WinApplication()
{
    InputMethodSwitch::unwatch(this);
}
