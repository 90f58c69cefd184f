// SPDX-License-Identifier: GPL-3.0-or-later
// Marks made in a document window: what reaches the PDF file (read back by Tolvo and by
// MuPDF), the identity and the original kept, the annotation list that follows, the
// journal that brings marks back after a kill, and a PDF that cannot be written.
#include "document/DocumentMarks.h"
#include "document/DocumentWindow.h"
#include "document/MarkCommands.h"
#include "document/MarkJournal.h"
#include "document/MyDocument.h"
#include "pageview/LabelPDFView.h"
#include "pdf/DocumentId.h"
#include "pdf/PdfDocument.h"
#include "search/AnnotationRecord.h"
#include "support/ScratchStore.h"
#include "support/ToolSandbox.h"
#include "support/WindowWaits.h"
#include "widgets/TLSplitView.h"

#include <QClipboard>
#include <QFrame>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace tolvo;

namespace {

QString fixture()
{
    return qEnvironmentVariable("TOLVO_FIXTURES") + QStringLiteral("/marks/marks.pdf");
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The annotations of a PDF as MuPDF reads them.
QList<QJsonObject> readWithMuPdf(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
        { qEnvironmentVariable("TOLVO_SOURCE_DIR") + QStringLiteral("/tests/document/read_marks.py"), path });
    python.waitForFinished(60000);
    QList<QJsonObject> result;
    for (const QByteArray& line : python.readAllStandardOutput().split('\n'))
        if (!line.trimmed().isEmpty())
            result << QJsonDocument::fromJson(line).object();
    return result;
}

bool near(double a, double b)
{
    return std::abs(a - b) < 0.05;
}

// The quadrilateral corners of line rectangles as the PDF orders them (top left, top right, bottom
// left, bottom right; page space).
QVector<QPointF> quadsOf(const QVector<QRectF>& rects)
{
    QVector<QPointF> points;
    for (const QRectF& r : rects)
        points << QPointF(r.left(), r.bottom()) << QPointF(r.right(), r.bottom()) << QPointF(r.left(), r.top())
               << QPointF(r.right(), r.top());
    return points;
}

} // namespace

class TestMarks : public QObject {
    Q_OBJECT
    test::ScratchStore m_store;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::vector<std::unique_ptr<MyDocument>> m_docs;
    int m_asked = 0;
    bool m_restore = true;

    QString copyOfFixture(const QString& name = QStringLiteral("marks.pdf"))
    {
        const QString path = m_dir->filePath(name);
        QFile::remove(path);
        if (!QFile::copy(fixture(), path))
            return QString();
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        return path;
    }

    QString dataFolder() const { return m_dir->filePath(QStringLiteral("data")); }

    MyDocument* open(const QString& path)
    {
        DocumentEnvironment env = m_store.environment();
        env.dataFolder = dataFolder();
        env.askRestoreMarks = [this](QWidget*, int count) {
            m_asked = count;
            return m_restore;
        };
        auto doc = std::make_unique<MyDocument>(env);
        if (!doc->readFromURL(path))
            return nullptr;
        doc->makeWindowControllers();
        m_docs.push_back(std::move(doc));
        return m_docs.back().get();
    }

    static const AnnotationRecord* recordNamed(const MyDocument* doc, const QString& name)
    {
        if (!doc->annotationList())
            return nullptr;
        for (const AnnotationRecord& record : doc->annotationList()->records)
            if (record.name == name)
                return &record;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        m_store.useAsConfigHome();
        QVERIFY(QFile::exists(fixture()));
    }

    void init()
    {
        m_store.renew();
        m_dir = std::make_unique<QTemporaryDir>();
        m_asked = 0;
        m_restore = true;
    }

    void cleanup()
    {
        m_docs.clear();
        m_store.clear();
        m_dir.reset();
    }

    void marksReachTheFile_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<int>("page");
        QTest::addColumn<QRectF>("area"); // page space: the text selected, or the note's point
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("covered");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("muPdfType");
        QTest::addColumn<QString>("recordType");

