// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's recently used list: Tolvo's bookmark added or updated, everything else kept.
#include "app/RecentlyUsed.h"

#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace tolvo;

namespace {

const QByteArray kOtherProgram = R"(<?xml version="1.0" encoding="UTF-8"?>
<xbel version="1.0"
      xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks"
      xmlns:mime="http://www.freedesktop.org/standards/shared-mime-info"
>
  <bookmark href="file:///home/u/notes.txt" added="2026-01-01T10:00:00.000000Z" modified="2026-01-01T10:00:00.000000Z" visited="2026-01-01T10:00:00.000000Z">
    <info>
      <metadata owner="http://freedesktop.org">
        <mime:mime-type type="text/plain"/>
        <bookmark:applications>
          <bookmark:application name="Text Editor" exec="&apos;text-editor %u&apos;" modified="2026-01-01T10:00:00.000000Z" count="4"/>
        </bookmark:applications>
      </metadata>
    </info>
  </bookmark>
  <bookmark href="file:///home/u/Report%20one.pdf" added="2026-01-02T10:00:00.000000Z" modified="2026-01-02T10:00:00.000000Z" visited="2026-01-02T10:00:00.000000Z">
    <info>
      <metadata owner="http://freedesktop.org">
        <mime:mime-type type="application/pdf"/>
        <bookmark:applications>
          <bookmark:application name="Other Viewer" exec="&apos;viewer %u&apos;" modified="2026-01-02T10:00:00.000000Z" count="2"/>
          <bookmark:application name="Tolvo" exec="&apos;tolvo %u&apos;" modified="2026-01-02T10:00:00.000000Z" count="3"/>
        </bookmark:applications>
      </metadata>
    </info>
  </bookmark>
</xbel>
)";

struct Application {
    QString name;
    int count = 0;
    QString modified;
};

struct Bookmark {
    QString href;
    QString added;
    QString visited;
    QString mime;
    QList<Application> applications;
};

// The list as a reader of the format sees it; nothing when it is no well-formed list.
std::optional<QList<Bookmark>> readList(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QXmlStreamReader r(&file);
    QList<Bookmark> list;
    const QString ns = QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks");
    while (!r.atEnd()) {
        if (r.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = r.attributes();
        if (r.name() == u"bookmark" && r.namespaceUri().isEmpty())
            list.append(
                { a.value("href").toString(), a.value("added").toString(), a.value("visited").toString(), {}, {} });
        else if (r.name() == u"mime-type" && !list.isEmpty())
            list.last().mime = a.value("type").toString();
        else if (r.name() == u"application" && r.namespaceUri() == ns && !list.isEmpty())
            list.last().applications.append(
                { a.value("name").toString(), a.value("count").toInt(), a.value("modified").toString() });
    }
    if (r.hasError())
        return std::nullopt;
    return list;
}

} // namespace

class TestRecentlyUsed : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    const QDateTime m_now = QDateTime(QDate(2026, 12, 8), QTime(1, 2, 3), Qt::UTC);

    QString listWith(const QByteArray& content)
    {
        const QString path = m_dir.filePath(QStringLiteral("recently-used.xbel"));
        QFile::remove(path);
        if (!content.isNull()) {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                return QString();
            file.write(content);
        }
        return path;
    }

private slots:
    void newList()
    {
        const QString path = listWith(QByteArray());
        QVERIFY(addToRecentlyUsed(path, "/home/u/My Book.pdf", m_now));
        const auto list = readList(path);
        QVERIFY(list);
        QCOMPARE(list->size(), 1);
        QCOMPARE(list->first().href, QStringLiteral("file:///home/u/My%20Book.pdf"));
        QCOMPARE(list->first().mime, QStringLiteral("application/pdf"));
        QCOMPARE(list->first().added, QStringLiteral("2026-12-08T01:02:03.000Z"));
        QCOMPARE(list->first().applications.size(), 1);
        QCOMPARE(list->first().applications.first().name, QStringLiteral("Tolvo"));
        QCOMPARE(list->first().applications.first().count, 1);
    }

    void mergedWithWhatIsThere_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("bookmarks");
        QTest::addColumn<int>("tolvoCount");
        QTest::addColumn<QString>("added");
        QTest::newRow("a file Tolvo opened before")
            << "/home/u/Report one.pdf" << 2 << 4 << "2026-01-02T10:00:00.000000Z";
        QTest::newRow("a file new to the list") << "/home/u/Other.pdf" << 3 << 1 << "2026-12-08T01:02:03.000Z";
    }
    void mergedWithWhatIsThere()
    {
        QFETCH(QString, file);
        QFETCH(int, bookmarks);
        QFETCH(int, tolvoCount);
        QFETCH(QString, added);
        const QString path = listWith(kOtherProgram);
        QVERIFY(addToRecentlyUsed(path, file, m_now));
        const auto list = readList(path);
        QVERIFY(list);
        QCOMPARE(list->size(), bookmarks);
        // The other program's entry is as it was.
        QCOMPARE(list->at(0).href, QStringLiteral("file:///home/u/notes.txt"));
        QCOMPARE(list->at(0).applications.first().count, 4);
        QCOMPARE(list->at(0).applications.first().modified, QStringLiteral("2026-01-01T10:00:00.000000Z"));
        const auto ours = std::find_if(
            list->begin(), list->end(), [&](const Bookmark& b) { return QUrl(b.href) == QUrl::fromLocalFile(file); });
        QVERIFY(ours != list->end());
        QCOMPARE(ours->added, added);
        QCOMPARE(ours->visited, QStringLiteral("2026-12-08T01:02:03.000Z"));
        const auto tolvo = std::find_if(ours->applications.begin(), ours->applications.end(),
            [](const Application& a) { return a.name == u"Tolvo"; });
        QVERIFY(tolvo != ours->applications.end());
        QCOMPARE(tolvo->count, tolvoCount);
        // Another viewer of the same PDF keeps its count.
        if (ours->applications.size() > 1)
            QCOMPARE(ours->applications.first().count, 2);
    }

    void addedTwiceIsOneBookmark()
    {
        const QString path = listWith(QByteArray());
        QVERIFY(addToRecentlyUsed(path, "/a.pdf", m_now));
        QVERIFY(addToRecentlyUsed(path, "/a.pdf", m_now.addSecs(60)));
        const auto list = readList(path);
        QCOMPARE(list->size(), 1);
        QCOMPARE(list->first().applications.first().count, 2);
    }

    void aDamagedListIsLeftAlone()
    {
        const QByteArray damaged = kOtherProgram.left(kOtherProgram.size() / 2);
        const QString path = listWith(damaged);
        QString problem;
        QVERIFY(!addToRecentlyUsed(path, "/a.pdf", m_now, &problem));
        QVERIFY(!problem.isEmpty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), damaged);
    }
};

QTEST_GUILESS_MAIN(TestRecentlyUsed)
#include "test_recently_used.moc"
