// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Poppler's core API behind one door. Poppler-Qt6 draws the pages; what must be
// exact is read here, through Poppler's private core classes (PDFDoc, Object,
// TextOutputDev), because the public Qt API cannot give it:
//  - page space as the file writes it: the Qt wrapper rounds destination points and
//    hides the crop box's origin, so locations and page sizes would drift;
//  - annotations' rectangles and quadrilaterals straight from /Annots, without building
//    an annotation object for each (a manual can hold tens of thousands of links);
//  - a text layer and text search whose boxes map back to exact page space (crop box
//    origin included), laid out in the orientation most of the page's text reads in;
//  - page labels and the outline read with limits that a damaged file cannot get past.
//
// The core API is not stable: it changes between Poppler releases without notice. This
// folder is built and tested against Poppler 22.12 (Debian 12); src/pdf/CMakeLists.txt
// warns on another year's release. Only the files of this folder include Poppler's core
// headers (the layering test checks it), and the rest of src/pdf uses this header alone.

#include "pdf/PageLabels.h"
#include "pdf/PageSpace.h"
#include "pdf/PdfDocument.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace tolvo::pdf {

/// A page's words in layout space: the crop box turned so that most text on the page reads upright.
struct TextLayer {
    PageTransform transform; ///< page space to layout space and back
    std::vector<TextWord> words; ///< reading order; bounds in layout space; index set, line not yet
};

/// One PDF file opened through Poppler's core API, with Poppler's global state kept alive
/// for as long as the document lives (a Poppler-Qt document opened meanwhile shares it).
class CoreDocument {
public:
    /// Why a file did not open.
    enum class Failure { None, Encrypted, CannotOpen, Damaged, NoPages };

    struct Opened {
        std::unique_ptr<CoreDocument> document; ///< nothing when failure is not None
        Failure failure = Failure::None;
        int openErrno = 0; ///< the system's reason, for CannotOpen
        bool repaired = false; ///< Poppler rebuilt a broken cross-reference table
        int lostPages = 0; ///< pages that did not survive the repair
    };

    /// Opens the file at an absolute path; an encrypted file with the password given (tried as
    /// the owner's and as the user's password). A wrong or missing password fails as Encrypted.
    /// With bytes, the file's content read beforehand is read from memory (kept while the document lives).
    static Opened open(const QString& absolutePath, const QByteArray& password = QByteArray(),
        std::shared_ptr<const QByteArray> bytes = nullptr);
    /// The raw bytes of the first string of the trailer's /ID of the file at an absolute
    /// path; empty when it has none or is no readable PDF. Reads the trailer only.
    static QByteArray permanentId(const QString& absolutePath);
    /// The same of this open document, without reading the file again.
    QByteArray permanentId() const;
    ~CoreDocument();
    CoreDocument(const CoreDocument&) = delete;
    CoreDocument& operator=(const CoreDocument&) = delete;

    int pageCount() const;
    /// The crop box, media box and rotation of a page; an empty geometry for a page that cannot be read.
    PageGeometry pageGeometry(int pageIndex) const;
    /// Every page's label, in page order; a page the file labels with nothing gets its number, "1", "2", ...
    QStringList pageLabels() const;
    /// The label ranges, sorted by their first page: one page's label without every page's.
    std::vector<PageLabelRange> pageLabelRanges() const;
    /// The outline entries, with exact destinations; a loop or endless nesting ends the walk.
    std::vector<OutlineEntry> outline() const;
    /// The annotations of one page in the order of its /Annots array.
    std::vector<Annotation> annotations(int pageIndex) const;
    /// How many entries the page's /Annots array has (0 for none or a damaged one), without
    /// reading the annotations themselves.
    int annotationCount(int pageIndex) const;
    /// The page's text layer; nothing when the page cannot be read. Annotations contribute no text.
    std::optional<TextLayer> textLayer(int pageIndex) const;
    /// The links of one page that lead somewhere (core/CoreLinks.h).
    std::vector<PageLink> links(int pageIndex) const;
    /// The page's text for the find; nothing when the page cannot be read.
    std::optional<FindText> findText(int pageIndex) const;
    /// Where the page draws raster images (core/CoreImageAreas.h); nothing when it cannot be read.
    std::optional<QVector<QRectF>> imageAreas(int pageIndex) const;
    /// Case-insensitive matches of text on one page, in page space.
    QVector<QRectF> search(int pageIndex, const QString& text) const;

private:
    struct Private;
    explicit CoreDocument(std::unique_ptr<Private> d);

    std::unique_ptr<Private> d;
};

} // namespace tolvo::pdf
