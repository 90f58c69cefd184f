// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// PDF document services: the one interface through which Tolvo reads, draws,
// searches and inspects PDFs. The Poppler adapter behind it is the only code
// that sees Poppler.
//
// Page space: PDF user space of the unrotated page, in points, y growing
// upward. A destination written as [page /XYZ 72 700 0] is the point (72, 700).
// A rectangle in page space is a QRectF whose x() and y() are its lower-left corner
// (the smallest x and y) and whose width and height are positive.
//
// Threads: one Document may be used by one thread at a time. A worker thread
// (rendering, text search) takes its own copy with reopen(), the one call that
// any thread may make while the Document lives: a worker opens its copy itself,
// so that the window's thread does not wait for the file to be read again.

#include "pdf/PdfMarks.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tolvo::pdf {

class DrawingCopy;

/// Where an outline entry or a link leads: a page and, when the PDF names one, a point on it.
/// /XYZ gives (left, top); a left or top written as null is taken from the corner of the page
/// that shows top-left (both null: no point). /FitH and /FitBH give their top, /FitV and /FitBV
/// their left, the other coordinate again from that corner; /FitR gives the corner of its
/// rectangle that shows top-left; /Fit and /FitB give no point.
struct Destination {
    int pageIndex = -1;
    std::optional<QPointF> point; ///< page space
};

/// One entry of the PDF's outline, with its children in order.
struct OutlineEntry {
    QString title;
    std::optional<Destination> destination; ///< nothing when the entry leads nowhere
    std::vector<OutlineEntry> children;
};

/// The geometry of one page.
struct PageGeometry {
    QRectF mediaBox; ///< page space
    QRectF cropBox; ///< page space; what readers see
    int rotation = 0; ///< 0, 90, 180 or 270, clockwise as displayed
    /// The displayed size in points (the crop box, turned by the rotation).
    QSizeF displaySize() const;
};

/// One annotation of a page, as the search pane and the export see it.
struct Annotation {
    /// The PDF subtype as named there: "Text", "FreeText", "Popup", "Highlight",
    /// "Underline", "StrikeOut", "Squiggly", "Link", "Ink", ...
    QString type;
    bool isMarkup = false; ///< text markup: highlight, underline, strike-out, squiggly
    /// For markup: highlight 0, strike-out 1, underline 2, squiggly 3; -1 otherwise.
    int markupType = -1;
    std::optional<QString> contents; ///< nothing when the annotation has no /Contents
    QRectF bounds; ///< page space
    QVector<QPointF> quadPoints; ///< page space, four per quadrilateral, as stored in the PDF
    int pageIndex = -1;
    QString name; ///< the annotation's /NM, which names it among the page's annotations; may be empty
    std::optional<QColor> colour; ///< /C as RGB (grey and CMYK converted); nothing when absent or empty
};

/// One word of a page's text layer, in reading order.
struct TextWord {
    QString text;
    QRectF bounds; ///< page space
    bool spaceAfter = false;
    bool lineEndsAfter = false;
    int index = -1; ///< its place in words(pageIndex)
    int line = -1; ///< the line of the page it belongs to, counted from 0 in reading order
};

/// One line of selected text on one page.
struct SelectionLine {
    int pageIndex = -1;
    QString text;
    QRectF bounds; ///< page space
    int lineIndex = -1; ///< the line of the page (TextWord::line)
    /// The selected words of that line, in reading order; a line made without words is kept as it
    /// is by TextSelection::add.
    std::vector<TextWord> words {};
};

/// One word of a page's text as the find reads it: in layout space (the page turned so that most
/// of its text reads upright, y down), with where each of its characters starts along the line.
/// Its characters and edges lie in arrays of the page (FindText), so that a page of a thousand
/// words is three blocks of memory rather than two thousand.
struct FindWord {
    QRectF box; ///< layout space
    int textFrom = 0; ///< its units in FindText::text
    int textLength = 0;
    /// Normally textLength + 1 positions along the reading direction in FindText::edges: unit i
    /// runs from edge i to edge i + 1.
    int edgeFrom = 0;
    int edgeCount = 0;
    int turns = 0; ///< quarter turns of the word within the layout; 0 for upright text
    bool spaceAfter = false;
    bool lineEndsAfter = false;
};

/// A page's text for the find: its words in reading order and the way back to page space.
struct FindText {
    QRectF cropBox; ///< page space
    int rotation = 0; ///< of the layout: the page's rotation plus the turns that made its text upright
    std::vector<FindWord> words;
    QString text; ///< every word's units, one word after the other
    std::vector<float> edges; ///< every word's edges, one word after the other

