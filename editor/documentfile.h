#pragma once

#include "editor/charencoding.h"
#include "editor/fileformat.h"

#include <QByteArray>
#include <QString>

class EditViewBase;
class QWidget;

// Reads a file into a view: detects the encoding, decodes, clears the
// modified flag and sets the view's encoding. False when it cannot be read
// (missing, unreadable, not a regular file). Invalid bytes or NUL characters
// are reported through the view's notice and remembered, so that a later
// save over the same file asks first.
// `encoding` other than NoEncoding reads in that encoding instead of the
// detected one. `summary` receives a line for the status bar: the encoding,
// how it was found, the line ends and whether they were mixed.
bool readDocument(EditViewBase *view, const QString &fileName, CharEncoding encoding = NoEncoding,
                  QString *summary = nullptr);


// Writes the view's text in its file format (encoding, byte-order mark, line
// ends), atomically. Asks before writing characters the encoding cannot hold
// (in a page, offering character references instead), before overwriting a
// file that was read with invalid bytes, and whether to update a charset
// declaration that names another encoding. A file in a folder that takes no
// new file is written over in place, after the user agreed. On failure the
// user is told why, the old file is left as it was and the document stays
// modified.
bool writeDocument(EditViewBase *view, const QString &fileName, QWidget *dialogParent = nullptr);
