// SPDX-License-Identifier: GPL-3.0-or-later
// The document's commands that hand over to its panes: TOC, layout, notes,
// prefix, OPML export and the file commands.
#include "document/MyDocument.h"

#include "document/DocumentWindow.h"
#include "document/NotesPane.h"
#include "document/OpmlExport.h"
#include "document/OutlinePane.h"
#include "document/PrefixSheet.h"
#include "document/WindowLayout.h"
#include "links/RichText.h"
#include "routing/DocumentPrefix.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "ui_MyDocument.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>

namespace tolvo {

void MyDocument::TOCCollapseAllLevels()
{
    finishSetUp();
    if (m_outlinePane)
        m_outlinePane->TOCCollapseAllLevels();
}

void MyDocument::TOCExpandAllLevels()
{
    finishSetUp();
    if (m_outlinePane)
        m_outlinePane->TOCExpandAllLevels();
}

void MyDocument::TOCExpandLevel1()
{
    finishSetUp();
    if (m_outlinePane)
        m_outlinePane->TOCExpandLevel1();
}

void MyDocument::TOCExpandLevel2()
{
    finishSetUp();
    if (m_outlinePane)
        m_outlinePane->TOCExpandLevel2();
}

void MyDocument::TOCExpandLevel3()
{
    finishSetUp();
    if (m_outlinePane)
        m_outlinePane->TOCExpandLevel3();
}

void MyDocument::tocCommandControlClicked(int segment)
{
    switch (segment) {
    case 0:
        TOCCollapseAllLevels();
        break;
    case 1:
        TOCExpandAllLevels();
        break;
    case 2:
        TOCExpandLevel1();
        break;
    case 3:
        TOCExpandLevel2();
        break;
    case 4:
        TOCExpandLevel3();
        break;
    case 5:
        TOCToggleView();
        break;
    default:
        break;
    }
}

void MyDocument::focusOnTOC()
{
    if (TLNSOutlineView* view = outlineview())
        view->setFocus(Qt::OtherFocusReason);
}

void MyDocument::TOCToggleView()
{
    finishSetUp();
    if (m_layout)
        m_layout->TOCToggleView();
}

void MyDocument::revertToIBDesignedThreeFrameWindow()
{
    if (m_layout)
        m_layout->revertToIBDesignedThreeFrameWindow();
}

void MyDocument::revertToTwoFrameWindowWithMinimumIBWidth()
{
    if (m_layout)
        m_layout->revertToTwoFrameWindowWithMinimumIBWidth();
}

void MyDocument::collapseSidebarSplitViews()
{
    if (m_layout)
        m_layout->collapseSidebarSplitViews();
}

void MyDocument::keepWindowOnTopFired(bool on)
{
    m_windowLevel = on ? kStatusWindowLevel : kNormalWindowLevel;
    if (m_layout)
        m_layout->keepWindowOnTopFired(on);
    if (m_window && m_window->ui().keepWindowOnTop->isChecked() != on)
        m_window->ui().keepWindowOnTop->setChecked(on);
}

void MyDocument::notesArea1()
{
    if (m_notes)
        m_notes->selectArea(0);
}

void MyDocument::notesArea2()
{
    if (m_notes)
        m_notes->selectArea(1);
}

void MyDocument::notesArea3()
{
    if (m_notes)
        m_notes->selectArea(2);
}

void MyDocument::notesArea4()
{
    if (m_notes)
        m_notes->selectArea(3);
}

void MyDocument::notesArea5()
{
    if (m_notes)
        m_notes->selectArea(4);
}

void MyDocument::insertClipboardRichText()
{
    if (m_notes)
        m_notes->insertClipboardRichText();
}

void MyDocument::insertClipboardPlainText()
{
    if (m_notes)
        m_notes->insertClipboardPlainText();
}

void MyDocument::clearSelectedTextFormatting()
{
    QTextEdit* view = selectedTextView();
    if (!view)
        return;
    QTextCursor cursor = view->textCursor();
    if (cursor.hasSelection())
        cursor.setCharFormat(QTextCharFormat());
    view->setCurrentCharFormat(QTextCharFormat());
}

void MyDocument::applyUserPreferredFontToMutableAttributedString(RichText& text) const
{
    const QString name = defaults().stringForKey(QString::fromLatin1(keys::kFontNameForRichTextCopiedFromPDF));
    const float size = defaults().floatForKey(QString::fromLatin1(keys::kFontSizeForRichTextCopiedFromPDF));
    if (name.isEmpty() || !QFontDatabase::hasFamily(name))
        return;
    text.setFont(FontSpec { name, double(size) });
}

void MyDocument::configurePrefix()
{
    if (m_prefix)
        m_prefix->configurePrefix();
}

void MyDocument::showPrefixSheet(const QString& prefix, const QString& pdfPath)
{
    if (!m_window)
        return;
    if (!m_prefixSheet) {
        m_prefixSheet = new PrefixSheet(m_window.get());
        connect(m_prefixSheet, &TaggedSheet::buttonFired, this, &MyDocument::endPrefixSheet);
        connect(m_prefixSheet, &QDialog::finished, this, &MyDocument::prefixSheetDidEnd);
    }
    m_prefixSheet->fill(prefix, pdfPath);
    m_prefixSheet->begin();
    m_prefixSheet->prefixText()->setFocus();
}

void MyDocument::endPrefixSheet(int tag)
{
    if (m_prefixSheet)
        m_prefixSheet->done(tag);
}

void MyDocument::prefixSheetDidEnd(int returnCode)
{
    if (m_prefix && m_prefixSheet)
        m_prefix->prefixSheetDidEnd(returnCode, m_prefixSheet->prefixText()->text());
}

void MyDocument::showPrefixAlert(const QString& message, const QString& informative)
{
    QApplication::beep();
    QMessageBox alert(QMessageBox::Warning, message, message, QMessageBox::NoButton, m_window.get());
    alert.setInformativeText(informative);
    alert.setDefaultButton(alert.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    alert.exec();
}

void MyDocument::exportAsOPML()
{
    if (!m_window)
        return;
    tolvo::exportAsOPML(m_window.get(), outline(), fileName(), [this] { return linkPrefix(); });
}

void MyDocument::openPDFCommandFired()
{
    if (!m_path.isEmpty())
        revealFile(m_path);
}

void MyDocument::openDocument()
{
    if (m_env.openDocuments)
        m_env.openDocuments(m_window.get());
}

} // namespace tolvo
