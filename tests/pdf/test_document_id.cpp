// SPDX-License-Identifier: GPL-3.0-or-later
// A PDF's permanent identifier as the PDF services read it, and references to
// PDFs that another program saved again (qpdf, writing a new file and renaming
// it over the old one).
#include "support/MinimalPdf.h"

#include "pdf/DocumentId.h"
#include "routing/FileIdentity.h"
#include "routing/FileReference.h"
#include "routing/ReferenceResolver.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

using namespace tolvo;
using test::minimalPdf;
using test::randomDocumentId;

namespace {

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

bool renameOver(const QString& from, const QString& to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

class TestDocumentId : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setPermanentIdReader(pdf::permanentDocumentId); }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray id = randomDocumentId();
        QTest::newRow("16 bytes") << minimalPdf(id) << id;
        const QByteArray longer = randomDocumentId() + randomDocumentId();
        QTest::newRow("32 bytes") << minimalPdf(longer) << longer;
        QTest::newRow("none") << minimalPdf({}) << QByteArray();
        QTest::newRow("too long to be one") << minimalPdf(QByteArray(600, 'a')) << QByteArray();
        QTest::newRow("not a PDF") << QByteArray("plain text\n") << QByteArray();
        QTest::newRow("empty file") << QByteArray() << QByteArray();
        QTest::newRow("cut short") << minimalPdf(id).left(200) << QByteArray();
        QByteArray notString = minimalPdf({});
        notString.replace("/Root 1 0 R", "/Root 1 0 R /ID [12 13]");
        QTest::newRow("identifier of numbers") << notString << QByteArray();
    }
    void reads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        QCOMPARE(pdf::permanentDocumentId(write(dir, "a.pdf", bytes)), expected);
    }

    void missingFileHasNone()
    {
        QTemporaryDir dir;
        QCOMPARE(pdf::permanentDocumentId(dir.filePath("nothing.pdf")), QByteArray());
        QCOMPARE(pdf::permanentDocumentId(QString()), QByteArray());
    }

    void savedAgainByQpdf_data()
    {
        QTest::addColumn<QByteArray>("id"); // of the first save; "" for none
        QTest::addColumn<QString>("state");
        QTest::newRow("with identifier") << randomDocumentId() << "ok";
        QTest::newRow("without identifier") << QByteArray() << "ok";
    }
    void savedAgainByQpdf()
    {
        QFETCH(QByteArray, id);
        QFETCH(QString, state);
        const QString qpdf = QStandardPaths::findExecutable(QStringLiteral("qpdf"));
        if (qpdf.isEmpty())
            QSKIP("qpdf is not installed");
        QTemporaryDir dir;
        const QString file = write(dir, "book.pdf", minimalPdf(id));
        const auto ref = FileReference::make(file);
        QVERIFY(ref);
        QCOMPARE(ref->documentId, id);

        const QString rewritten = dir.filePath("book.pdf.tmp");
        QCOMPARE(QProcess::execute(qpdf, { "--object-streams=generate", file, rewritten }), 0);
        QVERIFY(renameOver(rewritten, file));
        if (!id.isEmpty())
            QCOMPARE(pdf::permanentDocumentId(file), id);

        const ResolvedReference r = resolveFileReference(ref->toVariant(), SearchScope::none());
        QCOMPARE(referenceStateName(r.state), state);
        QCOMPARE(r.filePath, file);
        QVERIFY(r.renewed); // the next look needs no second reading
    }

    void anotherDocumentInItsPlaceIsStale()
    {
        QTemporaryDir dir;
        const QString file = write(dir, "book.pdf", minimalPdf(randomDocumentId()));
        const auto ref = FileReference::make(file);
        QVERIFY(ref);
        QVERIFY(renameOver(write(dir, "other.pdf", minimalPdf(randomDocumentId())), file));
        QCOMPARE(resolveFileReference(ref->toVariant(), SearchScope::none()).state, ReferenceState::Stale);
    }
};

QTEST_GUILESS_MAIN(TestDocumentId)
#include "test_document_id.moc"
