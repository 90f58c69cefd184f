// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The OPML command: a save dialog with the style choice, and the file write.

#include <QFileDialog>
#include <QString>

#include <functional>

class QComboBox;

namespace tolvo {

class OutlineTree;

/// A save dialog for ".opml" files with opmlSaveAccessoryView below its own
/// controls; in it opmlSaveComboBox offers the three export styles, the first
/// selected. Qt's own dialog, since only it takes extra controls.
class OpmlSaveDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit OpmlSaveDialog(QWidget* window);

    QWidget* opmlSaveAccessoryView() const { return m_accessory; }
    QComboBox* opmlSaveComboBox() const { return m_combo; }
    /// The selected style, 0 to 2; 0 when nothing is selected.
    int style() const;
    /// The chosen file, ending in ".opml".
    QString chosenPath() const;

private:
    QWidget* m_accessory;
    QComboBox* m_combo;
};

/// The path with ".opml" appended unless it already ends so (in any letter case).
QString withOpmlExtension(const QString& path);

/// Writes text atomically as UTF-8. False, with the reason in error, when it could not be written.
bool writeOpmlFile(const QString& path, const QString& text, QString* error);

/// Runs the dialog as a sheet on window; on confirmation writes the outline's OPML in the
/// chosen style with the prefix as it is then, and reports a failed write.
void exportAsOPML(
    QWidget* window, const OutlineTree& outline, const QString& pdfFileName, std::function<QString()> currentPrefix);

} // namespace tolvo
