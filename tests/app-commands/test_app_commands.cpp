// SPDX-License-Identifier: GPL-3.0-or-later
// The application commands: the Help menu's mail, web and software-centre
// items with and without a program to take them, the font for copied text as
// stored and as the dialog shows it, the update answer shown to the user, and
// page views redrawn when a display option changes.
#include "app/AppCommands.h"
#include "app/SoftwareUpdater.h"
#include "document/DocumentController.h"
#include "document/DocumentWindow.h"
#include "document/MyDocument.h"
#include "document/NotesStore.h"
#include "links/LinkText.h"
#include "pageview/LabelPDFView.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "settings/ExternalAddresses.h"
#include "support/WindowWaits.h"

#include <QAction>
#include <QFontDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tolvo;

namespace {

QMessageBox* shownMessageBox()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            return box;
    return nullptr;
}

QAction* actionWithText(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

QString feedFile(const QString& name)
{
    return qEnvironmentVariable("TOLVO_SOURCE_DIR") + QStringLiteral("/tests/app-commands/feeds/") + name;
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class TestAppCommands : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    std::unique_ptr<Defaults> m_defaults;
    std::unique_ptr<NotesStore> m_notes;
    std::unique_ptr<SoftwareUpdater> m_updater;
    std::unique_ptr<DocumentController> m_documents;
    std::unique_ptr<AppCommands> m_commands;
    QMenuBar m_bar;
    QMenu* m_help = nullptr;
    QMenu* m_edit = nullptr;
    QList<QUrl> m_opened;
    QList<bool> m_openResults; // what the desktop answers to each open, in turn
    std::optional<bool> m_handler;
    QStringList m_probed;

    QString storePath() const { return m_home.filePath(QStringLiteral("config/Tolvo/defaults.json")); }

private slots:
    void initTestCase()
    {
        // The update check's network module sits beside tolvo in the build tree, not beside this test.
        QCoreApplication::addLibraryPath(qEnvironmentVariable("TOLVO_BINARY_DIR") + QStringLiteral("/src"));
        qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toLocal8Bit());
        m_defaults = std::make_unique<Defaults>(storePath());
        registerTolvoDefaults(*m_defaults);
        m_notes = std::make_unique<NotesStore>(*m_defaults, m_home.filePath(QStringLiteral("data/Tolvo/notes")));
        m_updater = std::make_unique<SoftwareUpdater>(*m_defaults);
        DocumentEnvironment environment;
        environment.defaults = m_defaults.get();
        environment.notes = m_notes.get();
        m_documents = std::make_unique<DocumentController>(environment);
        m_commands = std::make_unique<AppCommands>(*m_defaults, *m_updater, *m_documents);
        m_commands->setUrlOpener([this](const QUrl& url) {
            m_opened << url;
            return m_openResults.isEmpty() ? true : m_openResults.takeFirst();
        });
        m_commands->setHandlerProbe([this](const QString& scheme, std::function<void(std::optional<bool>)> done) {
            m_probed << scheme;
            done(m_handler);
        });
        m_edit = m_bar.addMenu(QStringLiteral("&Edit"));
        m_edit->setObjectName(QStringLiteral("editMenu"));
        m_help = m_commands->installMenus(&m_bar);
    }

    void init()
    {
        m_opened.clear();
        m_openResults.clear();
        m_probed.clear();
        m_handler.reset();
    }

    void cleanup()
    {
        while (QMessageBox* box = shownMessageBox()) {
            box->close();
            delete box;
        }
        delete m_commands->fontDialog();
    }

    void mailCommands_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("handler"); // 1 a mail program, 0 none, -1 the desktop cannot say
        QTest::addColumn<bool>("openWorks");
        QTest::addColumn<QByteArray>("opened");
        QTest::addColumn<bool>("message");
        const QByteArray support = "mailto:support@tolvo.github.io?subject=Help%20Using%20Tolvo%20v1.2";
        const QByteArray feedback = "mailto:support@tolvo.github.io?subject=Feedback%20on%20Tolvo%20v1.2";
        QTest::newRow("support mail") << "&Email Customer Support..." << 1 << true << support << false;
        QTest::newRow("feedback mail") << "Send &Feedback..." << 1 << true << feedback << false;
        QTest::newRow("no mail program") << "&Email Customer Support..." << 0 << true << QByteArray() << true;
        QTest::newRow("unknown, handed over") << "Send &Feedback..." << -1 << true << feedback << false;
        QTest::newRow("unknown, refused") << "Send &Feedback..." << -1 << false << feedback << true;
    }
    void mailCommands()
    {
        QFETCH(QString, item);
        QFETCH(int, handler);
        QFETCH(bool, openWorks);
        QFETCH(QByteArray, opened);
        QFETCH(bool, message);
        if (handler >= 0)
            m_handler = handler == 1;
        m_openResults = { openWorks };
        QAction* action = actionWithText(m_help, item);
        QVERIFY(action);
        action->trigger();
        QCOMPARE(m_probed, QStringList { QStringLiteral("mailto") });
        QCOMPARE(m_opened.isEmpty() ? QByteArray() : m_opened.first().toEncoded(), opened);
        QMessageBox* box = shownMessageBox();
        QCOMPARE(box != nullptr, message);
        if (box) {
            QCOMPARE(box->text(), QStringLiteral("No mail program is set up."));
            QVERIFY(box->informativeText().contains(QLatin1String(addresses::kSupportEmail)));
        }
    }

    void webPages_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("handler");
        QTest::addColumn<QList<bool>>("openResults");
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<bool>("message");
        const QString web = QString::fromLatin1(addresses::kWebPage);
        const QString store = QString::fromLatin1(addresses::kStorePage);
        const QString storeWeb = QString::fromLatin1(addresses::kStoreWebPage);
        QTest::newRow("web page") << "Tolvo &Website" << -1 << QList<bool>() << QStringList { web } << false;
        QTest::newRow("no browser") << "Support &Online" << -1 << QList<bool> { false } << QStringList { web } << true;
        QTest::newRow("software centre") << "Tolvo in the Software &Centre" << 1 << QList<bool>()
                                         << QStringList { store } << false;
        QTest::newRow("no software centre: the web page")
            << "Tolvo in the Software &Centre" << 0 << QList<bool>() << QStringList { storeWeb } << false;
        QTest::newRow("centre refuses: the web page") << "Tolvo in the Software &Centre" << 1 << QList<bool> { false }
                                                      << QStringList { store, storeWeb } << false;
        QTest::newRow("nothing opens it")
            << "Tolvo in the Software &Centre" << -1 << QList<bool> { false } << QStringList { storeWeb } << true;
    }
    void webPages()
    {
        QFETCH(QString, item);
        QFETCH(int, handler);
        QFETCH(QList<bool>, openResults);
        QFETCH(QStringList, opened);
        QFETCH(bool, message);
        if (handler >= 0)
            m_handler = handler == 1;
        m_openResults = openResults;
        QAction* action = actionWithText(m_help, item);
        QVERIFY(action);
        action->trigger();
        QStringList texts;
        for (const QUrl& url : std::as_const(m_opened))
            texts << url.toString();
        QCOMPARE(texts, opened);
        QCOMPARE(shownMessageBox() != nullptr, message);
    }

    void fontStoredTogether_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("size");
        QTest::newRow("serif, fractional size") << QFont("DejaVu Serif", 15) << "DejaVu Serif" << 15.0;
        QFont half("DejaVu Sans");
        half.setPointSizeF(10.5);
        QTest::newRow("half points") << half << "DejaVu Sans" << 10.5;
        QFont pixels("DejaVu Serif");
        pixels.setPixelSize(20);
        // A font in pixels has no point size: the name changes, the stored size stays.
        QTest::newRow("pixel font keeps the size") << pixels << "DejaVu Serif" << 10.5;
    }
    void fontStoredTogether()
    {
        QFETCH(QFont, font);
        QFETCH(QString, family);
        QFETCH(double, size);
        m_commands->changeFontForInfoText(font);
        QCOMPARE(storedUserFont(*m_defaults), (FontSpec { family, size }));
        // Written through at once: another process reads both.
        Defaults other(storePath());
        registerTolvoDefaults(other);
        QCOMPARE(storedUserFont(other), (FontSpec { family, size }));
    }

    void dialogStartsAtTheUserFont_data()
    {
        QTest::addColumn<QVariant>("storedSize");
        QTest::addColumn<double>("shown");
        QTest::newRow("stored size") << QVariant(17.0) << 17.0;
        QTest::newRow("zero") << QVariant(0.0) << 12.0;
        QTest::newRow("negative") << QVariant(-4.0) << 12.0;
    }
    void dialogStartsAtTheUserFont()
    {
        QFETCH(QVariant, storedSize);
        QFETCH(double, shown);
        m_defaults->setValue(
            QString::fromLatin1(keys::kFontNameForRichTextCopiedFromPDF), QStringLiteral("DejaVu Sans"));
        m_defaults->setValue(QString::fromLatin1(keys::kFontSizeForRichTextCopiedFromPDF), storedSize);
        QAction* action = actionWithText(m_edit, QStringLiteral("Font for Copied Text..."));
        QVERIFY(action);
        action->trigger();
        QFontDialog* dialog = m_commands->fontDialog();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->currentFont().family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(dialog->currentFont().pointSizeF(), shown);

        dialog->setCurrentFont(QFont(QStringLiteral("DejaVu Serif"), 11));
        const QFont chosen = dialog->currentFont();
        dialog->accept();
        QCOMPARE(storedUserFont(*m_defaults), (FontSpec { chosen.family(), chosen.pointSizeF() }));
        QCOMPARE(chosen.family(), QStringLiteral("DejaVu Serif"));
    }

    void updateAnswers_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("button");
        const QString good = QUrl::fromLocalFile(feedFile(QStringLiteral("good.xml"))).toString();
        const QString empty = QUrl::fromLocalFile(feedFile(QStringLiteral("empty-channel.xml"))).toString();
        const QString gone = QUrl::fromLocalFile(feedFile(QStringLiteral("no-such-feed.xml"))).toString();
        const QString couldNot = QStringLiteral("Tolvo could not check for updates.");
        const QString ok = QStringLiteral("OK");
        QTest::newRow("newer version") << good << "1.0" << QStringLiteral("Tolvo 1.2 is available.")
                                       << QStringLiteral("Open Download Page");
        QTest::newRow("up to date") << good << "1.2" << QStringLiteral("Tolvo is up to date.") << ok;
        QTest::newRow("no releases") << empty << "1.0" << couldNot << ok;
        QTest::newRow("feed file gone") << gone << "1.0" << couldNot << ok;
        QTest::newRow("address no URL") << QStringLiteral("not an address") << "1.0" << couldNot << ok;
    }
    // A build for a distribution has neither the command nor a feed to read.
    void updateCheckOnlyWhenBuilt()
    {
        QCOMPARE(actionWithText(m_help, QStringLiteral("Check for &Updates...")) != nullptr, bool(TOLVO_UPDATE_CHECK));
        QCOMPARE(m_defaults->registeredKey(QString::fromLatin1(keys::kSoftwareUpdateFeedURL)) != nullptr,
            bool(TOLVO_UPDATE_CHECK));
    }

    void updateAnswers()
    {
        QFETCH(QString, address);
        QFETCH(QString, current);
        QFETCH(QString, text);
        QFETCH(QString, button);
        if (!TOLVO_UPDATE_CHECK)
            QSKIP("built without the update check");
        m_defaults->setValue(QString::fromLatin1(keys::kSoftwareUpdateFeedURL), address);
        m_updater->setCurrentVersion(current);
        QAction* action = actionWithText(m_help, QStringLiteral("Check for &Updates..."));
        QVERIFY(action);
        action->trigger();
        QTRY_VERIFY(!m_updater->isChecking());
        QTRY_VERIFY(shownMessageBox() && shownMessageBox()->text() != QLatin1String("Checking for Updates..."));
        QMessageBox* box = shownMessageBox();
        QCOMPARE(box->text(), text);
        QVERIFY(box->button(QMessageBox::Ok) || !box->buttons().isEmpty());
        QStringList buttons;
        for (QAbstractButton* b : box->buttons())
            buttons << b->text().remove(u'&');
        QVERIFY2(buttons.contains(button), qPrintable(buttons.join(u',')));
        m_defaults->removeValue(QString::fromLatin1(keys::kSoftwareUpdateFeedURL));
    }

    void pageViewsRedraw_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("the command") << "command";
        QTest::newRow("box size option changed") << "size";
    }
    void pageViewsRedraw()
    {
        QFETCH(QString, how);
        const QString pdf = qEnvironmentVariable("TOLVO_FIXTURES") + QStringLiteral("/docwin/NoOutline.pdf");
        MyDocument* document = m_documents->documentForPath(pdf);
        if (!document)
            document = m_documents->openDocument(pdf);
        QVERIFY(document && document->pdfview());
        document->myWindow()->show();
        QVERIFY(QTest::qWaitForWindowExposed(document->myWindow()));
        PaintCounter counter;
        document->pdfview()->viewport()->installEventFilter(&counter);
        // Rendering paints as pages arrive: wait until the view is at rest.
        QVERIFY(tolvo::test::waitForFirstPositioning(document));
        QTRY_VERIFY(document->pdfview()->visiblePagesReady());
        QCoreApplication::processEvents();
        counter.paints = 0;
        if (how == QLatin1String("command"))
            m_commands->userPreferencesPDFDisplayUpdated();
        else
            m_defaults->setValue(QString::fromLatin1(keys::kRedBoxSize), QStringLiteral("Large"));
        QTRY_VERIFY(counter.paints > 0);
    }
};

QTEST_MAIN(TestAppCommands)
#include "test_app_commands.moc"
