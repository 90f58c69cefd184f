// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The documents of the process: opening PDFs, the list of open ones in order,
// and the Open dialog.

#include "document/MyDocument.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace tolvo {

/// Opens each PDF once as a MyDocument with its window and keeps the open
/// documents in the order they were opened, until their windows close.
class DocumentController : public QObject {
    Q_OBJECT
public:
    /// environment is handed to every document; its prefixesInUse and openDocuments are
    /// filled in by the controller when left empty.
    explicit DocumentController(DocumentEnvironment environment = {}, QObject* parent = nullptr);
    ~DocumentController() override;

    /// Opens the PDF at path in a window, or brings its window forward when it is open
    /// already. A missing file or one that is no PDF is reported to the user; nothing then.
    MyDocument* openDocument(const QString& path);
    /// The open document of the file at path (compared as the canonical path), or nullptr.
    MyDocument* documentForPath(const QString& path) const;
    /// The open documents, in the order they were opened.
    QList<MyDocument*> documents() const;
    /// The prefixes of the open documents, but for except.
    QSet<QString> prefixesInUse(const MyDocument* except = nullptr) const;

    /// The Open dialog: lets the user choose PDFs, then opens each.
    void openDocumentsDialog(QWidget* parent = nullptr);

signals:
    void documentOpened(tolvo::MyDocument* document);
    /// The document's window has closed; the document is deleted soon after.
    void documentClosed(tolvo::MyDocument* document);

private:
    void documentWindowClosed(MyDocument* document);

    DocumentEnvironment m_env;
    std::vector<std::unique_ptr<MyDocument>> m_documents;
};

} // namespace tolvo
