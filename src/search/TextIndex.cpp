// SPDX-License-Identifier: GPL-3.0-or-later
#include "search/TextIndex.h"

#include "search/PageMatch.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QLoggingCategory>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tolvo {

Q_LOGGING_CATEGORY(lcIndex, "tolvo.index")

namespace {

// Raised whenever the tables or the page encoding change; a file of another layout is rebuilt.
constexpr int kSchemaVersion = 3;
// Marks Tolvo's index files (PRAGMA application_id), so that a foreign SQLite file is never read.
constexpr int kApplicationId = 0x546f6c76; // "Tolv"
constexpr quint8 kPageFormat = 3;
// Between the page labels kept in one value: a control character no label has.
constexpr char16_t kLabelSeparator = 0x1f;
// Character edges are kept as steps of 1/64 point from the word's first edge.
constexpr double kEdgeUnit = 64.0;

const char* const kSchema = "CREATE TABLE meta(key TEXT PRIMARY KEY, value BLOB) WITHOUT ROWID;"
                            "CREATE TABLE pages(page INTEGER PRIMARY KEY, words BLOB NOT NULL);"
                            "CREATE VIRTUAL TABLE body USING fts5(text, content='', tokenize='trigram');";

bool exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK)
        return true;
    qCWarning(lcIndex) << "index:" << (error ? error : "?");
    sqlite3_free(error);
    return false;
}

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            m_statement = nullptr;
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    explicit operator bool() const { return m_statement != nullptr; }
    sqlite3_stmt* get() const { return m_statement; }
    void bind(int i, qint64 value) { sqlite3_bind_int64(m_statement, i, value); }
    void bind(int i, const QByteArray& bytes)
    {
        sqlite3_bind_blob(m_statement, i, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    }
    void bindText(int i, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_statement, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    int step() { return sqlite3_step(m_statement); }
    QByteArray blob(int column) const
    {
        const void* data = sqlite3_column_blob(m_statement, column);
        return QByteArray(static_cast<const char*>(data), sqlite3_column_bytes(m_statement, column));
    }

private:
    sqlite3_stmt* m_statement = nullptr;
};

std::optional<QByteArray> metaValue(sqlite3* db, const char* key)
{
    Statement select(db, "SELECT value FROM meta WHERE key = ?");
    if (!select)
        return std::nullopt;
    sqlite3_bind_text(select.get(), 1, key, -1, SQLITE_STATIC);
    if (select.step() != SQLITE_ROW)
        return std::nullopt;
    return select.blob(0);
}

bool setMeta(sqlite3* db, const char* key, const QByteArray& value)
{
    Statement insert(db, "INSERT OR REPLACE INTO meta(key, value) VALUES (?, ?)");
    if (!insert)
        return false;
    sqlite3_bind_text(insert.get(), 1, key, -1, SQLITE_STATIC);
    insert.bind(2, value);
    return insert.step() == SQLITE_DONE;
}

void closeDb(sqlite3* db)
{
    if (db)
        sqlite3_close_v2(db);
}

QString indexPath(const IndexKey& key)
{
    return indexDirectory() + QLatin1Char('/') + key.fileName();
}

// Whether the open file is a complete index of key for pageCount pages.
bool isIndexOf(sqlite3* db, const IndexKey& key, int pageCount)
{
    Statement pragma(db, "PRAGMA application_id");
    if (!pragma || pragma.step() != SQLITE_ROW || sqlite3_column_int(pragma.get(), 0) != kApplicationId)
        return false;
    const auto number = [db](const char* name) {
        const std::optional<QByteArray> value = metaValue(db, name);
        return value ? value->toLongLong() : -1;
    };
    return number("schema") == kSchemaVersion && (pageCount < 0 ? number("pages") >= 0 : number("pages") == pageCount)
        && metaValue(db, "permanentId").value_or("-") == key.permanentId
        && metaValue(db, "fingerprint").value_or(QByteArray()) == key.fingerprint;
}

bool prepareReadPage(sqlite3* db, sqlite3_stmt** statement)
{
    return sqlite3_prepare_v3(
               db, "SELECT words FROM pages WHERE page = ?", -1, SQLITE_PREPARE_PERSISTENT, statement, nullptr)
        == SQLITE_OK;
}

// One page through the prepared statement of prepareReadPage, into text; false when it is not
// there or damaged.
bool readPage(sqlite3_stmt* statement, int pageIndex, pdf::FindText& text)
{
    sqlite3_reset(statement);
    sqlite3_bind_int64(statement, 1, pageIndex);
    if (sqlite3_step(statement) != SQLITE_ROW)
        return false;
    // The blob is valid until the next step or reset; it is copied by the decoding.
    const bool read = decodeFindText(
        static_cast<const char*>(sqlite3_column_blob(statement, 0)), sqlite3_column_bytes(statement, 0), text);
    sqlite3_reset(statement);
    return read;
}

std::optional<pdf::FindText> readPage(sqlite3_stmt* statement, int pageIndex)
{
    pdf::FindText text;
    if (!readPage(statement, pageIndex, text))
        return std::nullopt;
    return text;
}

} // namespace