    QStringView textOf(const FindWord& word) const { return QStringView(text).mid(word.textFrom, word.textLength); }
    const float* edgesOf(const FindWord& word) const { return edges.data() + word.edgeFrom; }
    /// Appends word, with its units and edges (its own text and edge fields are set here).
    void append(FindWord word, QStringView units, const float* wordEdges, int edgeCount)
    {
        word.textFrom = int(text.size());
        word.textLength = int(units.size());
        text.append(units);
        word.edgeFrom = int(edges.size());
        word.edgeCount = edgeCount;
        edges.insert(edges.end(), wordEdges, wordEdges + edgeCount);
        words.push_back(word);
    }
};

/// A link annotation of a page and where it leads.
struct PageLink {
    enum class Kind {
        Destination, ///< a place in this PDF (a destination, a named destination, a go-to action)
        Uri, ///< an address for another program (a URI action)
        Named, ///< a named action: NextPage, PrevPage, FirstPage, LastPage, GoBack, GoForward
    };
    Kind kind = Kind::Destination;
    QRectF area; ///< page space
    Destination destination; ///< for Kind::Destination
    QString target; ///< the address of Kind::Uri, the action's name of Kind::Named
};

/// Selected text: its string, its lines in reading order, its bounds per page.
struct TextSelection {
    QString text;
    std::vector<SelectionLine> lines;
    bool isEmpty() const { return lines.empty(); }
    /// The pages that the selection touches, in order.
    QVector<int> pages() const;
    /// The union of the selection's line bounds on one page (empty when it does not touch it).
    QRectF boundsForPage(int pageIndex) const;
    /// Merges another selection into this one: a word selected by both appears once, lines stay
    /// in page and reading order, and the text is rebuilt (words joined by spaces, lines by line breaks).
    void add(const TextSelection& other);
    /// A selection made of words of one page (each with its index and line set), in any order.
    static TextSelection fromWords(int pageIndex, std::vector<TextWord> words);
};

class Document {
public:
    virtual ~Document() = default;

    /// The file this document was opened from (absolute path).
    virtual QString filePath() const = 0;

    /// A fresh Document over the same file, for a worker thread; nothing when the file can no longer be read.
    /// Safe from any thread while this Document lives.
    virtual std::unique_ptr<Document> reopen() const = 0;
    /// A copy as reopen() gives, for reading the text of every page in turn. Poppler reads a file
    /// a few hundred bytes at a time, a system call each, which costs a tenth of such a read: a
    /// file of up to kScanInMemoryLimit bytes is read into memory once instead, shared by all such
    /// copies while any of them lives.
    virtual std::unique_ptr<Document> reopenForScan() const { return reopen(); }
    static constexpr qint64 kScanInMemoryLimit = qint64(64) << 20;

    /// Whether the file at filePath() is still the one this Document was read from: the same
    /// place on disk, size and modification time. A worker that takes a fresh copy while the
    /// window is open asks first, so that a PDF rewritten, moved or deleted meanwhile goes on
    /// being read as it was opened. Any thread.
    virtual bool fileUnchanged() const { return true; }

    /// Annotations of the pages this Document has drawn, each page counted once: Poppler keeps a
    /// drawn page's annotations parsed for as long as the Document lives, which for the index of
    /// a long manual (two hundred links a page) is more than the page itself.
    virtual qint64 annotationsOfDrawnPages() const { return 0; }

    /// The PDF's permanent identifier as permanentDocumentId() gives it (hex; empty: none),
    /// known without reading the file again; nothing when this Document cannot tell.
    virtual std::optional<QByteArray> permanentId() const { return std::nullopt; }

    virtual int pageCount() const = 0;

    /// The page's label as readers see it: the PDF's own label, else "1", "2", ...
    virtual QString pageLabel(int pageIndex) const = 0;
    /// Every page's label, in page order.
    virtual QStringList pageLabels() const = 0;

    virtual PageGeometry pageGeometry(int pageIndex) const = 0;

    /// The outline; empty when the PDF has none. A damaged outline is cut where it loops back
    /// (each item is read once), below 100 levels and after 200,000 entries.
    virtual std::vector<OutlineEntry> outline() const = 0;

    /// The annotations of one page, in the page's order, links and pop-ups included.
    virtual std::vector<Annotation> annotations(int pageIndex) const = 0;

    /// The words of one page's text layer that lie on the visible (cropped) page, in reading
    /// order. Lines run the way most of the page's text reads, also where a turned page shows its
    /// text sideways. Text drawn by annotations is not part of it.
    virtual std::vector<TextWord> words(int pageIndex) const = 0;

