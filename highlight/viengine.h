#pragma once

#include <QObject>
#include <QString>

// The one vi engine of the main window, shared by all views. Mode 0 is
// command mode, 1 insert mode.
class ViEngine : public QObject
{
    Q_OBJECT
public:
    enum Mode : uchar { CommandMode = 0, InsertMode = 1 };

    explicit ViEngine(QObject *parent = nullptr);

    uchar mode() const { return m_mode; }
    // True only while modeChanged() is being emitted; guards against the
    // input-method notification that closing the IME sends back at once.
    bool inModeChange() const { return m_inModeChange; }

    void setMode(uchar m);

signals:
    void modeChanged(uchar mode);

private:
    uchar m_mode = CommandMode;
    bool m_inModeChange = false;
};
