#include "highlight/viengine.h"

ViEngine::ViEngine(QObject *parent)
    : QObject(parent)
{
}

void ViEngine::setMode(uchar m)
{
    if (m == m_mode)
        return;
    m_mode = m;
    m_inModeChange = true;
    emit modeChanged(m);
    m_inModeChange = false;
}
