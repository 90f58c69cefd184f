// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A PDF's text index: every page's text for the find, kept on disk under
// $XDG_CACHE_HOME/Tolvo/index/ so that a later search of the same PDF reads
// no page of it. One SQLite file per PDF, named by the PDF's permanent
// identifier and holding its content fingerprint: a PDF saved again with other
// text gets a new index, a moved or renamed one keeps its own. Per page the
// file holds the words with the edges of their characters, so the
// rectangles of a match come from the index as well, and a full-text table of
// the folded page text (FTS5, trigrams) picks the pages worth reading.
//
// SQLite through its C API: no Qt SQL driver to ship or find at run time, and
// direct control of FTS5 and of the one transaction an index is written in.

#include "pdf/PdfDocument.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tolvo {

/// What names one PDF's index.
struct IndexKey {
    QByteArray permanentId; ///< hex; empty when the PDF has none
    QByteArray fingerprint; ///< of the file's content
    bool isValid() const { return !fingerprint.isEmpty(); }
    /// The index's file name: the permanent identifier, else the fingerprint.
    QString fileName() const;
};

/// The folder of the index files.
QString indexDirectory();

/// A complete index, read by one thread at a time.
class TextIndex {
public:
    /// The index of key for a PDF of pageCount pages (any count for -1: the PDF is not open);
    /// nothing when there is none. A file that is damaged, foreign, of another layout or of
    /// another version of the PDF is deleted.
    static std::unique_ptr<TextIndex> open(const IndexKey& key, int pageCount = -1);
    ~TextIndex();
    TextIndex(const TextIndex&) = delete;
    TextIndex& operator=(const TextIndex&) = delete;

    int pageCount() const { return m_pageCount; }
    /// The PDF's page labels, kept with its text so that a search of many PDFs need open none.
    const QStringList& pageLabels() const { return m_labels; }
    /// The pages whose text may hold query (folded, foldForFind), in page order: every page where
    /// the full-text table cannot tell (queries under three characters or with a hyphen).
    /// Nothing when the file cannot be read.
    std::optional<std::vector<int>> candidatePages(const QString& folded);
    /// One page's text; nothing when the file cannot be read.
    std::optional<pdf::FindText> page(int pageIndex);
    /// The same into into, whose room is used again: false when the file cannot be read.
    bool page(int pageIndex, pdf::FindText& into);
    /// Deletes the file (it turned out damaged); this object reads nothing more.
    void discard();

private:
    TextIndex(sqlite3* db, QString path, int pageCount, QStringList labels);
    sqlite3* m_db;
    sqlite3_stmt* m_readPage = nullptr; ///< prepared once: a search reads hundreds of pages
    QString m_path;
    QStringList m_labels;
    int m_pageCount;
};

/// An index being written: pages come in any order from any thread; the file appears under its
/// name only once every page is in, written in one transaction. Dropped unfinished, it leaves nothing.
class IndexWriter {
public:
    static std::unique_ptr<IndexWriter> start(const IndexKey& key, int pageCount, const QStringList& pageLabels);
    ~IndexWriter();
    IndexWriter(const IndexWriter&) = delete;
    IndexWriter& operator=(const IndexWriter&) = delete;

    int pageCount() const { return m_pageCount; }
    /// Pages written so far.
    int written() const;
    bool isComplete() const { return written() == m_pageCount; }
    bool has(int pageIndex) const;
    /// A page written before (a later find reads it here rather than from the PDF).
    std::optional<pdf::FindText> page(int pageIndex) const;
    /// Adds a page; false when the file cannot be written (the index is then never finished).
    bool put(int pageIndex, const pdf::FindText& text);
    /// Once complete: commits, puts the file in place and drops least recently used indexes
    /// beyond limitBytes. False when that failed (nothing is left behind then).
    bool finish(qint64 limitBytes);

private:
    IndexWriter(sqlite3* db, QString partPath, QString finalPath, int pageCount);
    mutable std::mutex m_mutex;
    sqlite3* m_db;
    mutable sqlite3_stmt* m_readPage = nullptr; ///< prepared on the first page read back
    QString m_partPath;
    QString m_finalPath;
    int m_pageCount;
    std::vector<bool> m_have;
    int m_written = 0;
    bool m_failed = false;
};

/// Deletes the least recently used index files (by the time each was last opened) until all of
/// them together take at most limitBytes; keep is never deleted.
void limitIndexSize(qint64 limitBytes, const QString& keep = QString());

/// The limit of the settings, in bytes.
qint64 indexLimitBytes();

/// Rounds a page's text to what the index keeps of it (boxes in single precision, character
/// edges in steps of 1/64 point), so that a page read from the PDF and the same page read from
/// the index give the same rectangles.
void roundAsStored(pdf::FindText& text);

/// A page's text as stored, and back; nothing for bytes that are no page.
QByteArray encodeFindText(const pdf::FindText& text);
std::optional<pdf::FindText> decodeFindText(const QByteArray& bytes);
/// Decodes into text, using its room again; false for bytes that are no page.
bool decodeFindText(const char* data, qsizetype size, pdf::FindText& text);

} // namespace tolvo