        QTest::newRow("highlight, one line") << int(pdf::MarkKind::Highlight) << "yellow" << 0
                                             << QRectF(60, 695, 300, 20) << 1 << "The quick brown fox jumps"
                                             << ""
                                             << "Highlight"
                                             << "Highlight";
        QTest::newRow("underline, two lines")
            << int(pdf::MarkKind::Underline) << "green" << 0 << QRectF(60, 675, 300, 40) << 2
            << "The quick brown fox jumps over the lazy dog today"
            << ""
            << "Underline"
            << "Underline";
        QTest::newRow("strike-out, page 2")
            << int(pdf::MarkKind::StrikeOut) << "blue" << 1 << QRectF(60, 695, 300, 20) << 1 << "Second page words here"
            << ""
            << "StrikeOut"
            << "Strikeout";
        QTest::newRow("pink highlight, turned page")
            << int(pdf::MarkKind::Highlight) << "pink" << 2 << QRectF(0, 0, 612, 792) << 1 << "Turned page text"
            << ""
            << "Highlight"
            << "Highlight";
        QTest::newRow("orange note") << int(pdf::MarkKind::Note) << "orange" << 1 << QRectF(300, 400, 0, 0) << 0 << ""
                                     << "Look at this"
                                     << "Text"
                                     << "Note";
    }

    void marksReachTheFile()
    {
        QFETCH(int, kind);
        QFETCH(QString, colour);
        QFETCH(int, page);
        QFETCH(QRectF, area);
        QFETCH(int, lines);
        QFETCH(QString, covered);
        QFETCH(QString, comment);
        QFETCH(QString, muPdfType);
        QFETCH(QString, recordType);

        const QString path = copyOfFixture();
        const QByteArray original = bytesOf(path);
        const QByteArray id = pdf::permanentDocumentId(path);
        QVERIFY(!id.isEmpty());
        MyDocument* doc = open(path);
        QVERIFY(doc);
        MarkCommands* commands = doc->markCommands();
        QVERIFY(commands);
        commands->setColourName(colour);
        QTRY_VERIFY(doc->annotationList() != nullptr);

        QString markId;
        QVector<QRectF> rects;
        if (kind == int(pdf::MarkKind::Note)) {
            markId = commands->addNote(page, area.topLeft(), comment);
        } else {
            doc->pdfview()->setCurrentSelection(doc->pdfdoc()->selectionForRect(page, area));
            const QStringList ids = commands->markSelection(pdf::MarkKind(kind));
            QCOMPARE(ids.size(), 1);
            markId = ids.first();
        }
        const std::vector<pdf::Mark> unsaved = doc->marks()->unsavedMarks(page);
        QCOMPARE(unsaved.size(), size_t(1));
        const pdf::Mark made = unsaved.front();
        QCOMPARE(made.id, markId);
        QCOMPARE(made.rects.size(), qsizetype(std::max(lines, 1)));
        QCOMPARE(made.text, covered);
        QCOMPARE(made.colour, pdf::markColourNamed(colour));
        rects = made.rects;

        // The list sees the mark before the file does.
        const AnnotationRecord* before = recordNamed(doc, markId);
        QVERIFY(before);
        QCOMPARE(before->type, recordType);
        QCOMPARE(before->colour, made.colour);

        QVERIFY2(doc->marks()->save(), qPrintable(doc->marks()->lastError()));
        QVERIFY(!doc->marks()->hasUnsaved());
        QVERIFY(!QFile::exists(doc->marks()->journalPath()));

        // An incremental update: the original bytes first, the identity kept, the original copied aside.
        const QByteArray written = bytesOf(path);
        QVERIFY(written.size() > original.size());
        QVERIFY(written.startsWith(original));
        QCOMPARE(pdf::permanentDocumentId(path), id);
        QCOMPARE(bytesOf(doc->marks()->originalCopyPath()), original);

        // Tolvo's own reader.
        pdf::OpenResult reopened = pdf::openDocument(path);
        QVERIFY(reopened.document);
        QCOMPARE(reopened.document->pageCount(), 3);
        std::optional<pdf::Annotation> found;
        for (const pdf::Annotation& a : reopened.document->annotations(page))
            if (a.name == markId)
                found = a;
        QVERIFY(found);
        QCOMPARE(found->type, muPdfType);
        QVERIFY(found->colour);
        QCOMPARE(found->colour->name(), made.colour.name());
        QCOMPARE(found->contents.value_or(QString()), comment.isEmpty() ? covered : comment);
        if (kind != int(pdf::MarkKind::Note)) {
            const QVector<QPointF> expected = quadsOf(rects);
            QCOMPARE(found->quadPoints.size(), expected.size());
            for (qsizetype i = 0; i < expected.size(); ++i)
                QVERIFY2(
                    near(found->quadPoints[i].x(), expected[i].x()) && near(found->quadPoints[i].y(), expected[i].y()),
                    qPrintable(QStringLiteral("corner %1").arg(i)));
        }

        // The list follows the new file, with the text under the mark.
        QTRY_VERIFY(recordNamed(doc, markId) && doc->annotationList() != nullptr);
        const AnnotationRecord* after = recordNamed(doc, markId);
        QCOMPARE(after->type, recordType);
        if (!covered.isEmpty())
            QCOMPARE(after->text.simplified(), covered);

        // Another reader.
        const QList<QJsonObject> mupdf = readWithMuPdf(path);
        QCOMPARE(mupdf.size(), 1);
        const QJsonObject seen = mupdf.first();
        QCOMPARE(seen.value("page").toInt(), page);
        QCOMPARE(seen.value("type").toString(), muPdfType);
        QCOMPARE(seen.value("name").toString(), markId);
        QCOMPARE(seen.value("contents").toString(), comment.isEmpty() ? covered : comment);
        const QJsonArray rgb = seen.value("colour").toArray();
        QCOMPARE(rgb.size(), 3);
        QCOMPARE(QColor(rgb[0].toInt(), rgb[1].toInt(), rgb[2].toInt()).name(), made.colour.name());
        if (kind != int(pdf::MarkKind::Note) && page != 2) {
            const QJsonArray quads = seen.value("quads").toArray();
            const QVector<QPointF> expected = quadsOf(rects);
            QCOMPARE(quads.size(), expected.size());
            for (qsizetype i = 0; i < expected.size(); ++i) {
                const QJsonArray point = quads[i].toArray();
                QVERIFY2(near(point[0].toDouble(), expected[i].x()) && near(point[1].toDouble(), expected[i].y()),
                    qPrintable(QStringLiteral("corner %1").arg(i)));
            }
            QVERIFY(covered.startsWith(seen.value("text").toString().simplified()));
        }
    }

    void theViewStaysWhereItWasAcrossTheRewrite()
    {
        const QString path = copyOfFixture();
        MyDocument* doc = open(path);
        QVERIFY(doc);
        doc->positionAtFirstPageNow();
        doc->finishSetUp();
        // The window's panes settle first: their moves change the view's width, and with it the place.
        QTRY_VERIFY(!doc->mainSplitView()->isAnimating());
        QVERIFY(test::waitForSplitViews(doc->myWindow()));
        pageview::LabelPDFView* view = doc->pdfview();
        QTRY_VERIFY(view->visiblePagesReady());
        view->goToDestination({ 1, QPointF(0, 600) });
        const pdf::Destination here = view->currentDestination();
        view->setCurrentSelection(doc->pdfdoc()->selectionForRect(1, QRectF(60, 695, 300, 20)));
        QCOMPARE(doc->markCommands()->markSelection(pdf::MarkKind::Highlight).size(), 1);
        QSignalSpy rewritten(doc->marks(), &DocumentMarks::fileRewritten);
        // The delayed write comes by itself.
        QVERIFY(rewritten.wait(10000));
        QCOMPARE(view->currentDestination().pageIndex, here.pageIndex);
        QVERIFY2(near(view->currentDestination().point->y(), here.point->y()),
            qPrintable(QStringLiteral("%1 %2").arg(view->currentDestination().point->y()).arg(here.point->y())));
        QVERIFY(doc->marks()->unsavedMarks().empty());
        QTRY_VERIFY(view->visiblePagesReady());
    }

    void aKilledWindowsMarksComeBack_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::newRow("restored") << true;
        QTest::newRow("declined") << false;
    }

    void aKilledWindowsMarksComeBack()
    {
        QFETCH(bool, restore);
        const QString path = copyOfFixture();
        const QByteArray original = bytesOf(path);
        QProcess helper;
        helper.start(QCoreApplication::applicationDirPath() + "/marks_kill_helper", { path, dataFolder() });
        QVERIFY(helper.waitForStarted());
        QByteArray out;
        while (!out.contains("marked") && helper.waitForReadyRead(20000))
            out += helper.readAllStandardOutput();
        QVERIFY(out.contains("marked"));
        ::kill(pid_t(helper.processId()), SIGKILL);
        QVERIFY(helper.waitForFinished(10000));
        QCOMPARE(bytesOf(path), original);

        m_restore = restore;
        MyDocument* doc = open(path);
        QVERIFY(doc);
        QTRY_COMPARE(m_asked, 1);
        if (!restore) {
            QVERIFY(!doc->marks()->hasUnsaved());
            QVERIFY(!QFile::exists(doc->marks()->journalPath()));
            return;
        }
        QCOMPARE(doc->marks()->unsavedMarks().size(), size_t(1));
        QVERIFY(doc->marks()->save());
        pdf::OpenResult reopened = pdf::openDocument(path);
        QVERIFY(reopened.document);
        const std::vector<pdf::Annotation> annotations = reopened.document->annotations(0);
        QCOMPARE(annotations.size(), size_t(1));
        QCOMPARE(annotations.front().type, QString("Highlight"));
        QCOMPARE(annotations.front().colour->name(), pdf::markColourNamed("green").name());
        // Opened again, nothing is offered: the file has it.
        m_asked = 0;
        m_docs.clear();
        QVERIFY(open(path));
        QCoreApplication::processEvents();
        QCOMPARE(m_asked, 0);
    }

    void aReadOnlyPdfKeepsItsMarks()
    {
        const QString path = copyOfFixture();
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QByteArray original = bytesOf(path);
        MyDocument* doc = open(path);
        QVERIFY(doc);
        QSignalSpy told(doc->marks(), &DocumentMarks::cannotWrite);
        MarkCommands* commands = doc->markCommands();
        for (const QRectF& line : { QRectF(60, 695, 300, 20), QRectF(60, 675, 300, 20) }) {
            doc->pdfview()->setCurrentSelection(doc->pdfdoc()->selectionForRect(0, line));
            QCOMPARE(commands->markSelection(pdf::MarkKind::Highlight).size(), 1);
            QVERIFY(!doc->marks()->save());
        }
        QCOMPARE(told.size(), 1);
        QVERIFY(commands->messageBar()->isVisibleTo(doc->myWindow()));
        QVERIFY(commands->message().contains("read-only"));
        QCOMPARE(doc->marks()->unsavedMarks().size(), size_t(2));
        QCOMPARE(bytesOf(path), original);
        QVERIFY(QFile::exists(doc->marks()->journalPath()));

        const QString copy = m_dir->filePath("copy.pdf");
        QString error;
        QVERIFY2(doc->marks()->saveCopy(copy, &error), qPrintable(error));
        pdf::OpenResult reopened = pdf::openDocument(copy);
        QVERIFY(reopened.document);
        QCOMPARE(reopened.document->annotations(0).size(), size_t(2));
        QCOMPARE(pdf::permanentDocumentId(copy), pdf::permanentDocumentId(path));
        QCOMPARE(bytesOf(path), original);
    }

    void theCommandLineShowsColoursAndComments_data()
    {
        QTest::addColumn<QString>("colour");
        QTest::addColumn<QString>("comment");
        QTest::newRow("green, with a comment") << "green"
                                               << "Why so quick?";
        QTest::newRow("orange, without") << "orange"
                                         << "";
    }

    void theCommandLineShowsColoursAndComments()
    {
        QFETCH(QString, colour);
        QFETCH(QString, comment);
        const QString path = copyOfFixture();
        MyDocument* doc = open(path);
        QVERIFY(doc);
        doc->markCommands()->setColourName(colour);
        doc->pdfview()->setCurrentSelection(doc->pdfdoc()->selectionForRect(0, QRectF(60, 695, 300, 20)));
        QCOMPARE(doc->markCommands()->markSelection(pdf::MarkKind::Highlight).size(), 1);
        pdf::Mark mark = doc->marks()->unsavedMarks().front();
        mark.comment = comment;
        doc->marks()->change(mark);
        QVERIFY(doc->marks()->save());

        test::ToolSandbox sandbox;
        const test::ToolRun json = sandbox.cli({ "annotations", path, "--json" });
        QCOMPARE(json.code, 0);
        const QJsonObject record
            = QJsonDocument::fromJson(json.out).object().value("annotations").toArray().first().toObject();
        QCOMPARE(record.value("PDFAnnotationType").toString(), QString("Highlight"));
        QCOMPARE(record.value("colourName").toString(), colour);
        QCOMPARE(record.value("colour").toString(), pdf::markColourNamed(colour).name());
        QCOMPARE(record.value("comment").toString(), comment);
        QCOMPARE(record.value("name").toString(), mark.id);
        const test::ToolRun markdown = sandbox.cli({ "annotations", path, "--format", "markdown", "--prefix", "m/" });
        QCOMPARE(markdown.code, 0);
        QVERIFY2(markdown.outText().contains(QStringLiteral("Highlight annotation (%1)").arg(colour)),
            markdown.out.constData());
        QCOMPARE(markdown.outText().contains(comment), true);
    }

    void workingWithASavedMark_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("delete") << "delete";
        QTest::newRow("recolour") << "recolour";
        QTest::newRow("comment") << "comment";
    }

    void workingWithASavedMark()
    {
        QFETCH(QString, change);
        const QString path = copyOfFixture();
        MyDocument* doc = open(path);
        QVERIFY(doc);
        doc->positionAtFirstPageNow();
        doc->finishSetUp();
        pageview::LabelPDFView* view = doc->pdfview();
        MarkCommands* commands = doc->markCommands();
        commands->setCommentQuestion([](const QString&, const QString&) { return QString("new words"); });
        view->setCurrentSelection(doc->pdfdoc()->selectionForRect(0, QRectF(60, 695, 300, 20)));
        const QString id = commands->markSelection(pdf::MarkKind::Highlight).value(0);
        QVERIFY(doc->marks()->save());
        QTRY_VERIFY(view->visiblePagesReady());

        // A click on the mark, as the file now holds it, selects it.
        const pdf::Mark original = commands->markAt(0, QPointF(100, 703)).value_or(pdf::Mark {});
        QCOMPARE(original.id, id);
        QCOMPARE(original.text, QString("The quick brown fox jumps"));
        const QPointF viewPoint = view->convertPointFromPage(QPointF(100, 703), 0);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, viewPoint.toPoint());
        QVERIFY(commands->selectedMark());
        QCOMPARE(commands->selectedMark()->id, id);
        QVERIFY(view->currentSelection().isEmpty());

        if (change == "delete")
            commands->deleteSelectedMark();
        else if (change == "recolour")
            commands->setColourName("blue");
        else
            commands->editSelectedComment();
        auto now = [&]() { return commands->markAt(0, QPointF(100, 703)); };
        auto isChanged = [&]() {
            const std::optional<pdf::Mark> mark = now();
            if (change == "delete")
                return !mark.has_value();
            if (change == "recolour")
                return mark && mark->colour == pdf::markColourNamed("blue");
            return mark && mark->comment == "new words";
        };
        QVERIFY(isChanged());
        commands->undo();
        QVERIFY(now() && *now() == original);
        commands->redo();
        QVERIFY(isChanged());
        QVERIFY(doc->marks()->save());
        pdf::OpenResult reopened = pdf::openDocument(path);
        const std::vector<pdf::Annotation> annotations = reopened.document->annotations(0);
        if (change == "delete") {
            QVERIFY(annotations.empty());
        } else {
            QCOMPARE(annotations.size(), size_t(1));
            if (change == "recolour")
                QCOMPARE(annotations.front().colour->name(), pdf::markColourNamed("blue").name());
            else
                QCOMPARE(annotations.front().contents.value_or(QString()), QString("new words"));
        }
    }

    void copyLinkToMarkGivesItsPlace()
    {
        m_store.defaults->setValue("TolvoShouldUseMarkdownForCopy", true);
        const QString path = copyOfFixture();
        MyDocument* doc = open(path);
        QVERIFY(doc);
        MarkCommands* commands = doc->markCommands();
        const QString id = commands->addNote(1, QPointF(300, 400), "here");
        commands->selectMark(commands->markAt(1, QPointF(305, 395)));
        QVERIFY(commands->selectedMark());
        QCOMPARE(commands->selectedMark()->id, id);
        commands->copyLinkToSelectedMark();
        QVERIFY2(QApplication::clipboard()->text().endsWith("/2/@loc/300x/400y/)"),
            qPrintable(QApplication::clipboard()->text()));
    }

    void theJournalReadsBackWhatItKept()
    {
        MarkJournal journal(dataFolder(), QStringLiteral("id:abc"));
        pdf::Mark mark;
        mark.id = QStringLiteral("tolvo-1");
        mark.kind = pdf::MarkKind::StrikeOut;
        mark.pageIndex = 4;
        mark.colour = QColor(1, 2, 3);
        mark.rects = { QRectF(1, 2, 3, 4), QRectF(5, 6, 7, 8) };
        mark.text = QStringLiteral("covered \u00e9");
        mark.comment = QStringLiteral("said");
        const std::vector<pdf::MarkEdit> edits { { mark.id, 4, mark }, { QStringLiteral("gone"), 2, std::nullopt } };
        QVERIFY(journal.write(edits));
        QCOMPARE(journal.read(), edits);
        // A damaged journal gives nothing, and no crash.
        QFile file(journal.filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\"edits\": [ {\"id\": 3}, ");
        file.close();
        QVERIFY(journal.read().empty());
        QVERIFY(journal.clear());
        QVERIFY(!QFile::exists(journal.filePath()));
    }
};

QTEST_MAIN(TestMarks)
#include "test_marks.moc"
