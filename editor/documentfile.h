#pragma once

#include "editor/charencoding.h"

#include <QByteArray>
#include <QString>

class EditViewBase;
class QWidget;

// Reads a file into a view: detects the encoding, decodes, clears the
// modified flag and sets the view's encoding. False when it cannot be read
// (missing, unreadable, not a regular file). Invalid bytes or NUL characters
// are reported through the view's notice and remembered, so that a later
// save over the same file asks first.
bool readDocument(EditViewBase *view, const QString &fileName);

// Writes the view's text in its encoding with LF line ends, atomically. Asks
// before writing characters the encoding cannot hold or overwriting a file
// that was read with invalid bytes. A file in a folder that takes no new
// file is written over in place, after the user agreed. On failure the user
// is told why, the old file is left as it was and the document stays
// modified.
bool writeDocument(EditViewBase *view, const QString &fileName, QWidget *dialogParent = nullptr);
