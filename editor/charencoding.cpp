#include "editor/charencoding.h"

const char *encodingName(int encoding)
{
    switch (static_cast<quint8>(encoding)) {
    case ShiftJIS: return "Shift-JIS";
    case EucJP: return "EUC-JP";
    case UTF8: return "UTF-8";
    case UTF16LE: return "UTF-16LE";
    case UTF16BE: return "UTF-16BE";
    default: return nullptr;
    }
}
