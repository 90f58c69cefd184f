// SPDX-License-Identifier: GPL-3.0-or-later
// Reading in a document window: the PDF's own links (followed, with Back; addresses handed to
// the desktop; the hand and the tool tip; a drag that starts on a link), the page and zoom boxes,
// actual size, find next and previous across pages, and the go-to sheet when nothing matches.
#include "document/DocumentMenus.h"
#include "document/DocumentWindow.h"
#include "document/FindOnPage.h"
#include "document/GotoPageSheet.h"
#include "document/MyDocument.h"
#include "document/PageZoomBoxes.h"
#include "document/search/SearchPane.h"
#include "pageview/LabelPDFView.h"
#include "pageview/PageViewTestSupport.h"
#include "routing/FileIdentity.h"
#include "search/DocumentSearch.h"
#include "search/TextIndex.h"
#include "support/ScratchStore.h"
#include "support/WindowWaits.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tolvo;
using AutoScale = pageview::PageView::AutoScale;
Q_DECLARE_METATYPE(AutoScale)

namespace {

QString fixture(const QString& name)
{
    return qEnvironmentVariable("TOLVO_FIXTURES") + QStringLiteral("/links/") + name;
}

// The middle of a link line of Links.pdf's first page (page space): lines run down from y = 700.
QPointF linePoint(int line, double x = 200)
{
    return QPointF(x, 700 - 30 * line + 5);
}

QString matchText(const std::optional<FindOnPage::Match>& match)
{
    return match ? QStringLiteral("%1:%2").arg(match->pageIndex).arg(match->index) : QStringLiteral("none");
}

QAction* actionWithKey(MyDocument* doc, const QKeySequence& key)
{
    for (QAction* action : doc->menus()->allActions())
        if (action->shortcuts().contains(key))
            return action;
    return nullptr;
}

} // namespace

class TestReaderNavigation : public QObject {
    Q_OBJECT

    test::ScratchStore m_store;
    std::vector<std::unique_ptr<MyDocument>> m_docs;
    QList<QUrl> m_external;

    MyDocument* open(const QString& name) { return openFile(fixture(name)); }

    MyDocument* openFile(const QString& path)
    {
        DocumentEnvironment env = m_store.environment();
        env.openExternalUrl = [this](const QUrl& url) { m_external.append(url); };
        auto doc = std::make_unique<MyDocument>(env);
        if (!doc->readFromURL(path))
            return nullptr;
        doc->makeWindowControllers();
        doc->myWindow()->resize(1200, 900);
        if (!test::waitForFirstPositioning(doc.get()) || !test::waitForPages(*doc->pdfview()))
            return nullptr;
        doc->finishSetUp();
        m_docs.push_back(std::move(doc));
        return m_docs.back().get();
    }

    // Opens Links.pdf with the first page's links read.
    MyDocument* openLinks()
    {
        MyDocument* doc = open(QStringLiteral("Links.pdf"));
        if (doc && !QTest::qWaitFor([doc] { return doc->pdfview()->linkAreas().isRead(0); }))
            return nullptr;
        return doc;
    }

private slots:
    void initTestCase()
    {
        m_store.useAsConfigHome();
        QVERIFY(QFile::exists(fixture(QStringLiteral("Links.pdf"))));
    }

    void init()
    {
        m_store.renew();
        m_external.clear();
    }

    void cleanup()
    {
        m_docs.clear();
        m_store.clear();
    }

