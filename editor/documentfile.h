#pragma once

#include "editor/charencoding.h"

#include <QByteArray>
#include <QString>

class EditViewBase;
class QWidget;

// Reads a file into a view: detects the encoding, decodes, clears the
// modified flag and sets the view's encoding. False when it cannot be read.
bool readDocument(EditViewBase *view, const QString &fileName);

// Writes the view's text in its encoding. On failure the user is told, the
// old file is left as it was and the document stays modified.
bool writeDocument(EditViewBase *view, const QString &fileName, QWidget *dialogParent = nullptr);
