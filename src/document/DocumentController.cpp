// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/DocumentController.h"

#include "document/DocumentWindow.h"
#include "pdf/DocumentId.h"
#include "routing/FileIdentity.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

namespace tolvo {

namespace {

QString canonical(const QString& path)
{
    const QFileInfo info(path);
    const QString real = info.canonicalFilePath();
    return real.isEmpty() ? info.absoluteFilePath() : real;
}

void reportMissingFile(const QString& path)
{
    // What a desktop says of a file that is not there: the document does not open.
    QApplication::beep();
    QMessageBox alert(QMessageBox::Warning, QStringLiteral("Error opening PDF"),
        QObject::tr("The file \"%1\" could not be opened because there is no such file.")
            .arg(QFileInfo(path).fileName()),
        QMessageBox::Ok);
    alert.setInformativeText(QObject::tr("Nothing was found at \"%1\".").arg(QFileInfo(path).absoluteFilePath()));
    alert.exec();
}

} // namespace

DocumentController::DocumentController(DocumentEnvironment environment, QObject* parent)
    : QObject(parent)
    , m_env(std::move(environment))
{
    // File references tell documents apart by the PDF's own identifier, which only the PDF services can read.
    setPermanentIdReader(pdf::permanentDocumentId);
}

DocumentController::~DocumentController() = default;

MyDocument* DocumentController::documentForPath(const QString& path) const
{
    const QString wanted = canonical(path);
    for (const auto& document : m_documents)
        if (canonical(document->filePath()) == wanted)
            return document.get();
    return nullptr;
}

QList<MyDocument*> DocumentController::documents() const
{
    QList<MyDocument*> list;
    for (const auto& document : m_documents)
        list.append(document.get());
    return list;
}

QSet<QString> DocumentController::prefixesInUse(const MyDocument* except) const
{
    QSet<QString> prefixes;
    for (const auto& document : m_documents)
        if (document.get() != except)
            prefixes.insert(document->prefix());
    return prefixes;
}

MyDocument* DocumentController::openDocument(const QString& path)
{
    if (MyDocument* open = documentForPath(path)) {
        if (DocumentWindow* window = open->myWindow()) {
            window->show();
            window->raise();
            window->activateWindow();
        }
        return open;
    }
    if (!QFileInfo::exists(path)) {
        reportMissingFile(path);
        return nullptr;
    }
    DocumentEnvironment env = m_env;
    // The document's own entry is left out of the prefixes it must avoid.
    auto self = std::make_shared<const MyDocument*>(nullptr);
    if (!env.prefixesInUse)
        env.prefixesInUse = [this, self] { return prefixesInUse(*self); };
    if (!env.openDocuments)
        env.openDocuments = [this](QWidget* window) { openDocumentsDialog(window); };
    if (!env.openFile)
        env.openFile = [this](const QString& file) { openDocument(file); };
    auto document = std::make_unique<MyDocument>(std::move(env));
    MyDocument* raw = document.get();
    *self = raw;
    if (!document->readFromURL(path))
        return nullptr;
    connect(raw, &MyDocument::closed, this, &DocumentController::documentWindowClosed);
    m_documents.push_back(std::move(document));
    raw->makeWindowControllers();
    emit documentOpened(raw);
    return raw;
}

void DocumentController::documentWindowClosed(MyDocument* document)
{
    for (auto it = m_documents.begin(); it != m_documents.end(); ++it) {
        if (it->get() != document)
            continue;
        // The close is still on the stack: the document goes once it has returned.
        MyDocument* closing = it->release();
        m_documents.erase(it);
        emit documentClosed(closing);
        closing->deleteLater();
        return;
    }
}

void DocumentController::openDocumentsDialog(QWidget* parent)
{
    QString folder;
    if (!m_documents.empty())
        folder = QFileInfo(m_documents.back()->filePath()).absolutePath();
    else
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QStringList files
        = QFileDialog::getOpenFileNames(parent, tr("Open PDF"), folder, tr("PDF files (*.pdf *.PDF);;All files (*)"));
    for (const QString& file : files)
        openDocument(file);
}

} // namespace tolvo
