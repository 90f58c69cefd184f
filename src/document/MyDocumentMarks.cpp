// SPDX-License-Identifier: GPL-3.0-or-later
// The marks of a document window: made in the page view, written into the PDF,
// seen by search and export at once, offered back after a crash.
#include "document/MyDocument.h"

#include "document/DocumentMarks.h"
#include "document/DocumentWindow.h"
#include "document/MarkCommands.h"
#include "document/RememberedPlaces.h"
#include "pageview/LabelPDFView.h"
#include "pdf/PdfDocument.h"
#include "search/AnnotationCollector.h"
#include "ui_MyDocument.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace tolvo {

void MyDocument::setUpMarks()
{
    if (!m_pdfdoc || !m_pdfview || m_marks)
        return;
    const QString folder = m_env.dataFolder.isEmpty() ? DocumentMarks::standardDataFolder() : m_env.dataFolder;
    m_marks = std::make_unique<DocumentMarks>(*m_pdfdoc, m_path, RememberedPlaces::identityOf(m_path), folder);
    m_markCommands = new MarkCommands(*m_marks, *m_pdfview, defaults(), m_window.get());
    m_window->ui().pageViewLayout->insertWidget(0, m_markCommands->messageBar());

    auto* bar = new QToolBar(tr("Marks"), m_window.get());
    bar->setObjectName(QStringLiteral("marksToolBar"));
    bar->addAction(m_markCommands->highlightAction());
    bar->addAction(m_markCommands->underlineAction());
    bar->addAction(m_markCommands->strikeOutAction());
    bar->addAction(m_markCommands->noteAction());
    auto* colours = new QToolButton(bar);
    colours->setText(tr("Colour"));
    colours->setToolTip(tr("The colour of new marks"));
    colours->setPopupMode(QToolButton::InstantPopup);
    colours->addActions(m_markCommands->colourActions());
    bar->addWidget(colours);
    m_window->addToolBar(Qt::TopToolBarArea, bar);

    connect(m_marks.get(), &DocumentMarks::marksChanged, this, &MyDocument::publishAnnotations);
    connect(m_marks.get(), &DocumentMarks::fileRewritten, this, [this] {
        // The file's list is read again from the new file; until it comes the old one serves.
        if (!m_annotations)
            return publishAnnotations();
        m_annotations.reset();
        startAnnotationCollector();
    });
    QTimer::singleShot(0, this, &MyDocument::offerJournalMarks);
}

void MyDocument::offerJournalMarks()
{
    if (!m_marks)
        return;
    const std::vector<pdf::MarkEdit> missing = m_marks->journalEditsMissingFromFile();
    if (missing.empty())
        return m_marks->discardJournal();
    const int count = int(missing.size());
    bool restore = false;
    if (m_env.askRestoreMarks) {
        restore = m_env.askRestoreMarks(m_window.get(), count);
    } else {
        restore
            = QMessageBox::question(m_window.get(), tr("Restore unsaved marks?"),
                  tr("%n mark(s) made in %1 were not written into it before Tolvo ended. Restore them?", nullptr, count)
                      .arg(fileName()),
                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
            == QMessageBox::Yes;
    }
    if (restore)
        m_marks->restoreJournal();
    else
        m_marks->discardJournal();
}

void MyDocument::saveACopy()
{
    if (!m_marks || !m_window)
        return;
    const QFileInfo info(m_path);
    const QString suggested = info.absolutePath() + u'/' + info.completeBaseName() + tr(" (marked).pdf");
    QFileDialog dialog(m_window.get(), tr("Save a Copy"), suggested, tr("PDF files (*.pdf)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString error;
    if (!m_marks->saveCopy(dialog.selectedFiles().constFirst(), &error))
        QMessageBox::warning(m_window.get(), tr("The copy could not be saved"), error);
}

} // namespace tolvo