    /// The text inside a rectangle of a page (page space): the words at least half inside it, or the
    /// word that holds most of a rectangle smaller than a word.
    virtual TextSelection selectionForRect(int pageIndex, const QRectF& rect) const = 0;
    /// The text from one point to another, in reading order, possibly across pages: from the word
    /// at or nearest the one point to the word at or nearest the other, whichever comes first.
    virtual TextSelection selectionFromPoint(
        int fromPage, const QPointF& from, int toPage, const QPointF& to) const = 0;

    /// The links of one page that lead somewhere Tolvo can follow, in the page's order: links
    /// whose destination names no page of this PDF, and other kinds of action, are left out.
    virtual std::vector<PageLink> links(int pageIndex) const
    {
        (void)pageIndex;
        return {};
    }

    /// Case-insensitive matches of text on one page, as rectangles in page space (one per match;
    /// a match does not run across a line break).
    virtual QVector<QRectF> search(int pageIndex, const QString& text) const = 0;

    /// The page's text for the find; nothing when the page cannot be read or the read was ended
    /// (WorkAbort.h). This one spreads each word's characters evenly over its box; a document
    /// that knows where its characters are says so.
    virtual std::optional<FindText> findText(int pageIndex) const;

    /// The page drawn at scale pixels per point, its annotations included.
    /// shouldAbort is polled while drawing; an aborted draw gives a null image, and so does a page
    /// that cannot be read or a scale that would make an image beyond 32767 pixels a side or 120
    /// million pixels.
    virtual QImage render(int pageIndex, double scale, const std::function<bool()>& shouldAbort = {}) const = 0;

    /// Where the page draws raster images (photos, scans, figures), as rectangles in page space
    /// clipped to the visible page; image masks (stencils painted in one colour) do not count.
    /// Empty when it has none or cannot be read, and when the read was ended (WorkAbort.h).
    /// This one knows of no images.
    virtual QVector<QRectF> imageAreas(int pageIndex) const
    {
        (void)pageIndex;
        return {};
    }

    /// Takes a drawing copy of this same file (openDrawingCopy()), so that drawing does not read the
    /// file again; false, and the copy let go, when it was read from another version of the file
    /// or this document draws without one. Before the first drawing only.
    virtual bool adoptDrawingCopy(std::unique_ptr<DrawingCopy> copy)
    {
        (void)copy;
        return false;
    }

    /// Writes this PDF with the edits applied to destination, as an incremental update: the
    /// file's bytes come first unchanged and its /ID stays. Then reads destination back and
    /// checks its pages and that each edit is there. False, with a reason in *error, when
    /// anything fails; destination may then hold a partial file. The document itself is unchanged.
    virtual bool writeMarks(const std::vector<MarkEdit>& edits, const QString& destination, QString* error) const
    {
        (void)edits;
        (void)destination;
        if (error)
            *error = QStringLiteral("this document cannot be written");
        return false;
    }
};

/// A PDF read for drawing only. Reading it is the part of opening a PDF that the first page waits
/// for, so it may be read beside the Document it will later join (Document::adoptDrawingCopy())
/// and draw before that Document is open. One thread at a time, as a Document.
class DrawingCopy {
public:
    virtual ~DrawingCopy() = default;
    virtual int pageCount() const = 0;
    /// Reads what drawing pageIndex needs from the file's structure, so that a render() that
    /// follows only draws. Nothing happens for a page out of range.
    virtual void preparePage(int pageIndex) const = 0;
    /// As Document::render(), in the page's own size as the drawing sees it.
    virtual QImage render(int pageIndex, double scale, const std::function<bool()>& shouldAbort = {}) const = 0;
};

/// Reads path for drawing; nothing when it cannot be read or needs a password that was not given.
std::unique_ptr<DrawingCopy> openDrawingCopy(const QString& path, const QByteArray& password = QByteArray());

/// Gives a copy of a document opened elsewhere, waiting for it when it is still being opened;
/// nothing when that failed. Called once, on the thread that will use the copy.
using DocumentCopySource = std::function<std::unique_ptr<Document>()>;

/// The outcome of opening a PDF: the document, or a reason a person can read.
struct OpenResult {
    std::unique_ptr<Document> document;
    QString error; ///< empty when document is set
    /// The file is encrypted and the password given (if any) does not open it.
    bool needsPassword = false;
};

/// Opens a PDF file, an encrypted one with its user or owner password (a PDF with only an owner
/// password opens without one). Never throws; a damaged, encrypted or non-PDF file gives an error
/// text: "NAME is not a PDF file", "NAME is password protected", "the password given for NAME is
/// wrong", "NAME could not be read: REASON".
OpenResult openDocument(const QString& path, const QByteArray& password = QByteArray());

} // namespace tolvo::pdf
