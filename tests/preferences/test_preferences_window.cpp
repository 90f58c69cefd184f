// SPDX-License-Identifier: GPL-3.0-or-later
// The preference window: the routing table's filter, its red rows after a
// check, opening and revealing rows, copy and paste between the tables, drops,
// the pane switching with its check, and the option controls writing their keys.
#include "preferences/BehavioursPane.h"
#include "preferences/MatchingTableModel.h"
#include "preferences/PreferencesWindow.h"
#include "preferences/PrefixFilterModel.h"
#include "preferences/RoutingTableModel.h"
#include "routing/RoutingCheck.h"
#include "routing/RoutingTable.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "ui_Preferences.h"
#include "widgets/TLNSTableView.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tolvo;

namespace {

const QString kRouting = QString::fromLatin1(keys::kRoutingDictionary);
const QString kMatching = QString::fromLatin1(keys::kMatchingDictionary);
const QString kAutomatic = QString::fromLatin1(keys::kAutomaticallyValidate);

QStringList listedPrefixes(const PreferencesWindow& window)
{
    QStringList prefixes;
    const PrefixFilterModel* filter = window.routingFilter();
    for (int row = 0; row < filter->rowCount(); ++row)
        prefixes << filter->index(row, 0).data().toString();
    return prefixes;
}

bool isRed(const QAbstractItemModel& model, int row, int column)
{
    return model.index(row, column).data(Qt::ForegroundRole).value<QBrush>().color() == Qt::red;
}

std::unique_ptr<QMimeData> filesMime(const QStringList& paths, const QString& text = QString())
{
    auto mime = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    mime->setUrls(urls);
    if (!text.isNull())
        mime->setText(text);
    return mime;
}

} // namespace

class TestPreferencesWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Defaults> m_defaults;
    std::unique_ptr<RoutingCheck> m_check;
    std::unique_ptr<PreferencesWindow> m_window;
    QStringList m_opened;
    QStringList m_revealed;
    QStringList m_help;

    QString file(const QString& name) const { return m_dir.filePath(QStringLiteral("pdfs/") + name); }
    QString makePdf(const QString& name) const
    {
        QDir().mkpath(m_dir.filePath(QStringLiteral("pdfs")));
        QFile f(file(name));
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(file(name)));
        f.write("%PDF-1.4\n" + name.toUtf8().repeated(50));
        return file(name);
    }
    void route(const QString& prefix, const QString& name)
    {
        const QString path = QFile::exists(file(name)) ? file(name) : makePdf(name);
        QVERIFY(RoutingTable(*m_defaults, SearchScope::none()).storePrefix(prefix, path).ok());
    }
    void makeWindow()
    {
        PreferencesServices services;
        services.openFile = [this](const QString& path) { m_opened << path; };
        services.revealFile = [this](const QString& path) { m_revealed << path; };
        services.openButtonHelp = [this](const QString& id) { m_help << id; };
        m_window = std::make_unique<PreferencesWindow>(*m_defaults, *m_check, services, SearchScope::none());
    }