QString IndexKey::fileName() const
{
    const QByteArray name = permanentId.isEmpty() ? fingerprint : permanentId;
    return QString::fromLatin1(name.left(64)) + QStringLiteral(".sqlite");
}

QString indexDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/Tolvo/index");
}

qint64 indexLimitBytes()
{
    const qint64 megabytes = Defaults::standard().integerForKey(QString::fromLatin1(keys::kSearchIndexLimitMB));
    return std::max<qint64>(megabytes, 0) * 1024 * 1024;
}

void roundAsStored(pdf::FindText& text)
{
    for (pdf::FindWord& word : text.words) {
        const QRectF& b = word.box;
        word.box
            = QRectF(double(float(b.x())), double(float(b.y())), double(float(b.width())), double(float(b.height())));
        if (word.edgeCount <= 0)
            continue;
        float* edges = text.edges.data() + word.edgeFrom;
        const double first = double(edges[0]);
        for (int i = 1; i < word.edgeCount; ++i) {
            const double step = std::clamp(std::round((double(edges[i]) - first) * kEdgeUnit), -2e9, 2e9);
            edges[i] = float(first + double(qint32(step)) / kEdgeUnit);
        }
    }
}

namespace {

// Plain bytes in the machine's order, not compressed: the index is a cache of this machine, and
// a later search reads hundreds of pages, where unpacking them cost more than the matching itself.
class ByteWriter {
public:
    template <typename T> void put(T value) { m_bytes.append(reinterpret_cast<const char*>(&value), sizeof value); }
    void putRaw(const void* data, qsizetype size) { m_bytes.append(static_cast<const char*>(data), size); }
    QByteArray& bytes() { return m_bytes; }

private:
    QByteArray m_bytes;
};

class ByteReader {
public:
    explicit ByteReader(const char* data, qsizetype size)
        : m_at(data)
        , m_end(data + size)
    {
    }
    template <typename T> T get()
    {
        T value {};
        if (m_end - m_at < qsizetype(sizeof value)) {
            m_ok = false;
            return value;
        }
        std::memcpy(&value, m_at, sizeof value);
        m_at += sizeof value;
        return value;
    }
    /// size bytes from here, or nothing when there are not so many.
    const char* take(quint64 size)
    {
        if (!m_ok || quint64(m_end - m_at) < size) {
            m_ok = false;
            return nullptr;
        }
        const char* at = m_at;
        m_at += size;
        return at;
    }
    /// Whether count items of at least size bytes each can still be there.
    bool fits(quint64 count, quint64 size) const { return m_ok && count * size <= quint64(m_end - m_at); }
    bool ok() const { return m_ok; }
    bool atEnd() const { return m_at == m_end; }

private:
    const char* m_at;
    const char* m_end;
    bool m_ok = true;
};

// Word flags.
constexpr quint8 kSpaceAfter = 1;
constexpr quint8 kLineEndsAfter = 2;
constexpr int kTurnsShift = 2; // two bits
constexpr quint8 kWideSteps = 16; ///< edge steps of 32 bits rather than 16 (a word over 512 points)
constexpr quint8 kOddEdges = 32; ///< an edge count other than the text's length + 1 follows
constexpr quint8 kFirstEdgeAtX = 64; ///< the first edge is the box's left: not stored again
constexpr quint8 kSameLine = 128; ///< the box's top and height are the word before's: not stored again
// A text length of 16 bits, or this and one of 32 bits.
constexpr quint16 kLongText = 0xffff;

} // namespace

