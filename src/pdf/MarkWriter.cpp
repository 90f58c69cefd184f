// SPDX-License-Identifier: GPL-3.0-or-later
// Writing marks into a PDF through Poppler-Qt6, whose annotations take coordinates
// normalised to the displayed page (0 to 1 from its top-left corner).
#include "pdf/PageSpace.h"
#include "pdf/PopplerDocument.h"

#include <poppler-qt6.h>

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <map>

namespace tolvo::pdf {

namespace {

class Normaliser {
public:
    explicit Normaliser(const PageGeometry& geometry)
        : m_transform(geometry.cropBox, geometry.rotation)
        , m_size(m_transform.displaySize())
    {
    }
    QPointF point(const QPointF& page) const
    {
        const QPointF d = m_transform.toDisplay(page);
        return QPointF(d.x() / m_size.width(), d.y() / m_size.height());
    }
    QRectF rect(const QRectF& page) const
    {
        return QRectF(point(page.topLeft()), point(page.bottomRight())).normalized();
    }
    bool valid() const { return m_size.width() > 0 && m_size.height() > 0; }

private:
    PageTransform m_transform;
    QSizeF m_size;
};

Poppler::HighlightAnnotation::HighlightType highlightTypeOf(MarkKind kind)
{
    switch (kind) {
    case MarkKind::Underline:
        return Poppler::HighlightAnnotation::Underline;
    case MarkKind::StrikeOut:
        return Poppler::HighlightAnnotation::StrikeOut;
    default:
        return Poppler::HighlightAnnotation::Highlight;
    }
}

std::unique_ptr<Poppler::Annotation> annotationFor(const Mark& mark, const Normaliser& norm)
{
    std::unique_ptr<Poppler::Annotation> annotation;
    if (mark.kind == MarkKind::Note) {
        auto note = std::make_unique<Poppler::TextAnnotation>(Poppler::TextAnnotation::Linked);
        note->setTextIcon(QStringLiteral("Note"));
        annotation = std::move(note);
    } else {
        auto markup = std::make_unique<Poppler::HighlightAnnotation>();
        markup->setHighlightType(highlightTypeOf(mark.kind));
        QList<Poppler::HighlightAnnotation::Quad> quads;
        for (const QRectF& line : mark.rects) {
            // Page space has y up: the line's top edge is its larger y. Corners go round the
            // quadrilateral from the top left; Poppler writes them in the PDF's own order.
            Poppler::HighlightAnnotation::Quad quad {};
            quad.points[0] = norm.point(QPointF(line.left(), line.bottom()));
            quad.points[1] = norm.point(QPointF(line.right(), line.bottom()));
            quad.points[2] = norm.point(QPointF(line.right(), line.top()));
            quad.points[3] = norm.point(QPointF(line.left(), line.top()));
            quad.capStart = quad.capEnd = false;
            quad.feather = 0.1;
            quads.append(quad);
        }
        markup->setHighlightQuads(quads);
        annotation = std::move(markup);
    }
    // In page space QRectF's top() is the lower edge; the normaliser sorts the corners out.
    annotation->setBoundary(norm.rect(mark.bounds()));
    annotation->setUniqueName(mark.id);
    annotation->setContents(mark.contents());
    const QDateTime now = QDateTime::currentDateTime();
    annotation->setCreationDate(now);
    annotation->setModificationDate(now);
    Poppler::Annotation::Style style = annotation->style();
    style.setColor(mark.colour);
    style.setOpacity(1.0);
    annotation->setStyle(style);
    return annotation;
}

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

} // namespace

bool PopplerDocument::writeMarks(const std::vector<MarkEdit>& edits, const QString& destination, QString* error) const
{
    // The document's own Poppler copy stays as it is: the edits go into a fresh one.
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(m_path, m_password, m_password);
    if (!doc || doc->isLocked() || doc->numPages() != m_pageCount)
        return fail(error, QStringLiteral("the PDF could not be read again"));

    // The last edit of an id wins; edits are grouped by page.
    std::map<int, std::map<QString, std::optional<Mark>>> byPage;
    for (const MarkEdit& edit : edits) {
        if (!isPage(edit.pageIndex) || edit.id.isEmpty())
            return fail(error, QStringLiteral("a mark names no page of the PDF"));
        for (auto& [page, ids] : byPage)
            if (page != edit.pageIndex)
                ids.erase(edit.id);
        byPage[edit.pageIndex][edit.id] = edit.mark;
    }
    for (const auto& [pageIndex, ids] : byPage) {
        std::unique_ptr<Poppler::Page> page = doc->page(pageIndex);
        if (!page)
            return fail(error, QStringLiteral("page %1 could not be read").arg(pageIndex + 1));
        for (std::unique_ptr<Poppler::Annotation>& existing : page->annotations())
            if (ids.count(existing->uniqueName())) {
                // Poppler destroys the annotation object it removes.
                page->removeAnnotation(existing.get());
                (void)existing.release();
            }
        const Normaliser norm(pageGeometry(pageIndex));
        if (!norm.valid())
            return fail(error, QStringLiteral("page %1 has no size").arg(pageIndex + 1));
        for (const auto& [id, mark] : ids)
            if (mark) {
                std::unique_ptr<Poppler::Annotation> annotation = annotationFor(*mark, norm);
                page->addAnnotation(annotation.get());
            }
    }

    std::unique_ptr<Poppler::PDFConverter> converter = doc->pdfConverter();
    converter->setOutputFileName(destination);
    converter->setPDFOptions(Poppler::PDFConverter::WithChanges);
    if (!converter->convert())
        return fail(error, QStringLiteral("writing %1 failed").arg(QFileInfo(destination).fileName()));

    // Read back what was written, with a reader of its own.
    QString readError;
    std::unique_ptr<PopplerDocument> written = open(destination, &readError, m_password);
    if (!written)
        return fail(error, QStringLiteral("the written file could not be read: %1").arg(readError));
    if (written->pageCount() != m_pageCount)
        return fail(error,
            QStringLiteral("the written file has %1 pages instead of %2").arg(written->pageCount()).arg(m_pageCount));
    for (const auto& [pageIndex, ids] : byPage) {
        QSet<QString> names;
        for (const Annotation& annotation : written->annotations(pageIndex))
            names.insert(annotation.name);
        for (const auto& [id, mark] : ids)
            if (names.contains(id) != mark.has_value())
                return fail(error,
                    QStringLiteral("a mark on page %1 did not arrive in the written file")
                        .arg(written->pageLabel(pageIndex)));
    }
    return true;
}

} // namespace tolvo::pdf
