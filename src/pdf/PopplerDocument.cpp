// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/PopplerDocument.h"

#include "pdf/PdfLog.h"
#include "pdf/core/CoreDocument.h"

#include <poppler-qt6.h>

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstring>
#include <utility>

#include <sys/stat.h>

namespace tolvo::pdf {

namespace {

// Bitmaps beyond these would take gigabytes; a caller asking for one gets a null image instead.
constexpr double maxImageSide = 32767;
constexpr double maxImagePixels = 120e6;
// Text layers kept for selections; a page's annotations usually ask for one page many times.
constexpr size_t textCacheSize = 4;

QString readProblem(const QString& name, const QString& reason)
{
    return QStringLiteral("%1 could not be read: %2").arg(name, reason);
}

QString lowerFirst(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

// Problems that the file system answers for, before Poppler sees the file. *headerFound tells whether the
// file starts like a PDF; one that does not may still be a PDF behind a mail program's headers.
QString fileProblem(const QFileInfo& info, const QString& name, bool* headerFound)
{
    if (!info.exists())
        return readProblem(name, QStringLiteral("there is no such file"));
    if (info.isDir())
        return readProblem(name, QStringLiteral("it is a folder"));
    if (!info.isFile())
        return readProblem(name, QStringLiteral("it is not a regular file"));
    QFile file(info.absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return readProblem(name, lowerFirst(file.errorString()));
    // Readers look for the header in the first kilobyte.
    *headerFound = file.read(1024).contains("%PDF-");
    return QString();
}

struct AbortState {
    const std::function<bool()>* shouldAbort = nullptr;
    bool aborted = false;
};

bool abortRender(const QVariant& closure)
{
    auto* state = reinterpret_cast<AbortState*>(closure.value<quintptr>());
    if (!state->aborted && (*state->shouldAbort)())
        state->aborted = true;
    return state->aborted;
}

// Whether a page of size (points) may be drawn at scale: not a page too small to show, nor one
// whose bitmap would take gigabytes.
bool drawableAt(const QSizeF& pageSize, double scale, int pageIndex)
{
    if (!std::isfinite(scale) || scale <= 0)
        return false;
    const QSizeF size = pageSize * scale;
    if (size.width() < 0.5 || size.height() < 0.5)
        return false;
    if (size.width() > maxImageSide || size.height() > maxImageSide || size.width() * size.height() > maxImagePixels) {
        qCInfo(lcPdf) << "not drawing page" << pageIndex << "at" << size << "pixels";
        return false;
    }
    return true;
}

QImage renderQtPage(const Poppler::Page& page, double scale, const std::function<bool()>& shouldAbort)
{
    const double dpi = 72.0 * scale;
    if (!shouldAbort)
        return page.renderToImage(dpi, dpi);
    AbortState state;
    state.shouldAbort = &shouldAbort;
    QImage image = page.renderToImage(dpi, dpi, -1, -1, -1, -1, Poppler::Page::Rotate0, nullptr, nullptr, abortRender,
        QVariant::fromValue(quintptr(&state)));
    return state.aborted ? QImage() : image;
}

// Poppler's Qt document over path, set up for drawing; nothing when it cannot be read or stays locked.
std::unique_ptr<Poppler::Document> loadForDrawing(const QString& path, const QByteArray& password)
{
    std::unique_ptr<Poppler::Document> qt = Poppler::Document::load(path, password, password);
    if (!qt || qt->isLocked())
        return nullptr;
    qt->setRenderHint(Poppler::Document::Antialiasing);
    qt->setRenderHint(Poppler::Document::TextAntialiasing);
    return qt;
}

// What tells a file's versions apart without reading it: device, inode, size and modification time.
std::optional<std::array<qint64, 5>> stampOf(const QString& path)
{
    struct stat st { };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return std::array<qint64, 5> { qint64(st.st_dev), qint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec),
        qint64(st.st_mtim.tv_nsec) };
}

class PopplerDrawingCopy final : public DrawingCopy {
public:
    PopplerDrawingCopy(std::unique_ptr<Poppler::Document> qt, std::optional<std::array<qint64, 5>> stamp)
        : m_qt(std::move(qt))
        , m_stamp(stamp)
        , m_pageCount(m_qt->numPages())
    {
    }

    int pageCount() const override { return m_pageCount; }

    // Finding a page in a big PDF reads its page tree and the object streams on the way, which
    // Poppler keeps; the page itself is kept for the drawing.
    void preparePage(int pageIndex) const override
    {
        if (pageIndex >= 0 && pageIndex < m_pageCount && (!m_prepared || m_prepared->index() != pageIndex))
            m_prepared = m_qt->page(pageIndex);
    }

    QImage render(int pageIndex, double scale, const std::function<bool()>& shouldAbort) const override
    {
        if (pageIndex < 0 || pageIndex >= m_pageCount)
            return QImage();
        preparePage(pageIndex);
        const std::unique_ptr<Poppler::Page> page = std::exchange(m_prepared, nullptr);
        if (!page || !drawableAt(page->pageSizeF(), scale, pageIndex))
            return QImage();
        m_drawn.push_back(pageIndex);
        return renderQtPage(*page, scale, shouldAbort);
    }

    /// The file as it was just before it was read; empty when it could not be asked.
    std::optional<std::array<qint64, 5>> stamp() const { return m_stamp; }
    std::unique_ptr<Poppler::Document> takeDocument()
    {
        // A page does not outlive the document it belongs to.
        m_prepared.reset();
        return std::move(m_qt);
    }
    const std::vector<int>& drawn() const { return m_drawn; }

private:
    std::unique_ptr<Poppler::Document> m_qt;
    std::optional<std::array<qint64, 5>> m_stamp;
    int m_pageCount = 0;
    mutable std::unique_ptr<Poppler::Page> m_prepared;
    mutable std::vector<int> m_drawn;
};

} // namespace

std::unique_ptr<DrawingCopy> openDrawingCopy(const QString& path, const QByteArray& password)
{
    routePopplerMessages();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const auto stamp = stampOf(absolute);
    std::unique_ptr<Poppler::Document> qt = loadForDrawing(absolute, password);
    if (!qt || qt->numPages() <= 0)
        return nullptr;
    return std::make_unique<PopplerDrawingCopy>(std::move(qt), stamp);
}

OpenResult openDocument(const QString& path, const QByteArray& password)
{
    OpenResult result;
    std::unique_ptr<PopplerDocument> document
        = PopplerDocument::open(path, &result.error, password, &result.needsPassword);
    result.document = std::move(document);
    return result;
}

std::unique_ptr<PopplerDocument> PopplerDocument::open(const QString& path, QString* error, const QByteArray& password,
    bool* needsPassword, std::shared_ptr<const QByteArray> bytes)
{
    routePopplerMessages();
    const QFileInfo info(path);
    const QString name = info.fileName().isEmpty() ? path : info.fileName();
    auto fail = [error](const QString& message) {
        if (error)
            *error = message;
        qCDebug(lcPdf).noquote() << message;
        return std::unique_ptr<PopplerDocument>();
    };
    bool headerFound = false;
    if (const QString problem = fileProblem(info, name, &headerFound); !problem.isEmpty())
        return fail(problem);
    const QString notPdf = name + QStringLiteral(" is not a PDF file");

    const QString absolute = info.absoluteFilePath();
    const auto stamp = stampOf(absolute);
    CoreDocument::Opened opened = CoreDocument::open(absolute, password, std::move(bytes));
    switch (opened.failure) {
    case CoreDocument::Failure::None:
        break;
    case CoreDocument::Failure::Encrypted:
        if (needsPassword)
            *needsPassword = true;
        return fail(password.isEmpty() ? QStringLiteral("%1 is password protected").arg(name)
                                       : QStringLiteral("the password given for %1 is wrong").arg(name));
    case CoreDocument::Failure::CannotOpen:
        return fail(readProblem(name, lowerFirst(QString::fromLocal8Bit(std::strerror(opened.openErrno)))));
    case CoreDocument::Failure::Damaged:
        return fail(headerFound ? readProblem(name, QStringLiteral("the file is damaged")) : notPdf);
    case CoreDocument::Failure::NoPages:
        return fail(headerFound ? readProblem(name, QStringLiteral("it has no pages")) : notPdf);
    }
    if (opened.repaired || !headerFound)
        qCInfo(lcPdf).noquote() << name << "was repaired while opening;" << opened.lostPages << "of"
                                << opened.document->pageCount() << "pages could not be read";
    std::unique_ptr<PopplerDocument> document(new PopplerDocument(absolute, std::move(opened.document)));
    document->m_password = password;
    document->m_stamp = stamp;
    return document;
}

PopplerDocument::PopplerDocument(QString path, std::unique_ptr<CoreDocument> core)
    : m_path(std::move(path))
    , m_core(std::move(core))
    , m_pageCount(m_core->pageCount())
{
}

// Only drawing needs Poppler's Qt document, a second reading of the whole file: the copies that
// read links, annotations, text or page sizes, and the window's own document, never make one.
const Poppler::Document* PopplerDocument::drawingDocument() const
{
    std::lock_guard lock(m_qtMutex);
    if (m_qtTried)
        return m_qt.get();
    m_qtTried = true;
    // Pages of another file are never drawn into this one's view.
    if (m_stamp && stampOf(m_path) != m_stamp) {
        qCInfo(lcPdf).noquote() << m_path << "changed after it was opened; its pages are not drawn from this copy";
        return nullptr;
    }
    std::unique_ptr<Poppler::Document> qt = loadForDrawing(m_path, m_password);
    if (!qt || qt->numPages() != m_pageCount) {
        qCInfo(lcPdf).noquote() << m_path << "could not be read again for drawing";
        return nullptr;
    }
    m_qt = std::move(qt);
    return m_qt.get();
}

bool PopplerDocument::adoptDrawingCopy(std::unique_ptr<DrawingCopy> copy)
{
    auto* drawing = dynamic_cast<PopplerDrawingCopy*>(copy.get());
    std::lock_guard lock(m_qtMutex);
    // Only a reading of the very version this document read draws its pages.
    if (!drawing || m_qtTried || !m_stamp || drawing->stamp() != m_stamp || drawing->pageCount() != m_pageCount)
        return false;
    m_qtTried = true;
    m_qt = drawing->takeDocument();
    for (int page : drawing->drawn())
        noteDrawn(page);
    return true;
}

PopplerDocument::~PopplerDocument()
{
    // The Qt document goes before the core one, which holds Poppler's global state.
    m_qt.reset();
    m_core.reset();
}

std::unique_ptr<Document> PopplerDocument::reopen() const
{
    std::optional<QStringList> labels;
    {
        const std::lock_guard lock(m_labelsMutex);
        labels = m_labels;
    }
    std::unique_ptr<PopplerDocument> copy = open(m_path, nullptr, m_password);
    if (copy && copy->m_pageCount == m_pageCount)
        copy->m_labels = std::move(labels);
    return copy;
}

bool PopplerDocument::fileUnchanged() const
{
    return m_stamp && stampOf(m_path) == m_stamp;
}

std::unique_ptr<Document> PopplerDocument::reopenForScan() const
{
    std::shared_ptr<const QByteArray> bytes;
    {
        const std::lock_guard lock(m_scanMutex);
        bytes = m_scanBytes.lock();
        if (!bytes) {
            QFile file(m_path);
            if (file.open(QIODevice::ReadOnly) && file.size() <= kScanInMemoryLimit) {
                auto read = std::make_shared<QByteArray>(file.readAll());
                if (read->size() == file.size())
                    bytes = std::move(read);
            }
            m_scanBytes = bytes;
        }
    }
    if (!bytes)
        return reopen();
    std::optional<QStringList> labels;
    {
        const std::lock_guard lock(m_labelsMutex);
        labels = m_labels;
    }
    std::unique_ptr<PopplerDocument> copy = open(m_path, nullptr, m_password, nullptr, std::move(bytes));
    if (!copy || copy->m_pageCount != m_pageCount)
        return reopen();
    copy->m_labels = std::move(labels);
    return copy;
}

std::optional<QByteArray> PopplerDocument::permanentId() const
{
    return m_core->permanentId().toHex();
}

QStringList PopplerDocument::pageLabels() const
{
    const std::lock_guard lock(m_labelsMutex);
    if (!m_labels)
        m_labels = m_core->pageLabels();
    return *m_labels;
}

QString PopplerDocument::pageLabel(int pageIndex) const
{
    if (!isPage(pageIndex))
        return QString();
    const std::lock_guard lock(m_labelsMutex);
    if (m_labels)
        return m_labels->value(pageIndex);
    // A window's first page shows its label before anything needs them all: a big manual's
    // whole list is thousands of labels written out.
    if (!m_labelRanges)
        m_labelRanges = m_core->pageLabelRanges();
    return pageLabelIn(*m_labelRanges, pageIndex);
}

PageGeometry PopplerDocument::pageGeometry(int pageIndex) const
{
    return m_core->pageGeometry(pageIndex);
}

std::vector<OutlineEntry> PopplerDocument::outline() const
{
    return m_core->outline();
}

std::vector<Annotation> PopplerDocument::annotations(int pageIndex) const
{
    return m_core->annotations(pageIndex);
}

const PopplerDocument::PageText* PopplerDocument::pageText(int pageIndex) const
{
    if (!isPage(pageIndex))
        return nullptr;
    for (const PageText& cached : m_textCache)
        if (cached.pageIndex == pageIndex)
            return &cached;
    std::optional<TextLayer> layer = m_core->textLayer(pageIndex);
    if (!layer)
        return nullptr;
    PageText text;
    text.pageIndex = pageIndex;
    text.transform = layer->transform;
    text.words = std::move(layer->words);
    text.lines = splitLines(text.words);
    if (m_textCache.size() >= textCacheSize)
        m_textCache.pop_front();
    m_textCache.push_back(std::move(text));
    return &m_textCache.back();
}

std::vector<TextWord> PopplerDocument::words(int pageIndex) const
{
    const PageText* text = pageText(pageIndex);
    if (!text)
        return {};
    std::vector<TextWord> result = text->words;
    for (TextWord& word : result)
        word.bounds = text->transform.toPage(word.bounds);
    return result;
}

TextSelection PopplerDocument::selectWords(const PageText& text, const std::vector<int>& indexes) const
{
    std::vector<TextWord> chosen;
    chosen.reserve(indexes.size());
    for (int i : indexes) {
        TextWord word = text.words[size_t(i)];
        word.bounds = text.transform.toPage(word.bounds);
        chosen.push_back(std::move(word));
    }
    return TextSelection::fromWords(text.pageIndex, std::move(chosen));
}

TextSelection PopplerDocument::selectWords(const PageText& text, int first, int last) const
{
    std::vector<int> indexes;
    for (int i = std::max(first, 0); i <= last && i < int(text.words.size()); ++i)
        indexes.push_back(i);
    return selectWords(text, indexes);
}

TextSelection PopplerDocument::selectionForRect(int pageIndex, const QRectF& rect) const
{
    const PageText* text = pageText(pageIndex);
    if (!text)
        return {};
    return selectWords(*text, wordsInRect(text->words, text->transform.toDisplay(rect)));
}

TextSelection PopplerDocument::selectionFromPoint(
    int fromPage, const QPointF& from, int toPage, const QPointF& to) const
{
    if (!isPage(fromPage) || !isPage(toPage))
        return {};
    QPointF start = from, end = to;
    if (fromPage > toPage) {
        std::swap(fromPage, toPage);
        std::swap(start, end);
    }
    TextSelection selection;
    for (int page = fromPage; page <= toPage; ++page) {
        const PageText* text = pageText(page);
        if (!text || text->words.empty())
            continue;
        int first = 0, last = int(text->words.size()) - 1;
        if (page == fromPage)
            first = wordNearest(text->words, text->lines, text->transform.toDisplay(start));
        if (page == toPage)
            last = wordNearest(text->words, text->lines, text->transform.toDisplay(end));
        if (first > last)
            std::swap(first, last);
        selection.add(selectWords(*text, first, last));
    }
    return selection;
}

std::vector<PageLink> PopplerDocument::links(int pageIndex) const
{
    return m_core->links(pageIndex);
}

std::optional<FindText> PopplerDocument::findText(int pageIndex) const
{
    return isPage(pageIndex) ? m_core->findText(pageIndex) : std::nullopt;
}

QVector<QRectF> PopplerDocument::search(int pageIndex, const QString& text) const
{
    return m_core->search(pageIndex, text);
}

QVector<QRectF> PopplerDocument::imageAreas(int pageIndex) const
{
    return isPage(pageIndex) ? m_core->imageAreas(pageIndex).value_or(QVector<QRectF>()) : QVector<QRectF>();
}

void PopplerDocument::noteDrawn(int pageIndex) const
{
    if (m_drawn.empty())
        m_drawn.resize(std::size_t(m_pageCount), false);
    if (m_drawn[std::size_t(pageIndex)])
        return;
    m_drawn[std::size_t(pageIndex)] = true;
    m_drawnAnnotations += m_core->annotationCount(pageIndex);
}

qint64 PopplerDocument::annotationsOfDrawnPages() const
{
    return m_drawnAnnotations;
}

QImage PopplerDocument::render(int pageIndex, double scale, const std::function<bool()>& shouldAbort) const
{
    // A page that cannot be read has no size, and is not drawn.
    if (!isPage(pageIndex) || !drawableAt(pageGeometry(pageIndex).displaySize(), scale, pageIndex))
        return QImage();
    const Poppler::Document* qt = drawingDocument();
    if (!qt)
        return QImage();
    const std::unique_ptr<Poppler::Page> page = qt->page(pageIndex);
    if (!page)
        return QImage();
    noteDrawn(pageIndex);
    return renderQtPage(*page, scale, shouldAbort);
}

} // namespace tolvo::pdf
