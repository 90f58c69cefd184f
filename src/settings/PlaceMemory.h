// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where each PDF was last left (page, point, zoom, display mode, window size), for the last
// 1,000 PDFs, and the list of recently opened files. Both live in one JSON file in the data
// folder ($XDG_DATA_HOME/Tolvo/places.json), written atomically. Every change reads the file
// afresh, so that what another Tolvo wrote meanwhile is kept.

#include <QPointF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace tolvo {

/// A document window's place and view.
struct RememberedPlace {
    int pageIndex = 0;
    std::optional<QPointF> point; ///< page space, the point at the view's top-left corner
    double scale = 1; ///< logical pixels per point
    bool autoScales = true;
    int displayMode = 0; ///< the display command's tag (1001 to 1004); 0 for none
    bool book = false;
    QSize windowSize; ///< invalid when not known
    bool operator==(const RememberedPlace&) const = default;
};

class PlaceMemory {
public:
    static constexpr int kMaxPlaces = 1000;
    static constexpr int kMaxRecentFiles = 15;

    /// A memory kept in the file at path.
    explicit PlaceMemory(QString path);
    /// The memory in the user's data folder.
    static QString standardPath();

    QString filePath() const { return m_path; }

    /// The place last remembered for a document identity.
    std::optional<RememberedPlace> place(const QString& identity) const;
    /// Remembers the place of a document (its file at path) as the newest; the oldest beyond
    /// kMaxPlaces are dropped. False when the file could not be written.
    bool remember(const QString& identity, const QString& path, const RememberedPlace& place);

    /// The files opened last, newest first, at most kMaxRecentFiles.
    QStringList recentFiles() const;
    /// Puts a file first in the recent list.
    bool addRecentFile(const QString& path);
    bool removeRecentFile(const QString& path);
    bool clearRecentFiles();

    /// What went wrong at the last read or write, for the log; empty when nothing did.
    QString problem() const { return m_problem; }

private:
    struct Contents;
    Contents read() const;
    bool write(const Contents& contents);

    QString m_path;
    mutable QString m_problem;
};

} // namespace tolvo
