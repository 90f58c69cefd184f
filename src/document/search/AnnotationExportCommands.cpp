// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/search/AnnotationExportCommands.h"

#include "document/search/ExportAnnotationsPanel.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMessageBox>

namespace tolvo {

Q_LOGGING_CATEGORY(lcExport, "tolvo.export")

AnnotationExportCommands::AnnotationExportCommands(QWidget* window, QString pdfPath, std::function<QString()> prefix,
    Defaults& defaults, ExportServices services, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_pdfPath(std::move(pdfPath))
    , m_prefix(std::move(prefix))
    , m_defaults(defaults)
    , m_services(std::move(services))
{
}

AnnotationExportCommands::~AnnotationExportCommands()
{
    delete m_panel;
}

void AnnotationExportCommands::setAnnotations(std::shared_ptr<const AnnotationList> list)
{
    if (!list)
        return;
    // A later list (marks were made or changed) replaces the first.
    m_list = std::move(list);
    if (m_showWhenReady) {
        m_showWhenReady = false;
        showExportAnnotationsPanel();
    }
}

void AnnotationExportCommands::showExportAnnotationsPanel()
{
    if (!m_list) {
        // The counts come from the annotation list, which is being read; the dialog follows it.
        m_showWhenReady = true;
        return;
    }
    if (!m_panel) {
        m_panel = new ExportAnnotationsPanel(m_window);
        connect(m_panel, &QDialog::finished, this, &AnnotationExportCommands::exportAnnotationsPanelHasEnded);
    }
    if (m_panel->isVisible())
        return;
    m_panel->prepare(m_list->counts, m_defaults);
    m_panel->setWindowModality(m_window ? Qt::WindowModal : Qt::ApplicationModal);
    m_panel->open();
}

void AnnotationExportCommands::exportAnnotationsPanelHasEnded(int returnCode)
{
    if (returnCode != ExportAnnotationsPanel::kConfirmTag || !m_panel)
        return;
    const ExportOptions options = m_panel->options();
    if (!options.any())
        return;
    exportPDFAnnotations(options.toDictionary(), m_panel->format());
}

ExportOutcome AnnotationExportCommands::exportPDFAnnotations(const QVariantMap& dictionary, ExportFormat format)
{
    if (!m_list || m_list->records.empty()) {
        beep();
        return ExportOutcome::NothingToExport;
    }
    ExportStyle style;
    style.useQuotes = m_defaults.boolForKey(QString::fromLatin1(keys::kAnnoExportUseQuotes));
    style.linkStyle = currentLinkStyle(m_defaults);
    style.prefix = m_prefix ? m_prefix() : QString();
    const std::optional<QByteArray> bytes
        = annotationExportDocument(m_list->records, ExportOptions::fromDictionary(dictionary), style, format);
    if (!bytes) {
        beep();
        return ExportOutcome::NothingToExport;
    }
    const QString folder = m_services.folder.isEmpty() ? QDir::tempPath() : m_services.folder;
    const QString path = annotationExportPath(m_pdfPath, format, folder);
    QString error;
    if (!writeExportFile(path, *bytes, &error)) {
        qCWarning(lcExport).noquote() << "Cannot write" << path << ":" << error;
        alert(tr("Unable to export annotations"),
            tr("The annotations could not be written to \"%1\": %2").arg(path, error));
        return ExportOutcome::WriteFailed;
    }
    m_lastPath = path;
    const QUrl url = QUrl::fromLocalFile(path);
    const bool opened = m_services.openUrl ? m_services.openUrl(url) : QDesktopServices::openUrl(url);
    if (!opened) {
        qCWarning(lcExport).noquote() << "No application opened" << path;
        alert(tr("Unable to open exported annotations"),
            tr("The annotations were saved as \"%1\", but no application could open that file.").arg(path));
        return ExportOutcome::OpenFailed;
    }
    return ExportOutcome::Opened;
}

void AnnotationExportCommands::beep() const
{
    if (m_services.beep)
        m_services.beep();
    else
        QApplication::beep();
}

void AnnotationExportCommands::alert(const QString& message, const QString& informative) const
{
    beep();
    if (m_services.alert) {
        m_services.alert(message, informative);
        return;
    }
    QMessageBox box(QMessageBox::Warning, message, message, QMessageBox::NoButton, m_window);
    box.setInformativeText(informative);
    box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    box.exec();
}

} // namespace tolvo
