#include "editor/modalkeyhandler.h"

ModalKeyHandler::ModalKeyHandler(QObject *parent)
    : QObject(parent)
{
}

ModalKeyHandler::~ModalKeyHandler() = default;
