#pragma once

#include <QApplication>

// The application object. It reports every switch of the platform input
// method, on or off, through imeOpenStatusChanged(); InputMethodSwitch does
// the platform work.
class WinApplication : public QApplication
{
    Q_OBJECT
public:
    WinApplication(int &argc, char **argv);
    ~WinApplication() override;

signals:
    void imeOpenStatusChanged();
};
