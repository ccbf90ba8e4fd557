#include "app/inputmethodmemory.h"

#include "highlight/viengine.h"

InputMethodMemory::InputMethodMemory(std::unique_ptr<Control> control)
    : m_control(std::move(control))
{
}

void InputMethodMemory::modeChanged(unsigned char previous, unsigned char mode, bool openedByUser)
{
    if (previous == mode || !m_control)
        return;
    if (previous == ViEngine::InsertMode)
        m_openInInsert = m_control->isOpen();
    if (mode != ViEngine::InsertMode)
        m_control->switchOff();
    else if (m_openInInsert && !openedByUser)
        m_control->switchOn();
}