// Page encoding: format byte, crop box, rotation, counts, then all the words' text in one block
// (Latin-1 where every unit fits, else UTF-16), then per word its flags, box, text length, first
// edge and the steps from it to the others in 1/64 point. Most words fit 16-bit lengths and steps,
// start at their first edge and share their top and height with the word before: those are
// stored once.
QByteArray encodeFindText(const pdf::FindText& text)
{
    ByteWriter out;
    const QString& units = text.text;
    const bool latin1 = std::all_of(units.cbegin(), units.cend(), [](QChar c) { return c.unicode() < 0x100; });
    out.bytes().reserve(
        64 + units.size() * (latin1 ? 1 : 2) + qsizetype(text.words.size()) * 15 + qsizetype(text.edges.size()) * 2);
    out.put(kPageFormat);
    for (const double v : { text.cropBox.x(), text.cropBox.y(), text.cropBox.width(), text.cropBox.height() })
        out.put(v);
    out.put(qint32(text.rotation));
    out.put(quint32(text.words.size()));
    out.put(quint32(units.size()));
    out.put(quint8(latin1 ? 1 : 2));
    if (latin1) {
        const QByteArray bytes = units.toLatin1();
        out.putRaw(bytes.constData(), bytes.size());
    } else {
        out.putRaw(units.utf16(), units.size() * 2);
    }
    std::vector<qint32> steps;
    float lineTop = 0, lineHeight = 0;
    bool haveLine = false;
    for (const pdf::FindWord& word : text.words) {
        const float x = float(word.box.x()), y = float(word.box.y());
        const float width = float(word.box.width()), height = float(word.box.height());
        const int edgeCount = std::max(word.edgeCount, 0);
        const float* edges = text.edgesOf(word);
        const float first = edgeCount ? edges[0] : 0.0f;
        steps.clear();
        bool wide = false;
        for (int i = 1; i < edgeCount; ++i) {
            const double step = std::round((double(edges[i]) - double(first)) * kEdgeUnit);
            steps.push_back(qint32(std::clamp(step, -2e9, 2e9)));
            wide = wide || steps.back() < -32768 || steps.back() > 32767;
        }
        const bool odd = edgeCount != word.textLength + 1;
        const bool firstAtX = edgeCount > 0 && first == x;
        const bool sameLine = haveLine && y == lineTop && height == lineHeight;
        lineTop = y;
        lineHeight = height;
        haveLine = true;
        out.put(quint8((word.spaceAfter ? kSpaceAfter : 0) | (word.lineEndsAfter ? kLineEndsAfter : 0)
            | ((word.turns & 3) << kTurnsShift) | (wide ? kWideSteps : 0) | (odd ? kOddEdges : 0)
            | (firstAtX ? kFirstEdgeAtX : 0) | (sameLine ? kSameLine : 0)));
        out.put(x);
        out.put(width);
        if (!sameLine) {
            out.put(y);
            out.put(height);
        }
        if (word.textLength >= kLongText) {
            out.put(kLongText);
            out.put(quint32(word.textLength));
        } else {
            out.put(quint16(word.textLength));
        }
        if (odd)
            out.put(quint32(edgeCount));
        if (edgeCount == 0)
            continue;
        if (!firstAtX)
            out.put(first);
        for (const qint32 step : steps) {
            if (wide)
                out.put(step);
            else
                out.put(qint16(step));
        }
    }
    return out.bytes();
}

