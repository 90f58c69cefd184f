// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The annotation export commands of a document window: the dialog as a sheet,
// and the export that writes the document and opens it.

#include "document/search/ExportAnnotationsPanel.h"
#include "search/AnnotationExport.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>

class QWidget;

namespace tolvo {

class Defaults;

/// What the export does to be seen and heard; an empty member takes the desktop's own
/// (QApplication::beep, QDesktopServices::openUrl, a warning QMessageBox on the window, QDir::tempPath).
struct ExportServices {
    std::function<void()> beep;
    std::function<bool(const QUrl& url)> openUrl;
    std::function<void(const QString& message, const QString& informative)> alert;
    QString folder; ///< where the export file goes
};

/// How an export ended.
enum class ExportOutcome { Opened, NothingToExport, WriteFailed, OpenFailed };

/// showExportAnnotationsPanel, exportAnnotationsPanelHasEnded and exportPDFAnnotations of one document.
class AnnotationExportCommands : public QObject {
    Q_OBJECT
public:
    /// prefix gives the document's prefix as it is at the moment of the export.
    AnnotationExportCommands(QWidget* window, QString pdfPath, std::function<QString()> prefix, Defaults& defaults,
        ExportServices services = {}, QObject* parent = nullptr);
    ~AnnotationExportCommands() override;

    /// The annotation list with its counts, once collected.
    void setAnnotations(std::shared_ptr<const AnnotationList> list);

    /// The dialog, made at the first showing.
    ExportAnnotationsPanel* exportAnnotationsPanel() const { return m_panel; }
    /// The path of the last export, empty before one.
    const QString& lastExportPath() const { return m_lastPath; }

public slots:
    /// Counts, prepares and shows the dialog as a sheet; before the list is known, as soon as it is.
    void showExportAnnotationsPanel();
    /// Return code 1 with at least one box on exports the chosen kinds in the chosen format.
    void exportAnnotationsPanelHasEnded(int returnCode);

public:
    /// Builds, writes and opens the export document. Beeps when the list is empty or no record is
    /// chosen, writing nothing; a file that cannot be written or opened is reported in an alert.
    ExportOutcome exportPDFAnnotations(const QVariantMap& options, ExportFormat format = ExportFormat::Rtf);

private:
    void beep() const;
    void alert(const QString& message, const QString& informative) const;

    QPointer<QWidget> m_window;
    QString m_pdfPath;
    std::function<QString()> m_prefix;
    Defaults& m_defaults;
    ExportServices m_services;
    std::shared_ptr<const AnnotationList> m_list;
    QPointer<ExportAnnotationsPanel> m_panel;
    bool m_showWhenReady = false;
    QString m_lastPath;
};

} // namespace tolvo
