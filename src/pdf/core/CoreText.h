// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text out of Poppler's core objects. Internal to pdf/core.

#include <QString>

#include <optional>

class GooString;
class Object;

namespace tolvo::pdf {

/// A PDF text string as text: UTF-16 (either byte order mark), UTF-8 (its mark) or PDFDocEncoding.
/// Language marks (ESC ... ESC) inside UTF-16 are dropped.
QString decodeTextString(const GooString& bytes);

/// The text of a string object; nothing when the object is not a string.
std::optional<QString> textOf(const Object& object);

} // namespace tolvo::pdf
