// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A PDF's permanent identifier: the first string of its trailer's /ID. Programs
// that save a document again keep it (and change the second string), so it
// names the document across saves, where the file's inode and bytes do not.

#include <QByteArray>
#include <QString>

namespace tolvo::pdf {

/// The permanent identifier of the PDF at path as lower-case hex; empty when the
/// file has none, or is no PDF that can be read.
QByteArray permanentDocumentId(const QString& path);

} // namespace tolvo::pdf