private slots:
    void initTestCase()
    {
        // Nothing here may reach the user's own settings.
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
    }

    void init()
    {
        m_window.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("defaults.json")));
        m_defaults = std::make_unique<Defaults>(m_dir.filePath(QStringLiteral("defaults.json")));
        registerTolvoDefaults(*m_defaults);
        m_check = std::make_unique<RoutingCheck>(*m_defaults, SearchScope::none());
        m_opened.clear();
        m_revealed.clear();
        m_help.clear();
        QDir(m_dir.filePath(QStringLiteral("pdfs"))).removeRecursively();
    }

    void cleanup()
    {
        m_window.reset();
        m_check.reset();
        m_defaults.reset();
    }

    void filter_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("empty shows all") << "" << QStringList { "Book/", "book/", "bookshelf/", "mybook/" };
        QTest::newRow("book* starts with book") << "book*" << QStringList { "book/", "bookshelf/" };
        QTest::newRow("whole key") << "book" << QStringList {};
        QTest::newRow("question mark") << "?ook/" << QStringList { "Book/", "book/" };
    }
    void filter()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, listed);
        for (const char* p : { "book/", "Book/", "bookshelf/", "mybook/" })
            route(QString::fromLatin1(p), QString::fromLatin1(p).chopped(1) + QStringLiteral(".pdf"));
        makeWindow();
        m_window->ui().prefixSearchField->setText(QStringLiteral("*"));
        m_window->prefixTableView()->selectAll();
        m_window->ui().prefixSearchField->setText(pattern);
        QCOMPARE(listedPrefixes(*m_window), listed);
        QVERIFY(m_window->prefixTableView()->selectionModel()->selectedRows().isEmpty());
    }

    void aliasesShowBesideEachOther()
    {
        route(QStringLiteral("old/"), QStringLiteral("a.pdf"));
        route(QStringLiteral("new/"), QStringLiteral("a.pdf")); // renamed: the old key stays
        route(QStringLiteral("x/"), QStringLiteral("a.pdf"));
        route(QStringLiteral("other/"), QStringLiteral("b.pdf"));
        makeWindow();
        QHash<QString, QString> aliases;
        const QAbstractItemModel& listed = *m_window->routingFilter();
        for (int row = 0; row < listed.rowCount(); ++row)
            aliases.insert(listed.index(row, RoutingTableModel::PrefixColumn).data().toString(),
                listed.index(row, RoutingTableModel::AliasColumn).data().toString());
        QCOMPARE(aliases.value("old/"), QStringLiteral("new/, x/"));
        QCOMPARE(aliases.value("new/"), QStringLiteral("old/, x/"));
        QCOMPARE(aliases.value("other/"), QString());
    }

    void redRowsAfterCheck()
    {
        route(QStringLiteral("gone/"), QStringLiteral("gone.pdf"));
        route(QStringLiteral("here/"), QStringLiteral("here.pdf"));
        route(QStringLiteral("hidden-x/"), QStringLiteral("hidden.pdf"));
        QVERIFY(QFile::remove(file(QStringLiteral("gone.pdf"))));
        QVERIFY(QFile::remove(file(QStringLiteral("hidden.pdf"))));
        makeWindow();
        m_window->ui().prefixSearchField->setText(QStringLiteral("?e*"));
        QCOMPARE(listedPrefixes(*m_window), (QStringList { "here/" }));
        m_window->ui().prefixSearchField->setText(QStringLiteral("g*"));
        QCOMPARE(listedPrefixes(*m_window), (QStringList { "gone/" }));
        m_window->ui().prefixSearchField->setText(QStringLiteral("*e/"));
        QCOMPARE(listedPrefixes(*m_window), (QStringList { "gone/", "here/" }));

        m_window->ui().buttonManuallyValidatePrefixToPDFAssignments->click();
        // Rows hidden by the search are not checked.
        QCOMPARE(m_check->invalidPrefixList(), QStringList { "gone/" });
        const QAbstractItemModel& listed = *m_window->routingFilter();
        QVERIFY(isRed(listed, 0, RoutingTableModel::PrefixColumn));
        QVERIFY(isRed(listed, 0, RoutingTableModel::PathColumn));
        QVERIFY(!isRed(listed, 1, RoutingTableModel::PrefixColumn));
        QVERIFY(!isRed(listed, 1, RoutingTableModel::PathColumn));

        m_window->ui().prefixSearchField->clear();
        m_window->ui().buttonManuallyValidatePrefixToPDFAssignments->click();
        QCOMPARE(m_check->invalidPrefixList(), (QStringList { "gone/", "hidden-x/" }));
    }

    void doubleClick_data()
    {
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<bool>("reveals");
        QTest::newRow("plain opens") << false << int(Qt::NoModifier) << true << false;
        QTest::newRow("Ctrl reveals") << false << int(Qt::ControlModifier) << false << true;
        QTest::newRow("a gone file opens nothing") << true << int(Qt::NoModifier) << false << false;
        QTest::newRow("a gone file is still revealed by its folder")
            << true << int(Qt::ControlModifier) << false << true;
    }
    void doubleClick()
    {
        QFETCH(bool, deleted);
        QFETCH(int, modifiers);
        QFETCH(bool, opens);
        QFETCH(bool, reveals);
        route(QStringLiteral("a/"), QStringLiteral("a.pdf"));
        route(QStringLiteral("b/"), QStringLiteral("b.pdf"));
        if (deleted)
            QVERIFY(QFile::remove(file(QStringLiteral("b.pdf"))));
        makeWindow();
        m_window->show();
        TLNSTableView* view = m_window->prefixTableView();
        const QRect cell = view->visualRect(view->model()->index(1, 0));
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::KeyboardModifiers(modifiers), cell.center());
        QCOMPARE(m_opened, opens ? QStringList { file("b.pdf") } : QStringList());
        QCOMPARE(m_revealed, reveals ? QStringList { file("b.pdf") } : QStringList());
    }

    void roundTripThroughClipboard()
    {
        route(QStringLiteral("book/"), QStringLiteral("Book One.pdf"));
        route(QStringLiteral("a/b/"), QStringLiteral("ab.pdf"));
        route(QStringLiteral("other/"), QStringLiteral("other.pdf"));
        makeWindow();
        TLNSTableView* prefixes = m_window->prefixTableView();
        m_window->ui().prefixSearchField->setText(QStringLiteral("*b*"));
        prefixes->selectAll();
        // Through the keys, as people copy and paste, so that the tables' wiring is tried too.
        QTest::keySequence(prefixes, QKeySequence::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(),
            QStringLiteral("[prefix]a/b/\n%1\n\n[prefix]book/\n%2\n").arg(file("ab.pdf"), file("Book One.pdf")));

        // The routing table takes no paste.
        QTest::keySequence(prefixes, QKeySequence::Paste);
        QCOMPARE(m_defaults->dictionaryForKey(kRouting).size(), 3);

        QTest::keySequence(m_window->autoMatchTableView(), QKeySequence::Paste);
        const QVariantMap matching = m_defaults->dictionaryForKey(kMatching);
        QCOMPARE(matching.value("a/b/").toString(), file("ab.pdf"));
        QCOMPARE(matching.value("book/").toString(), file("Book One.pdf"));
        QCOMPARE(matching.value("apphelp").toString(), QStringLiteral("Tolvo User Guide.pdf"));
        QCOMPARE(matching.size(), 3);
        // Written to the file at once.
        Defaults reread(m_dir.filePath(QStringLiteral("defaults.json")));
        registerTolvoDefaults(reread);
        QCOMPARE(reread.dictionaryForKey(kMatching), matching);
    }

    void copyWithoutSelectionWritesNothing()
    {
        route(QStringLiteral("a/"), QStringLiteral("a.pdf"));
        makeWindow();
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        m_window->copySelectedTableItemsToClipboard(m_window->prefixTableView());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    }

    void generatedKeysNeverReplace()
    {
        m_defaults->setValue(kMatching,
            QVariantMap { { "aprefix-1", "kept.pdf" }, { "aprefix-2/", "kept2.pdf" }, { "apphelp", "g.pdf" } });
        makeWindow();
        QGuiApplication::clipboard()->setText(QStringLiteral("new1.pdf\nnew2.pdf\n"));
        m_window->pasteItemsOnClipboardIntoTable(m_window->autoMatchTableView());
        const QVariantMap matching = m_defaults->dictionaryForKey(kMatching);
        QCOMPARE(matching.value("aprefix-1").toString(), QStringLiteral("kept.pdf"));
        QCOMPARE(matching.value("aprefix-2/").toString(), QStringLiteral("kept2.pdf"));
        QCOMPARE(matching.value("aprefix-3").toString(), QStringLiteral("new1.pdf"));
        QCOMPARE(matching.value("aprefix-4").toString(), QStringLiteral("new2.pdf"));
        // A second paste counts on from what is there now.
        m_window->pasteItemsOnClipboardIntoTable(m_window->autoMatchTableView());
        QCOMPARE(m_defaults->dictionaryForKey(kMatching).value("aprefix-6").toString(), QStringLiteral("new2.pdf"));
    }

    void drop_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("nameOnly");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("file, name only") << QStringList { "/Users/x/Book.pdf" } << QString() << true << true
                                         << QStringList { "Book.pdf" };
        QTest::newRow("file, full path") << QStringList { "/Users/x/Book.pdf" } << QString() << false << true
                                         << QStringList { "/Users/x/Book.pdf" };
        QTest::newRow("non-PDF fails") << QStringList { "/Users/x/notes.txt" } << QString() << true << false
                                       << QStringList {};
        QTest::newRow("file manager's path text beside the file: once")
            << QStringList { "/Users/x/Book.pdf" } << "/Users/x/Book.pdf" << true << true << QStringList { "Book.pdf" };
        QTest::newRow("own text wins over files") << QStringList { "/Users/x/Book.pdf" } << "[prefix]mine\n/y/Mine.pdf"
                                                  << true << true << QStringList { "/y/Mine.pdf" };
        QTest::newRow("text without PDFs fails") << QStringList {} << "hello" << true << false << QStringList {};
    }
    void drop()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, text);
        QFETCH(bool, nameOnly);
        QFETCH(bool, accepted);
        QFETCH(QStringList, values);
        m_defaults->setValue(QString::fromLatin1(keys::kAutoMatchOnlyAddFilenameInFinderDrags), nameOnly);
        m_defaults->setValue(kMatching, QVariantMap());
        makeWindow();
        const auto mime = files.isEmpty() ? std::make_unique<QMimeData>() : filesMime(files, text);
        if (files.isEmpty())
            mime->setText(text);
        MatchingTableModel* model = m_window->matchingModel();
        QVERIFY(model->canDropMimeData(mime.get(), Qt::CopyAction, -1, -1, {}));
        QCOMPARE(model->dropMimeData(mime.get(), Qt::CopyAction, -1, -1, {}), accepted);
        QStringList stored;
        for (const QVariant& v : m_defaults->dictionaryForKey(kMatching))
            stored << v.toString();
        QCOMPARE(stored, values);
    }

    void editingMatchingKeys_data()
    {
        QTest::addColumn<QString>("newKey");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("a new key") << "fresh" << true;
        QTest::newRow("another entry's prefix") << "other/" << false;
        QTest::newRow("no letters") << "!!" << false;
    }
    void editingMatchingKeys()
    {
        QFETCH(QString, newKey);
        QFETCH(bool, accepted);
        m_defaults->setValue(kMatching, QVariantMap { { "mine", "mine.pdf" }, { "other", "other.pdf" } });
        makeWindow();
        QSignalSpy refused(m_window->matchingModel(), &MatchingTableModel::editRefused);
        MatchingTableModel* model = m_window->matchingModel();
        QCOMPARE(model->setData(model->index(model->rowOf("mine"), 0), newKey), accepted);
        const QVariantMap matching = m_defaults->dictionaryForKey(kMatching);
        QCOMPARE(matching.size(), 2);
        QCOMPARE(matching.value(accepted ? newKey : QStringLiteral("mine")).toString(), QStringLiteral("mine.pdf"));
        QCOMPARE(matching.value("other").toString(), QStringLiteral("other.pdf"));
        QCOMPARE(refused.size(), accepted ? 0 : 1);
    }

    void addAndRemoveRows()
    {
        route(QStringLiteral("a/"), QStringLiteral("a.pdf"));
        route(QStringLiteral("b/"), QStringLiteral("b.pdf"));
        m_defaults->setValue(kMatching, QVariantMap { { "aprefix-1", "x.pdf" } });
        makeWindow();
        m_window->ui().addMatchButton->click();
        QCOMPARE(m_defaults->dictionaryForKey(kMatching).value("aprefix-2"), QVariant(QString()));

        TLNSTableView* prefixes = m_window->prefixTableView();
        prefixes->selectRow(0);
        QTest::keyClick(prefixes, Qt::Key_Delete);
        QCOMPARE(m_defaults->dictionaryForKey(kRouting).keys(), QStringList { "b/" });
        QCOMPARE(m_window->routingModel()->rowCount(), 1);
    }

    void paneSwitching_data()
    {
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<int>("tag");
        QTest::addColumn<bool>("checked");
        QTest::newRow("prefix pane, automatic on: checks") << true << 0 << true;
        QTest::newRow("prefix pane, automatic off: no check") << false << 0 << false;
        QTest::newRow("automatch pane never checks") << true << 1 << false;
        QTest::newRow("behaviours pane never checks") << true << 2 << false;
    }
    void paneSwitching()
    {
        QFETCH(bool, automatic);
        QFETCH(int, tag);
        QFETCH(bool, checked);
        route(QStringLiteral("gone/"), QStringLiteral("gone.pdf"));
        QVERIFY(QFile::remove(file(QStringLiteral("gone.pdf"))));
        m_defaults->setValue(kAutomatic, automatic);
        makeWindow();
        m_window->show();
        m_window->selectPane(2);
        const QList<QAction*> items = m_window->ui().preferencesToolbar->actions();
        items.at(tag)->trigger();
        QCOMPARE(m_window->currentPane(), tag);
        for (QAction* item : items)
            QCOMPARE(item->isChecked(), item->data().toInt() == tag);
        QCOMPARE(m_check->invalidPrefixList(), checked ? QStringList { "gone/" } : QStringList());
        QCOMPARE(isRed(*m_window->routingFilter(), 0, 0), checked);
        QCOMPARE(m_window->ui().buttonManuallyValidatePrefixToPDFAssignments->isVisibleTo(m_window.get()), !automatic);
    }

    void checkButtonFollowsTheOption()
    {
        makeWindow();
        m_window->show();
        QPushButton* button = m_window->ui().buttonManuallyValidatePrefixToPDFAssignments;
        QVERIFY(button->isVisible());
        auto* box = qobject_cast<QCheckBox*>(m_window->behavioursPane()->controlForKey(kAutomatic));
        QVERIFY(box);
        box->click();
        QVERIFY(m_defaults->boolForKey(kAutomatic));
        QVERIFY(!button->isVisibleTo(m_window.get()));
        m_defaults->setValue(kAutomatic, false);
        m_window->windowDidBecomeKey();
        QVERIFY(button->isVisibleTo(m_window.get()));
    }

    void helpButtons()
    {
        makeWindow();
        m_window->ui().prefixHelp->click();
        m_window->ui().automatchHelp->click();
        QCOMPARE(m_help, (QStringList { "prefixHelp", "automatchHelp" }));
    }

    void checkBoxesWriteTheirKeys_data()
    {
        QTest::addColumn<QString>("key");
        for (const OptionGroup& group : behaviourOptions())
            for (const OptionControl& option : group.options)
                if (option.choices.isEmpty())
                    QTest::newRow(option.key) << QString::fromLatin1(option.key);
    }
    void checkBoxesWriteTheirKeys()
    {
        QFETCH(QString, key);
        makeWindow();
        auto* box = qobject_cast<QCheckBox*>(m_window->behavioursPane()->controlForKey(key));
        QVERIFY(box);
        const bool before = m_defaults->boolForKey(key);
        QCOMPARE(box->isChecked(), before);
        box->click();
        Defaults reread(m_dir.filePath(QStringLiteral("defaults.json")));
        registerTolvoDefaults(reread);
        QCOMPARE(reread.boolForKey(key), !before);
        // A change made elsewhere shows in the control, and is not written back.
        m_defaults->setValue(key, before);
        QCOMPARE(box->isChecked(), before);
    }

    void choicesWriteTheirKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("corner") << QString::fromLatin1(keys::kRedBoxLocation) << "Bottom Right";
        QTest::newRow("hide the box") << QString::fromLatin1(keys::kRedBoxLocation) << "Hide";
        QTest::newRow("size") << QString::fromLatin1(keys::kRedBoxSize) << "Large";
    }
    void choicesWriteTheirKeys()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        makeWindow();
        auto* combo = qobject_cast<QComboBox*>(m_window->behavioursPane()->controlForKey(key));
        QVERIFY(combo);
        QCOMPARE(combo->currentText(), m_defaults->stringForKey(key));
        QSignalSpy changed(m_defaults.get(), &Defaults::valueChanged);
        const int index = combo->findText(value);
        QVERIFY(index >= 0);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        QCOMPARE(m_defaults->stringForKey(key), value);
        // Page views redraw on this signal.
        QVERIFY(changed.contains(QVariantList { key }));
    }
};

QTEST_MAIN(TestPreferencesWindow)
#include "test_preferences_window.moc"
