// SPDX-License-Identifier: GPL-3.0-or-later
// LabelPDFView's location links: the double-click with its modifiers, the drag it starts, the
// icon place, the swallowed Shift-click, and Copy with its options.
#include "FakeDocument.h"
#include "PageViewTestSupport.h"

#include "links/RtfReader.h"
#include "pageview/LabelPDFView.h"
#include "render/LabelOverlay.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QClipboard>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace tolvo;
using tolvo::test::FakeDocument;

namespace {

struct Dragged {
    QStringList formats;
    QString text;
    QByteArray rtf;
    QSize imageSize;
    QPoint hotSpot;
};

QString linkOfRtf(const QByteArray& rtf)
{
    const std::optional<RichText> text = fromRtf(rtf);
    if (!text)
        return {};
    for (const TextRun& run : text->runs())
        if (run.attributes.link)
            return run.text + "->" + *run.attributes.link;
    return {};
}

} // namespace

class TestLocationLinks : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;
    std::unique_ptr<Defaults> m_defaults;
    std::unique_ptr<FakeDocument> m_doc;
    std::unique_ptr<pageview::LabelPDFView> m_view;
    std::vector<Dragged> m_drags;

    pageview::LabelPDFView& view() { return *m_view; }

    void doubleClickAt(QPointF viewPoint, Qt::KeyboardModifiers modifiers)
    {
        test::sendMouse(
            view().viewport(), QEvent::MouseButtonDblClick, viewPoint, Qt::LeftButton, Qt::LeftButton, modifiers);
    }

    // The view point of a page point of page 12, checked to convert back exactly.
    QPointF viewPointOf(QPointF pagePoint)
    {
        const QPointF at = view().convertPointFromPage(pagePoint, 11);
        if (view().convertPointToPage(at, 11) != pagePoint)
            qWarning() << "inexact conversion" << view().convertPointToPage(at, 11);
        return at;
    }

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path())); }

    void init()
    {
        QFile::remove(m_config.filePath("test.json"));
        m_defaults = std::make_unique<Defaults>(m_config.filePath("test.json"));
        registerTolvoDefaults(*m_defaults);
        m_defaults->setValue(keys::kURLRichTextPreference, QString(keys::kLinkStyleCondensed));
        m_doc = std::make_unique<FakeDocument>(FakeDocument::letterPages(12));
        m_view = std::make_unique<pageview::LabelPDFView>();
        m_view->setDefaults(m_defaults.get());
        m_view->setLogicalDpi(72); // actual size: one point, one logical pixel
        m_view->resize(800, 600);
        m_view->show();
        m_view->setDocument(m_doc.get());
        m_view->setPrefix("manual/");
        m_view->setScaleFactor(1);
        m_view->goToPage(11);
        m_drags.clear();
        m_view->setDragStarter([this](std::unique_ptr<QMimeData> data, const QPixmap& image, QPoint hotSpot) {
            m_drags.push_back(Dragged { data->formats(), data->text(), data->data("text/rtf"),
                image.deviceIndependentSize().toSize(), hotSpot });
        });
        QApplication::clipboard()->setText("before");
    }

    void cleanup()
    {
        m_view.reset();
        m_doc.reset();
        m_defaults.reset();
    }

    void doubleClick_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("markdown");
        QTest::addColumn<bool>("intoNotes");
        QTest::addColumn<QString>("dragText");
        QTest::addColumn<QString>("dragLink");
        QTest::addColumn<QString>("clipboardText");
        QTest::addColumn<QString>("clipboardLink");
        QTest::addColumn<int>("richRequests");
        QTest::addColumn<int>("plainRequests");
        const QString url = "tolvo://manual/12/@loc/72x/700y/";
        const QString link = "manual/12/->" + url;
        const QString markdownLink = "[manual/12](" + url + ")";
        const int ctrl = int(Qt::ControlModifier);
        const int alt = int(Qt::AltModifier);

        // Halfway values go to the even neighbour.
        QTest::newRow("plain, rich") << QPointF(72.5, 700.5) << 0 << false << false << "manual/12/ " << link << "before"
                                     << QString() << 0 << 0;
        QTest::newRow("plain, markdown drags the bare URL")
            << QPointF(72.5, 700.5) << 0 << true << false << url << QString() << "before" << QString() << 0 << 0;
        QTest::newRow("ctrl copies the rich link even with markdown")
            << QPointF(72.5, 700.5) << ctrl << true << false << url << QString() << "manual/12/ " << link << 0 << 0;
        QTest::newRow("ctrl into the notes") << QPointF(72.5, 700.5) << ctrl << false << true << "manual/12/ " << link
                                             << "manual/12/ " << link << 1 << 0;
        QTest::newRow("alt copies the markdown link without markdown")
            << QPointF(72.5, 700.5) << alt << false << false << "manual/12/ " << link << markdownLink << QString() << 0
            << 0;
        QTest::newRow("ctrl and alt: markdown last, both into the notes")
            << QPointF(72.5, 700.5) << (ctrl | alt) << false << true << "manual/12/ " << link << markdownLink
            << QString() << 1 << 1;
        QTest::newRow("other halves") << QPointF(73.5, 699.5) << 0 << false << false << "manual/12/ "
                                      << "manual/12/->tolvo://manual/12/@loc/74x/700y/"
                                      << "before" << QString() << 0 << 0;
    }

    void doubleClick()
    {
        QFETCH(QPointF, point);
        QFETCH(int, modifiers);
        QFETCH(bool, markdown);
        QFETCH(bool, intoNotes);
        QFETCH(QString, dragText);
        QFETCH(QString, dragLink);
        QFETCH(QString, clipboardText);
        QFETCH(QString, clipboardLink);
        QFETCH(int, richRequests);
        QFETCH(int, plainRequests);
        m_defaults->setValue(keys::kShouldUseMarkdownForCopy, markdown);
        m_defaults->setValue(keys::kShouldInsertTextInScratchPadOnCopy, intoNotes);
        QSignalSpy rich(&view(), &pageview::LabelPDFView::insertClipboardRichTextRequested);
        QSignalSpy plain(&view(), &pageview::LabelPDFView::insertClipboardPlainTextRequested);
        const QPointF at = viewPointOf(point);
        doubleClickAt(at, Qt::KeyboardModifiers(modifiers));

        QCOMPARE(m_drags.size(), std::size_t(1));
        const Dragged& drag = m_drags.front();
        QCOMPARE(drag.text, dragText);
        if (markdown) {
            QCOMPARE(drag.formats, QStringList { "text/plain" });
        } else {
            QVERIFY(drag.formats.contains("text/rtf"));
            QVERIFY(drag.formats.contains("text/html"));
            QCOMPARE(linkOfRtf(drag.rtf), dragLink);
        }
        // The target icon, centred on the point.
        QCOMPARE(drag.imageSize, QSize(20, 20));
        QCOMPARE(drag.hotSpot, QPoint(10, 10));

        const QMimeData* clipboard = QApplication::clipboard()->mimeData();
        QCOMPARE(clipboard->text(), clipboardText);
        QCOMPARE(linkOfRtf(clipboard->data("text/rtf")), clipboardLink);
        QCOMPARE(rich.size(), richRequests);
        QCOMPARE(plain.size(), plainRequests);

        // The icon marks the spot until the next mouse-up.
        const auto icon = pageview::readIconLocationData(view().iconLocationData());
        QVERIFY(icon);
        QCOMPARE(icon->first, QString("12"));
        QCOMPARE(icon->second, point);
        test::sendMouse(view().viewport(), QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        QVERIFY(view().iconLocationData().isEmpty());
    }

    void doubleClickBesideThePageDoesNothing()
    {
        const QPointF left = view().convertPointFromPage(QPointF(-20, 400), 11);
        QVERIFY(left.x() > 0);
        doubleClickAt(left, Qt::ControlModifier);
        QVERIFY(m_drags.empty());
        QVERIFY(view().iconLocationData().isEmpty());
        QCOMPARE(QApplication::clipboard()->text(), QString("before"));
        QVERIFY(view().currentSelection().isEmpty());
    }

    void shiftClickIsSwallowed()
    {
        const pdf::TextSelection selection = m_doc->selectionForRect(11, QRectF(72, 700, 50, 20));
        QVERIFY(!selection.isEmpty());
        view().setCurrentSelection(selection);
        test::click(view(), view().convertPointFromPage(QPointF(300, 600), 11), Qt::ShiftModifier);
        QCOMPARE(view().currentSelection().text, selection.text);
    }

    void copy_data()
    {
        QTest::addColumn<bool>("markdown");
        QTest::addColumn<bool>("append");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("link");
        // The first word of page 12's first line: its top-left corner is (72, 720).
        QTest::newRow("markdown, link appended")
            << true << true << "p11l0a [manual/12](tolvo://manual/12/@loc/72x/720y/)" << QString();
        QTest::newRow("markdown alone") << true << false << "p11l0a" << QString();
        QTest::newRow("rich, link appended") << false << true << "p11l0a manual/12/ "
                                             << "manual/12/->tolvo://manual/12/@loc/72x/720y/";
        QTest::newRow("rich alone") << false << false << "p11l0a" << QString();
    }

    void copy()
    {
        QFETCH(bool, markdown);
        QFETCH(bool, append);
        QFETCH(QString, text);
        QFETCH(QString, link);
        m_defaults->setValue(keys::kShouldUseMarkdownForCopy, markdown);
        m_defaults->setValue(keys::kShouldAppendURLOnCopy, append);
        m_defaults->setValue(keys::kShouldInsertTextInScratchPadOnCopy, true);
        QSignalSpy grab(&view(), &pageview::LabelPDFView::grabSelectedTextRequested);
        view().setCurrentSelection(m_doc->selectionForRect(11, QRectF(80, 710, 5, 5)));
        QCOMPARE(view().currentSelection().text, QString("p11l0a"));
        view().copy();
        const QMimeData* clipboard = QApplication::clipboard()->mimeData();
        QCOMPARE(clipboard->text(), text);
        QCOMPARE(clipboard->hasFormat("text/rtf"), !markdown);
        QCOMPARE(linkOfRtf(clipboard->data("text/rtf")), link);
        QCOMPARE(grab.size(), 1);
    }

    void copyTakesTheFirstPageOfTheSelection()
    {
        pdf::TextSelection selection = m_doc->selectionFromPoint(10, QPointF(80, 714), 11, QPointF(80, 714));
        QCOMPARE(selection.pages(), (QVector<int> { 10, 11 }));
        view().setCurrentSelection(selection);
        view().copy();
        QVERIFY(linkOfRtf(QApplication::clipboard()->mimeData()->data("text/rtf"))
                    .endsWith("->tolvo://manual/11/@loc/72x/720y/"));
    }

    void copyWithoutSelectionKeepsTheClipboard()
    {
        view().clearSelection();
        view().copy();
        QCOMPARE(QApplication::clipboard()->text(), QString("before"));
    }
};

QTEST_MAIN(TestLocationLinks)
#include "test_location_links.moc"
