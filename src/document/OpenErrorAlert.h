// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The alert for a PDF that cannot be opened.

#include <QString>

#include <functional>

class QWidget;

namespace tolvo {

/// Beeps and shows "Error opening PDF" for the file, with "OK" and "Open Containing
/// Folder"; the second calls reveal(path). Returns when the alert is dismissed.
void showOpenErrorAlert(
    const QString& path, const std::function<void(const QString&)>& reveal, QWidget* parent = nullptr);

/// "Tolvo could not open the PDF "name" located at "path"".
QString openErrorInformativeText(const QString& path);

} // namespace tolvo