bool decodeFindText(const char* data, qsizetype size, pdf::FindText& text)
{
    ByteReader in(data, size);
    if (in.get<quint8>() != kPageFormat)
        return false;
    const double cropX = in.get<double>(), cropY = in.get<double>();
    const double cropWidth = in.get<double>(), cropHeight = in.get<double>();
    text.cropBox = QRectF(cropX, cropY, cropWidth, cropHeight);
    text.rotation = in.get<qint32>();
    const quint32 count = in.get<quint32>();
    const quint32 unitCount = in.get<quint32>();
    const quint8 unitSize = in.get<quint8>();
    if (unitSize != 1 && unitSize != 2)
        return false;
    const char* units = in.take(quint64(unitCount) * unitSize);
    if (!units || !in.fits(count, 11))
        return false;
    // Into the room text has from the page before, where there is enough.
    text.text.resize(qsizetype(unitCount));
    char16_t* to = reinterpret_cast<char16_t*>(text.text.data());
    if (unitSize == 1) {
        for (quint32 i = 0; i < unitCount; ++i)
            to[i] = char16_t(quint8(units[i]));
    } else {
        std::memcpy(to, units, size_t(unitCount) * 2);
    }
    // Nearly every word has one edge more than units: room for them all at once.
    text.edges.clear();
    text.edges.reserve(size_t(unitCount) + count);
    text.words.resize(count);
    int textFrom = 0;
    float lineTop = 0, lineHeight = 0;
    for (pdf::FindWord& word : text.words) {
        const quint8 flags = in.get<quint8>();
        const float x = in.get<float>(), width = in.get<float>();
        if (!(flags & kSameLine)) {
            lineTop = in.get<float>();
            lineHeight = in.get<float>();
        }
        word.box = QRectF(x, lineTop, width, lineHeight);
        word.spaceAfter = flags & kSpaceAfter;
        word.lineEndsAfter = flags & kLineEndsAfter;
        word.turns = (flags >> kTurnsShift) & 3;
        const quint16 shortLength = in.get<quint16>();
        const quint32 length = shortLength == kLongText ? in.get<quint32>() : shortLength;
        if (quint64(textFrom) + length > unitCount)
            return false;
        word.textFrom = textFrom;
        word.textLength = int(length);
        textFrom += int(length);
        const quint32 edges = (flags & kOddEdges) ? in.get<quint32>() : length + 1;
        word.edgeFrom = int(text.edges.size());
        word.edgeCount = int(edges);
        if (edges == 0)
            continue;
        const float first = (flags & kFirstEdgeAtX) ? x : in.get<float>();
        const quint64 stepSize = (flags & kWideSteps) ? 4 : 2;
        const char* steps = in.take(quint64(edges - 1) * stepSize);
        if (!steps)
            return false;
        text.edges.push_back(first);
        for (quint32 i = 1; i < edges; ++i) {
            qint32 step;
            if (stepSize == 4) {
                std::memcpy(&step, steps + (i - 1) * 4, 4);
            } else {
                qint16 narrow;
                std::memcpy(&narrow, steps + (i - 1) * 2, 2);
                step = narrow;
            }
            text.edges.push_back(float(double(first) + double(step) / kEdgeUnit));
        }
    }
    return in.ok() && in.atEnd() && quint32(textFrom) == unitCount;
}

std::optional<pdf::FindText> decodeFindText(const QByteArray& bytes)
{
    pdf::FindText text;
    if (!decodeFindText(bytes.constData(), bytes.size(), text))
        return std::nullopt;
    return text;
}

// ---- reading ----

TextIndex::TextIndex(sqlite3* db, QString path, int pageCount, QStringList labels)
    : m_db(db)
    , m_path(std::move(path))
    , m_labels(std::move(labels))
    , m_pageCount(pageCount)
{
}

void TextIndex::discard()
{
    sqlite3_finalize(m_readPage);
    m_readPage = nullptr;
    closeDb(m_db);
    m_db = nullptr;
    qCInfo(lcIndex).noquote() << "discarding the damaged index" << m_path;
    QFile::remove(m_path);
}

TextIndex::~TextIndex()
{
    sqlite3_finalize(m_readPage);
    closeDb(m_db);
}

