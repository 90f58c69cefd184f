// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads the geometry of a document's pages on a thread of its own, so that a
// long PDF shows its first page without waiting for every page's boxes (a
// 1,000-page manual takes a few hundred milliseconds). The thread works on its
// own copy of the document (Document::reopen()).

#include "pdf/PdfDocument.h"

#include <QObject>
#include <QVector>

#include <memory>

namespace tolvo::pageview {

class PageGeometryScanner : public QObject {
    Q_OBJECT
public:
    explicit PageGeometryScanner(QObject* parent = nullptr);
    ~PageGeometryScanner() override;

    /// Stops an earlier scan and reads pages from `first` to the end of the document (nullptr: none).
    /// The scan's thread makes its own copy; document must live until stop() or the next start().
    void start(const pdf::Document* document, int first);
    /// Stops the scan; nothing more is delivered.
    void stop();

signals:
    /// The geometry of the pages from `first` on, in order. Delivered on the owner's thread.
    void geometryRead(int first, const QVector<tolvo::pdf::PageGeometry>& pages);

private:
    struct Scan;
    std::shared_ptr<Scan> m_scan;
};

} // namespace tolvo::pageview
