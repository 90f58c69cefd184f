// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The annotation export dialog: the counts of each kind, a check box per kind,
// the format, and the confirm button (tag 1).

#include "search/AnnotationExport.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace tolvo {

class Defaults;

/// exportAnnotationsPanel. Its check boxes keep their states between showings; a kind found
/// empty once stays off and disabled, since a document's counts do not change while it is open.
class ExportAnnotationsPanel : public QDialog {
    Q_OBJECT
public:
    /// The tag (return code) of the confirm button; Cancel gives 0.
    static constexpr int kConfirmTag = 1;

    explicit ExportAnnotationsPanel(QWidget* window);

    /// Shows the counts and applies the box rules: a kind whose TolvoAnnoExportShouldExport... key
    /// is on gets its box on; then a kind with count 0 is off and disabled; with no kind to export
    /// the confirm button is disabled.
    void prepare(const AnnotationCounts& counts, const Defaults& defaults);

    /// The states of the four boxes.
    ExportOptions options() const;
    ExportFormat format() const;
    void setFormat(ExportFormat format);

    QLabel* annotationsCountLabel() const { return m_counts; }
    QCheckBox* annotationsExportNotesCheckbox() const { return m_notes; }
    QCheckBox* annotationsExportHighlightsCheckbox() const { return m_highlights; }
    QCheckBox* annotationsExportUnderlinesCheckbox() const { return m_underlines; }
    QCheckBox* annotationsExportStrikethroughsCheckbox() const { return m_strikethroughs; }
    QPushButton* annotationsExportOKButton() const { return m_ok; }
    QComboBox* formatComboBox() const { return m_format; }

public slots:
    /// Ends the dialog with the tag as its result.
    void dismissExportAnnotationsPanel(int tag);

private:
    QLabel* m_counts;
    QCheckBox* m_notes;
    QCheckBox* m_highlights;
    QCheckBox* m_underlines;
    QCheckBox* m_strikethroughs;
    QComboBox* m_format;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

} // namespace tolvo