std::unique_ptr<TextIndex> TextIndex::open(const IndexKey& key, int pageCount)
{
    if (!key.isValid())
        return nullptr;
    const QString path = indexPath(key);
    if (!QFileInfo::exists(path))
        return nullptr;
    sqlite3* db = nullptr;
    const int opened = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    // A complete index is never written again (a new one replaces the file): the read lock is taken
    // once rather than around each of the hundreds of pages a search reads, with the checks for a
    // journal that go with it.
    if (opened != SQLITE_OK || !exec(db, "PRAGMA locking_mode=EXCLUSIVE") || !isIndexOf(db, key, pageCount)) {
        closeDb(db);
        qCInfo(lcIndex).noquote() << "discarding the index" << path << "(damaged, foreign or out of date)";
        QFile::remove(path);
        return nullptr;
    }
    // The file's time is when it was last used, for dropping the least recently used first.
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    const int pages = int(metaValue(db, "pages").value_or("0").toLongLong());
    QStringList labels = QString::fromUtf8(metaValue(db, "labels").value_or(QByteArray()))
                             .split(QChar(kLabelSeparator), Qt::KeepEmptyParts);
    if (labels.size() != pages) {
        labels.clear();
        for (int i = 0; i < pages; ++i)
            labels << QString::number(i + 1);
    }
    return std::unique_ptr<TextIndex>(new TextIndex(db, path, pages, std::move(labels)));
}

std::optional<std::vector<int>> TextIndex::candidatePages(const QString& folded)
{
    if (!m_db)
        return std::nullopt;
    std::vector<int> pages;
    if (folded.toUcs4().size() < 3 || folded.contains(u'-')) {
        pages.resize(size_t(m_pageCount));
        for (int i = 0; i < m_pageCount; ++i)
            pages[size_t(i)] = i;
        return pages;
    }
    Statement select(m_db, "SELECT rowid FROM body WHERE body MATCH ? ORDER BY rowid");
    if (!select)
        return std::nullopt;
    QString phrase = folded;
    phrase.replace(u'"', QStringLiteral("\"\""));
    select.bindText(1, QLatin1Char('"') + phrase + QLatin1Char('"'));
    int step;
    while ((step = select.step()) == SQLITE_ROW)
        pages.push_back(sqlite3_column_int(select.get(), 0));
    if (step != SQLITE_DONE)
        return std::nullopt;
    return pages;
}

std::optional<pdf::FindText> TextIndex::page(int pageIndex)
{
    pdf::FindText text;
    if (!page(pageIndex, text))
        return std::nullopt;
    return text;
}

bool TextIndex::page(int pageIndex, pdf::FindText& into)
{
    if (!m_db)
        return false;
    if (!m_readPage && !prepareReadPage(m_db, &m_readPage))
        return false;
    return readPage(m_readPage, pageIndex, into);
}

// ---- writing ----

IndexWriter::IndexWriter(sqlite3* db, QString partPath, QString finalPath, int pageCount)
    : m_db(db)
    , m_partPath(std::move(partPath))
    , m_finalPath(std::move(finalPath))
    , m_pageCount(pageCount)
    , m_have(size_t(pageCount), false)
{
}

IndexWriter::~IndexWriter()
{
    sqlite3_finalize(m_readPage);
    closeDb(m_db);
    if (!m_partPath.isEmpty())
        QFile::remove(m_partPath);
}

std::unique_ptr<IndexWriter> IndexWriter::start(const IndexKey& key, int pageCount, const QStringList& pageLabels)
{
    if (!key.isValid() || pageCount <= 0 || !QDir().mkpath(indexDirectory()))
        return nullptr;
    const QString finalPath = indexPath(key);
    const QString partPath
        = finalPath + QStringLiteral(".part-%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(partPath).constData(), &db,
            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr)
        != SQLITE_OK) {
        closeDb(db);
        QFile::remove(partPath);
        return nullptr;
    }
    std::unique_ptr<IndexWriter> writer(new IndexWriter(db, partPath, finalPath, pageCount));
    // Nobody else reads a file being written, and a crash leaves only a part file: no journal needed.
    const bool ready = exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA page_size=8192;")
        && exec(db, ("PRAGMA application_id=" + QByteArray::number(kApplicationId)).constData()) && exec(db, "BEGIN")
        && exec(db, kSchema) && setMeta(db, "schema", QByteArray::number(kSchemaVersion))
        && setMeta(db, "pages", QByteArray::number(pageCount))
        && setMeta(db, "labels", pageLabels.join(QChar(kLabelSeparator)).toUtf8())
        && setMeta(db, "permanentId", key.permanentId) && setMeta(db, "fingerprint", key.fingerprint);
    if (!ready)
        return nullptr;
    return writer;
}

