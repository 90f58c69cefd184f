// SPDX-License-Identifier: GPL-3.0-or-later
// The annotation list over the fixtures: which annotations become records, with which text, how
// the export dialog counts them, the pop-ups, and the collector on its worker thread.
#include "SearchTestSupport.h"

#include "search/AnnotationCollector.h"
#include "search/AnnotationRecord.h"

#include <QSignalSpy>

using namespace tolvo;
using tolvo::test::openFixture;

class TestAnnotationList : public QObject {
    Q_OBJECT

private slots:
    // annotations.pdf (fx_pdf.py) holds every kind, with and without contents, a pop-up, a link,
    // a square and an ink annotation.
    void records_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("selection");
        QTest::addColumn<QString>("comment");
        QTest::newRow("note with pop-up") << 0 << "Note"
                                          << "Remember this"
                                          << "1" << 0 << ""
                                          << "";
        QTest::newRow("free text") << 1 << "Note"
                                   << "Inline remark"
                                   << "1" << 0 << ""
                                   << "";
        QTest::newRow("free text, contents empty but there") << 2 << "Note"
                                                             << ""
                                                             << "1" << 0 << ""
                                                             << "";
        QTest::newRow("highlight whose contents copy its words: no comment") << 3 << "Highlight"
                                                                             << "Key Point "
                                                                             << "1" << 0 << "Key Point"
                                                                             << "";
        QTest::newRow("highlight without contents, as most programs make them") << 4 << "Highlight"
                                                                                << "Second line "
                                                                                << "1" << 0 << "Second line"
                                                                                << "";
        QTest::newRow("underline over two lines, with a comment") << 5 << "Underline"
                                                                  << "Underlined one underlined two "
                                                                  << "1" << 0 << "Underlined one\nunderlined two"
                                                                  << "Two lines";
        QTest::newRow("strike-out whose comment starts like its words") << 6 << "Strikeout"
                                                                        << "Struck out "
                                                                        << "1" << 0 << "Struck out"
                                                                        << "Struck";
        QTest::newRow("squiggly: another markup kind") << 7 << ""
                                                       << "Wavy words "
                                                       << "1" << 0 << "Wavy words"
                                                       << "Wavy";
        QTest::newRow("highlight on a turned page") << 8 << "Highlight"
                                                    << "Rotated words "
                                                    << "2" << 1 << "Rotated words"
                                                    << "Rotated";
    }
    void records()
    {
        QFETCH(int, index);
        const auto doc = openFixture(QStringLiteral("annotations.pdf"));
        QVERIFY(doc);
        const AnnotationList list = prepareAnnotationsArray(*doc);
        QVERIFY(list.complete);
        // Left out: the pop-up, the note without contents, the link, square and ink.
        QCOMPARE(int(list.records.size()), 9);
        const AnnotationRecord& r = list.records[size_t(index)];
        QTEST(r.type, "type");
        QTEST(r.text, "text");
        QTEST(r.pageLabel, "label");
        QTEST(r.pageIndex, "page");
        QTEST(r.selection.text, "selection");
        QTEST(r.comment, "comment");
    }

    void countsAndPopups()
    {
        const auto doc = openFixture(QStringLiteral("annotations.pdf"));
        QVERIFY(doc);
        const AnnotationList list = prepareAnnotationsArray(*doc);
        const AnnotationCounts expected { 3, 3, 1, 1, 5 };
        QCOMPARE(list.counts, expected);
        QCOMPARE(annotationsCountText(list.counts),
            QStringLiteral("\t3\tNotes and freetext\n\t3\tHighlighted text\n\t1\tUnderlined text\n"
                           "\t1\tStrikethrough text\n\t5\tOther annotations"));
        QCOMPARE(int(list.popups.size()), 1);
        QCOMPARE(list.popups[0].pageIndex, 0);
        QCOMPARE(list.popups[0].bounds, QRectF(300, 650, 200, 100));
    }

    // The dialog's counting rules, one annotation at a time.
    void counting_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("markupType");
        QTest::addColumn<bool>("hasContents");
        QTest::addColumn<int>("counter"); // 0 notes .. 3 strike-throughs, 4 others, -1 none
        QTest::newRow("text note") << "Text" << -1 << true << 0;
        QTest::newRow("free text") << "FreeText" << -1 << true << 0;
        QTest::newRow("note without contents") << "Text" << -1 << false << 4;
        QTest::newRow("highlight") << "Highlight" << 0 << true << 1;
        QTest::newRow("underline") << "Underline" << 2 << true << 2;
        QTest::newRow("strike-out") << "StrikeOut" << 1 << true << 3;
        QTest::newRow("highlight without contents") << "Highlight" << 0 << false << 1;
        QTest::newRow("strike-out without contents") << "StrikeOut" << 1 << false << 3;
        QTest::newRow("squiggly counts nowhere") << "Squiggly" << 3 << true << -1;
        QTest::newRow("squiggly without contents") << "Squiggly" << 3 << false << 4;
        QTest::newRow("pop-up with contents") << "Popup" << -1 << true << 4;
        QTest::newRow("link") << "Link" << -1 << false << 4;
        QTest::newRow("square with contents") << "Square" << -1 << true << 4;
    }
    void counting()
    {
        QFETCH(QString, type);
        QFETCH(int, markupType);
        QFETCH(bool, hasContents);
        QFETCH(int, counter);
        pdf::Annotation a;
        a.type = type;
        a.markupType = markupType;
        a.isMarkup = markupType >= 0;
        if (hasContents)
            a.contents = QStringLiteral("x");
        AnnotationCounts counts;
        counts.count(a);
        const quint64 all[5]
            = { counts.notes, counts.highlights, counts.underlines, counts.strikethroughs, counts.others };
        for (int i = 0; i < 5; ++i)
            QCOMPARE(all[i], quint64(i == counter ? 1 : 0));
    }

    // Corners are paired 0 with 1, 2 with 3: a last corner without partner adds nothing.
    void quadPairs_data()
    {
        QTest::addColumn<QVector<QPointF>>("points");
        QTest::addColumn<int>("markupType");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("text");
        const QPointF keyLeft(72, 705), keyRight(123, 705), markedLeft(118, 685), markedRight(190, 685);
        QTest::newRow("one pair") << QVector<QPointF> { keyLeft, keyRight } << 0 << "Highlight"
                                  << "Key Point ";
        QTest::newRow("odd corner ignored") << QVector<QPointF> { keyLeft, keyRight, markedLeft } << 1 << "Strikeout"
                                            << "Key Point ";
        QTest::newRow("two lines") << QVector<QPointF> { keyLeft, keyRight, markedLeft, markedRight } << 2
                                   << "Underline"
                                   << "Key Point marked phrase ";
        QTest::newRow("no points, no text") << QVector<QPointF> {} << 0 << "Highlight"
                                            << "";
        QTest::newRow("unknown markup type") << QVector<QPointF> { keyLeft, keyRight } << 7 << ""
                                             << "Key Point ";
    }
    void quadPairs()
    {
        QFETCH(QVector<QPointF>, points);
        QFETCH(int, markupType);
        const auto doc = openFixture(QStringLiteral("search.pdf"));
        QVERIFY(doc);
        pdf::Annotation a;
        a.type = QStringLiteral("Highlight");
        a.isMarkup = true;
        a.markupType = markupType;
        a.contents = QStringLiteral("c");
        a.bounds = QRectF(71, 697, 53, 15);
        a.quadPoints = points;
        a.pageIndex = 4;
        const std::optional<AnnotationRecord> record = annotationRecord(*doc, a, QStringLiteral("3"));
        QVERIFY(record);
        QTEST(record->type, "type");
        QTEST(record->text, "text");
        QCOMPARE(record->selection.text, QStringLiteral("Key Point"));
    }

    void stopEndsTheWalk()
    {
        const auto doc = openFixture(QStringLiteral("annotations.pdf"));
        QVERIFY(doc);
        int asked = 0;
        const AnnotationList list = prepareAnnotationsArray(*doc, [&asked] { return ++asked > 4; });
        QVERIFY(!list.complete);
        QCOMPARE(int(list.records.size()), 2); // the note and the free text before the fifth annotation
    }

    void collectorDeliversOnTheMainThread()
    {
        const auto doc = openFixture(QStringLiteral("annotations.pdf"));
        QVERIFY(doc);
        AnnotationCollector collector;
        QSignalSpy ready(&collector, &AnnotationCollector::ready);
        QVERIFY(collector.start(*doc));
        QVERIFY(!collector.start(*doc)); // once only
        QVERIFY(!collector.isReady());
        QVERIFY(ready.wait(20000));
        QCOMPARE(ready.count(), 1);
        QVERIFY(collector.isReady());
        QCOMPARE(int(collector.list()->records.size()), 9);
        QCOMPARE(int(collector.popupAnnotations().size()), 1);
        QCoreApplication::processEvents();
        QCOMPARE(ready.count(), 1);
    }

    void collectorOfAFileThatIsGone()
    {
        AnnotationCollector collector;
        QSignalSpy ready(&collector, &AnnotationCollector::ready);
        QVERIFY(!collector.start(std::unique_ptr<pdf::Document>()));
        QVERIFY(ready.wait(5000));
        QVERIFY(collector.list()->records.empty());
    }

    // Destroyed while it reads: it stops, and nothing reaches a collector that is gone.
    void collectorDestroyedWhileReading()
    {
        const auto doc = openFixture(QStringLiteral("big-search.pdf"));
        QVERIFY(doc);
        for (int i = 0; i < 5; ++i) {
            auto collector = std::make_unique<AnnotationCollector>();
            collector->start(*doc);
            collector.reset();
            QCoreApplication::processEvents();
        }
    }

    // Poppler draws no closed pop-up: its rectangle on the page stays white.
    void closedPopupIsNotDrawn()
    {
        const auto doc = openFixture(QStringLiteral("annotations.pdf"));
        QVERIFY(doc);
        const QImage page = doc->render(0, 1.0).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!page.isNull());
        const QRect popup(300, 792 - 750, 200, 100); // page space to image rows
        for (int y = popup.top(); y < popup.bottom(); y += 3)
            for (int x = popup.left(); x < popup.right(); x += 3)
                QCOMPARE(page.pixel(x, y), qRgb(255, 255, 255));
    }
};

QTEST_GUILESS_MAIN(TestAnnotationList)
#include "test_annotation_list.moc"