    void followingAnInternalLinkAndBack_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("recorded");
        QTest::newRow("explicit destination") << 0 << 3 << true;
        QTest::newRow("named destination") << 1 << 5 << true;
        QTest::newRow("go-to action") << 2 << 5 << true;
        // Like the Next Page command, which is no jump.
        QTest::newRow("next page action") << 5 << 1 << false;
    }

    void followingAnInternalLinkAndBack()
    {
        QFETCH(int, line);
        QFETCH(int, page);
        QFETCH(bool, recorded);
        MyDocument* doc = openLinks();
        QVERIFY(doc);
        pageview::LabelPDFView* view = doc->pdfview();
        const QPointF at = view->convertPointFromPage(linePoint(line), 0);
        test::click(*view, at);
        QTRY_COMPARE(view->currentPage(), page);
        QVERIFY(view->currentSelection().isEmpty());
        QCOMPARE(view->canGoBack(), recorded);
        if (!recorded)
            return;
        doc->PDFgoBack();
        QCOMPARE(view->currentPage(), 0);
        // Back to the very spot the link was clicked at.
        QVERIFY((view->convertPointFromPage(linePoint(line), 0) - at).manhattanLength() < 2);
        QVERIFY(m_external.isEmpty());
    }

    void addressesGoToTheDesktop_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("opened");
        QTest::newRow("web") << 3 << "https://example.org/manual";
        QTest::newRow("mail") << 4 << "mailto:someone@example.org";
        QTest::newRow("a file is not opened") << 6 << "";
    }

    void addressesGoToTheDesktop()
    {
        QFETCH(int, line);
        QFETCH(QString, opened);
        MyDocument* doc = openLinks();
        QVERIFY(doc);
        test::click(*doc->pdfview(), doc->pdfview()->convertPointFromPage(linePoint(line), 0));
        QCOMPARE(m_external, opened.isEmpty() ? QList<QUrl>() : QList<QUrl> { QUrl(opened) });
        QCOMPARE(doc->pdfview()->currentPage(), 0);
    }

    void handAndToolTipOverLinks_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QString>("description");
        QTest::newRow("destination: its page label") << linePoint(0) << "Go to page 2";
        QTest::newRow("named destination") << linePoint(1) << "Go to page 4";
        QTest::newRow("web address") << linePoint(3) << "https://example.org/manual";
        QTest::newRow("named action") << linePoint(5) << "Next page";
        QTest::newRow("a script is no link") << linePoint(7) << "";
        QTest::newRow("beside the links") << QPointF(400, 700) << "";
    }

    void handAndToolTipOverLinks()
    {
        QFETCH(QPointF, point);
        QFETCH(QString, description);
        MyDocument* doc = openLinks();
        QVERIFY(doc);
        pageview::LabelPDFView* view = doc->pdfview();
        const QPointF at = view->convertPointFromPage(point, 0);
        const pageview::LinkArea* link = view->linkAt(at);
        QCOMPARE(link ? pageview::PageView::linkDescription(*link) : QString(), description);
        test::sendMouse(view->viewport(), QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
        QCOMPARE(view->viewport()->cursor().shape(), description.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
    }

    void dragStartingOnALinkSelectsText()
    {
        MyDocument* doc = openLinks();
        QVERIFY(doc);
        pageview::LabelPDFView* view = doc->pdfview();
        test::drag(
            *view, view->convertPointFromPage(linePoint(0, 74), 0), view->convertPointFromPage(linePoint(0, 330), 0));
        QCOMPARE(view->currentSelection().text, QStringLiteral("Explicit destination to page 2"));
        QCOMPARE(view->currentPage(), 0);
        QVERIFY(!view->canGoBack());
    }

    void pageBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("shown");
        QTest::newRow("roman label") << "ii" << 1 << "ii (2 of 6)";
        QTest::newRow("arabic label, not the page number") << "3" << 4 << "3 (5 of 6)";
        QTest::newRow("page number that is no label") << "6" << 5 << "4 (6 of 6)";
        QTest::newRow("what the box showed") << "ii (2 of 6)" << 1 << "ii (2 of 6)";
        QTest::newRow("unknown text stays") << "nowhere" << 0 << "nowhere";
        QTest::newRow("number past the end") << "7" << 0 << "7";
    }

    void pageBox()
    {
        QFETCH(QString, typed);
        QFETCH(int, page);
        QFETCH(QString, shown);
        MyDocument* doc = open(QStringLiteral("Links.pdf"));
        QVERIFY(doc);
        QLineEdit* box = doc->pageZoomBoxes()->pageBox();
        QCOMPARE(box->text(), QStringLiteral("i (1 of 6)"));
        box->setFocus();
        box->setText(typed);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(doc->pdfview()->currentPage(), page);
        if (page == 0)
            QCOMPARE(box->selectedText(), typed);
        doc->pdfview()->setFocus();
        QTRY_COMPARE(box->hasFocus() ? QString() : box->text(), page == 0 ? "i (1 of 6)" : shown);
        if (page != 0)
            return;
        // Scrolling shows the new page in the box.
        doc->pdfview()->goToPage(3);
        QCOMPARE(box->text(), QStringLiteral("2 (4 of 6)"));
    }

    void zoomBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<AutoScale>("fit");
        QTest::newRow("a step") << "50%" << 0.5 << AutoScale::Off;
        QTest::newRow("the largest step") << "400%" << 4.0 << AutoScale::Off;
        QTest::newRow("typed without %") << "130" << 1.3 << AutoScale::Off;
        QTest::newRow("typed with a space") << "75 %" << 0.75 << AutoScale::Off;
        QTest::newRow("fit width") << "Fit Width" << -1.0 << AutoScale::FitWidth;
        QTest::newRow("fit page") << "fit page" << -1.0 << AutoScale::FitPage;
        QTest::newRow("not a zoom") << "big" << 2.0 << AutoScale::Off;
    }

    void zoomBox()
    {
        QFETCH(QString, typed);
        QFETCH(double, zoom);
        QFETCH(AutoScale, fit);
        MyDocument* doc = open(QStringLiteral("Links.pdf"));
        QVERIFY(doc);
        pageview::LabelPDFView* view = doc->pdfview();
        view->setScaleFactor(2.0);
        QComboBox* box = doc->pageZoomBoxes()->zoomBox();
        QCOMPARE(box->currentText(), QStringLiteral("200%"));
        box->lineEdit()->setText(typed);
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        QCOMPARE(view->autoScale(), fit);
        const QRectF page = view->pageRectInView(0);
        const QSize viewport = view->viewport()->size();
        if (fit == AutoScale::FitWidth)
            QVERIFY(qAbs(page.width() - (viewport.width() - 16)) <= 1);
        else if (fit == AutoScale::FitPage)
            QVERIFY(page.height() <= viewport.height() && page.width() <= viewport.width());
        else
            QCOMPARE(view->scaleFactor(), zoom);
        QCOMPARE(box->currentText(), QStringLiteral("%1%").arg(qRound(view->scaleFactor() * 100)));
        if (fit == AutoScale::Off)
            return;
        // A fit follows the window, and the box follows the fit.
        const double before = view->scaleFactor();
        doc->myWindow()->resize(900, 700);
        QTRY_VERIFY(view->scaleFactor() != before);
        QCOMPARE(box->currentText(), QStringLiteral("%1%").arg(qRound(view->scaleFactor() * 100)));
    }

    void zoomBoxItems()
    {
        MyDocument* doc = open(QStringLiteral("Links.pdf"));
        QVERIFY(doc);
        QComboBox* box = doc->pageZoomBoxes()->zoomBox();
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items.append(box->itemText(i));
        QCOMPARE(items,
            QStringList({ "50%", "75%", "100%", "125%", "150%", "200%", "300%", "400%", "Fit Width", "Fit Page" }));
        box->setCurrentIndex(3);
        emit box->activated(3);
        QCOMPARE(doc->pdfview()->scaleFactor(), 1.25);
    }

    void actualSizeFollowsTheLogicalDpi_data()
    {
        QTest::addColumn<double>("dpi");
        QTest::newRow("72 dpi: a point is a pixel") << 72.0;
        QTest::newRow("96 dpi") << 96.0;
        QTest::newRow("144 dpi") << 144.0;
    }

    void actualSizeFollowsTheLogicalDpi()
    {
        QFETCH(double, dpi);
        MyDocument* doc = open(QStringLiteral("Links.pdf"));
        QVERIFY(doc);
        pageview::LabelPDFView* view = doc->pdfview();
        view->setLogicalDpi(dpi);
        doc->PDFChangeZoom(ZoomCommand::ActualSize);
        QCOMPARE(view->scaleFactor(), 1.0);
        QCOMPARE(doc->pageZoomBoxes()->zoomBox()->currentText(), QStringLiteral("100%"));
        // A US Letter page is 8.5 inches wide.
        QVERIFY(qAbs(view->pageRectInView(0).width() - 8.5 * dpi) < 1);
    }

    void findNextAndPrevious_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("matches");
        // Find.pdf: "apple" twice on page 0, once on pages 2 and 4.
        QTest::newRow("F3 through every page, wrapping")
            << QStringList { "F3", "F3", "F3", "F3", "F3" } << QStringList { "0:0", "0:1", "2:0", "4:0", "0:0" };
        QTest::newRow("Shift+F3 wraps to the last")
            << QStringList { "Shift+F3", "Shift+F3", "Shift+F3" } << QStringList { "0:1", "0:0", "4:0" };
        QTest::newRow("Enter and Shift+Enter in the field")
            << QStringList { "Enter", "Enter", "Enter", "Shift+Enter" } << QStringList { "0:0", "0:1", "2:0", "0:1" };
    }

    void findNextAndPrevious()
    {
        QFETCH(QStringList, keys);
        QFETCH(QStringList, matches);
        MyDocument* doc = open(QStringLiteral("Find.pdf"));
        QVERIFY(doc);
        doc->findInDocument();
        QLineEdit* field = doc->searchPane()->searchField();
        field->setText(QStringLiteral("Apple"));
        QTRY_VERIFY(!doc->search()->isFinding());
        QCOMPARE(doc->search()->matchesOnPage(0).size(), 2);
        for (int i = 0; i < keys.size(); ++i) {
            const QString& key = keys[i];
            if (key.endsWith(QLatin1String("Enter"))) {
                QTest::keyClick(
                    field, Qt::Key_Return, key.startsWith(QLatin1String("Shift")) ? Qt::ShiftModifier : Qt::NoModifier);
            } else {
                QAction* action = actionWithKey(doc, QKeySequence(key));
                QVERIFY(action);
                action->trigger();
            }
            QCOMPARE(matchText(doc->findOnPage()->currentMatch()), matches[i]);
            const pdf::TextSelection& selection = doc->pdfview()->currentSelection();
            QCOMPARE(selection.text, QStringLiteral("apple"));
            QCOMPARE(selection.lines.front().pageIndex, doc->findOnPage()->currentMatch()->pageIndex);
            QVERIFY(doc->pdfview()->visiblePages().contains(selection.lines.front().pageIndex));
        }
    }

    // The first search writes the PDF's text index, of the version of the file the window read:
    // a file rewritten since gets none, which would hold the old text under the new file's name.
    void searchIndexOfTheVersionRead_data()
    {
        QTest::addColumn<bool>("rewritten");
        QTest::addColumn<bool>("indexed");
        QTest::newRow("unchanged") << false << true;
        QTest::newRow("rewritten since the window opened") << true << false;
    }
    void searchIndexOfTheVersionRead()
    {
        QFETCH(bool, rewritten);
        QFETCH(bool, indexed);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Find.pdf"));
        QVERIFY(QFile::copy(fixture(QStringLiteral("Find.pdf")), path));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        const auto indexOf = [](const QString& file) {
            return indexDirectory() + u'/' + IndexKey { permanentIdOf(file), contentFingerprint(file) }.fileName();
        };
        const QString before = indexOf(path);
        QFile::remove(before);
        MyDocument* doc = openFile(path);
        QVERIFY(doc);
        QString after;
        if (rewritten) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append));
            QVERIFY(file.write("\n%% appended\n") > 0);
            file.close();
            after = indexOf(path);
            QVERIFY(after != before);
            QFile::remove(after);
        }
        doc->findInDocument();
        doc->searchPane()->searchField()->setText(QStringLiteral("apple"));
        QTRY_VERIFY(!doc->search()->isFinding());
        QCOMPARE(doc->search()->matchesOnPage(0).size(), 2);
        QCOMPARE(QFile::exists(before), indexed);
        if (rewritten)
            QVERIFY(!QFile::exists(after));
    }

    void everyMatchInViewIsHighlighted()
    {
        MyDocument* doc = open(QStringLiteral("Find.pdf"));
        QVERIFY(doc);
        pageview::LabelPDFView* view = doc->pdfview();
        auto highlighted = [view](const QRectF& match) {
            const QImage shot = view->viewport()->grab().toImage();
            const QRect area = view->convertRectFromPage(match, 0).toAlignedRect();
            int yellow = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x) {
                    const QRgb pixel
                        = shot.pixel(QPointF(x * shot.devicePixelRatio(), y * shot.devicePixelRatio()).toPoint());
                    yellow += qRed(pixel) > 200 && qGreen(pixel) > 180 && qBlue(pixel) < 150;
                }
            return yellow > area.width() * area.height() / 4;
        };
        doc->findInDocument();
        doc->searchPane()->searchField()->setText(QStringLiteral("apple"));
        QTRY_VERIFY(!doc->search()->isFinding());
        const QVector<QRectF> matches = doc->search()->matchesOnPage(0);
        QCOMPARE(matches.size(), 2);
        QTRY_VERIFY(highlighted(matches[0]) && highlighted(matches[1]));
        // A new query takes the old highlights away.
        doc->searchPane()->searchField()->setText(QStringLiteral("pears"));
        QTRY_VERIFY(!doc->search()->isFinding());
        QTRY_VERIFY(!highlighted(matches[0]));
    }

    void goToWithNothingMatching_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("a word") << "nowhere";
        QTest::newRow("a title path") << "chapter.9/section.2";
        QTest::newRow("a location on no page") << "99/@loc/72x/400y";
    }

    void goToWithNothingMatching()
    {
        QFETCH(QString, typed);
        MyDocument* doc = open(QStringLiteral("Links.pdf"));
        QVERIFY(doc);
        doc->showGotoPDFPagePanel();
        GotoPageSheet* sheet = doc->gotoPDFPagePanel();
        doc->gotoPDFPageTextField()->setText(typed);
        doc->dismissGotoPDFPagePanel(1);
        QVERIFY(sheet->isVisible());
        QCOMPARE(sheet->message(), QStringLiteral("No page, section or place is called \"%1\".").arg(typed));
        QVERIFY(sheet->findChild<QLabel*>(QStringLiteral("gotoMessage"))->isVisible());
        QCOMPARE(doc->pdfview()->currentPage(), 0);
        // Mending the text takes the message away, and a text that names a page goes there.
        doc->gotoPDFPageTextField()->clear();
        QTest::keyClicks(doc->gotoPDFPageTextField(), QStringLiteral("2"));
        QVERIFY(sheet->message().isEmpty());
        doc->dismissGotoPDFPagePanel(1);
        QVERIFY(!sheet->isVisible());
        QCOMPARE(doc->pdfview()->currentPage(), 3);
        // The sheet opens again without the old message.
        doc->showGotoPDFPagePanel();
        QVERIFY(sheet->message().isEmpty());
    }
};

QTEST_MAIN(TestReaderNavigation)
#include "test_reader_navigation.moc"