int IndexWriter::written() const
{
    std::lock_guard lock(m_mutex);
    return m_written;
}

bool IndexWriter::has(int pageIndex) const
{
    std::lock_guard lock(m_mutex);
    return pageIndex >= 0 && pageIndex < m_pageCount && m_have[size_t(pageIndex)];
}

std::optional<pdf::FindText> IndexWriter::page(int pageIndex) const
{
    std::lock_guard lock(m_mutex);
    if (!m_db || pageIndex < 0 || pageIndex >= m_pageCount || !m_have[size_t(pageIndex)])
        return std::nullopt;
    if (!m_readPage && !prepareReadPage(m_db, &m_readPage))
        return std::nullopt;
    return readPage(m_readPage, pageIndex);
}

bool IndexWriter::put(int pageIndex, const pdf::FindText& text)
{
    // The slow parts, encoding and folding, happen outside the lock.
    const QByteArray words = encodeFindText(text);
    QString body = findableText(text);
    std::lock_guard lock(m_mutex);
    if (!m_db || m_failed || pageIndex < 0 || pageIndex >= m_pageCount)
        return false;
    if (m_have[size_t(pageIndex)])
        return true;
    Statement insertPage(m_db, "INSERT INTO pages(page, words) VALUES (?, ?)");
    Statement insertBody(m_db, "INSERT INTO body(rowid, text) VALUES (?, ?)");
    bool ok = insertPage && insertBody;
    if (ok) {
        insertPage.bind(1, pageIndex);
        insertPage.bind(2, words);
        insertBody.bind(1, pageIndex);
        insertBody.bindText(2, body);
        ok = insertPage.step() == SQLITE_DONE && insertBody.step() == SQLITE_DONE;
    }
    if (!ok) {
        qCWarning(lcIndex) << "index: cannot write page" << pageIndex << sqlite3_errmsg(m_db);
        m_failed = true;
        return false;
    }
    m_have[size_t(pageIndex)] = true;
    ++m_written;
    return true;
}

bool IndexWriter::finish(qint64 limitBytes)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_failed || m_written != m_pageCount || !m_db)
            return false;
        sqlite3_finalize(m_readPage);
        m_readPage = nullptr;
        const bool committed = exec(m_db, "INSERT INTO body(body) VALUES ('optimize')") && exec(m_db, "COMMIT");
        closeDb(m_db);
        m_db = nullptr;
        if (!committed)
            return false;
        QFile::remove(m_finalPath);
        if (!QFile::rename(m_partPath, m_finalPath))
            return false;
        m_partPath.clear();
    }
    limitIndexSize(limitBytes, m_finalPath);
    return true;
}

void limitIndexSize(qint64 limitBytes, const QString& keep)
{
    QDir dir(indexDirectory());
    QFileInfoList files = dir.entryInfoList({ QStringLiteral("*.sqlite") }, QDir::Files, QDir::Time);
    qint64 total = 0;
    for (const QFileInfo& file : files)
        total += file.size();
    // Newest first: drop from the end.
    while (total > limitBytes && !files.isEmpty()) {
        const QFileInfo oldest = files.takeLast();
        if (oldest.absoluteFilePath() == QFileInfo(keep).absoluteFilePath())
            continue;
        if (QFile::remove(oldest.absoluteFilePath())) {
            qCInfo(lcIndex).noquote() << "dropped the index" << oldest.fileName() << "to stay within the size limit";
            total -= oldest.size();
        }
    }
}

} // namespace tolvo
