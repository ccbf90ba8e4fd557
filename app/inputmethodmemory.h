#pragma once

#include <memory>

// The input method's on/off state kept per vi mode: leaving insert mode
// switches it off, so that command keys arrive as plain letters, and coming
// back to insert mode switches it on again if it was on when insert mode
// was left. What is asked of the platform goes through Control, so the
// bookkeeping runs, and is tested, without one.
class InputMethodMemory
{
public:
    // The two operations on the platform's input method for one window.
    class Control
    {
    public:
        virtual ~Control() = default;
        virtual bool isOpen() const = 0;
        virtual void switchOn() = 0;
        virtual void switchOff() = 0;
    };

    explicit InputMethodMemory(std::unique_ptr<Control> control);

    // The vi mode went from `previous` to `mode` (ViEngine::Mode values).
    // `openedByUser`: insert mode was entered because the user switched the
    // input method on, which then needs no switching.
    void modeChanged(unsigned char previous, unsigned char mode, bool openedByUser = false);

    bool openInInsert() const { return m_openInInsert; }

private:
    std::unique_ptr<Control> m_control;
    bool m_openInInsert = false;  // its state when insert mode was last left
};
