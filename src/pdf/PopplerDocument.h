// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Poppler adapter behind the PDF services. Each PopplerDocument reads its file
// twice over: through Poppler's core API (core/CoreDocument.h) for exact values and
// text (labels, geometry, destinations, annotations, the text layer, search) and
// through Poppler-Qt6 for drawing. Coordinates are turned into page space here, once.

#include "pdf/PageLabels.h"
#include "pdf/PageSpace.h"
#include "pdf/PdfDocument.h"
#include "pdf/TextLayout.h"

#include <array>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace Poppler {
class Document;
}

namespace tolvo::pdf {

class CoreDocument;

/// A Document over one PDF file, read by Poppler.
class PopplerDocument final : public Document {
public:
    /// Opens path; nothing, and a reason a person can read in error, when it cannot be read.
    /// An encrypted file needs its password; *needsPassword (when given) tells that it was missing or wrong.
    /// With bytes, the file's content read beforehand: the text is read from memory.
    static std::unique_ptr<PopplerDocument> open(const QString& path, QString* error,
        const QByteArray& password = QByteArray(), bool* needsPassword = nullptr,
        std::shared_ptr<const QByteArray> bytes = nullptr);
    ~PopplerDocument() override;

    QString filePath() const override { return m_path; }
    std::unique_ptr<Document> reopen() const override;
    bool fileUnchanged() const override;
    qint64 annotationsOfDrawnPages() const override;
    std::unique_ptr<Document> reopenForScan() const override;
    std::optional<QByteArray> permanentId() const override;
    int pageCount() const override { return m_pageCount; }
    QString pageLabel(int pageIndex) const override;
    QStringList pageLabels() const override;
    PageGeometry pageGeometry(int pageIndex) const override;
    std::vector<OutlineEntry> outline() const override;
    std::vector<Annotation> annotations(int pageIndex) const override;
    std::vector<TextWord> words(int pageIndex) const override;
    TextSelection selectionForRect(int pageIndex, const QRectF& rect) const override;
    TextSelection selectionFromPoint(int fromPage, const QPointF& from, int toPage, const QPointF& to) const override;
    std::vector<PageLink> links(int pageIndex) const override;
    QVector<QRectF> search(int pageIndex, const QString& text) const override;
    std::optional<FindText> findText(int pageIndex) const override;
    QImage render(int pageIndex, double scale, const std::function<bool()>& shouldAbort = {}) const override;
    QVector<QRectF> imageAreas(int pageIndex) const override;
    bool adoptDrawingCopy(std::unique_ptr<DrawingCopy> copy) override;
    bool writeMarks(const std::vector<MarkEdit>& edits, const QString& destination, QString* error) const override;

private:
    /// One page's text layer in layout space (see core/CoreDocument.h), with its lines.
    struct PageText {
        int pageIndex = -1;
        PageTransform transform;
        std::vector<TextWord> words; ///< bounds in display space
        std::vector<TextLine> lines;
    };

    PopplerDocument(QString path, std::unique_ptr<CoreDocument> core);
    /// Poppler's Qt document for drawing, read at the first drawing; nullptr when the file can no
    /// longer be read as it was opened.
    const Poppler::Document* drawingDocument() const;

    void noteDrawn(int pageIndex) const;
    bool isPage(int pageIndex) const { return pageIndex >= 0 && pageIndex < m_pageCount; }
    /// The page's text layer, from a small cache: selections ask for the same page again and again.
    const PageText* pageText(int pageIndex) const;
    /// Words first..last of a page's text layer as a selection in page space.
    TextSelection selectWords(const PageText& text, int first, int last) const;
    TextSelection selectWords(const PageText& text, const std::vector<int>& indexes) const;

    QString m_path;
    /// The file as it was just before it was read; empty when it could not be asked.
    std::optional<std::array<qint64, 5>> m_stamp;
    QByteArray m_password; ///< for the copies that reopen() makes
    // Declared first, destroyed last: it holds Poppler's global state, which the Qt document uses too.
    std::unique_ptr<CoreDocument> m_core;
    mutable std::mutex m_qtMutex;
    mutable bool m_qtTried = false;
    mutable std::unique_ptr<Poppler::Document> m_qt;
    int m_pageCount = 0;
    // Filled at the first question; guarded because reopen() may run on a worker meanwhile.
    mutable std::mutex m_labelsMutex;
    mutable std::optional<QStringList> m_labels;
    mutable std::optional<std::vector<PageLabelRange>> m_labelRanges;
    mutable std::deque<PageText> m_textCache;
    mutable std::vector<bool> m_drawn; ///< pages drawn, so that each counts once
    mutable qint64 m_drawnAnnotations = 0;
    // The file's content shared by the copies of reopenForScan() while any of them lives.
    mutable std::mutex m_scanMutex;
    mutable std::weak_ptr<const QByteArray> m_scanBytes;
};

} // namespace tolvo::pdf
