// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/VantrelAppDelegate.h"

#include "app/AboutBox.h"
#include "app/AppCommands.h"
#include "app/DesktopIntegration.h"
#include "app/RecentlyUsed.h"
#include "app/SoftwareUpdater.h"
#include "document/DocumentController.h"
#include "document/DocumentWindow.h"
#include "document/FileReveal.h"
#include "document/MyDocument.h"
#include "document/NotesStore.h"
#include "document/NotesTermination.h"
#include "instance/InstanceProtocol.h"
#include "instance/SingleInstance.h"
#include "links/LinkGrammar.h"
#include "outline/MyOutlineItem.h"
#include "outline/OutlineModel.h"
#include "outline/OutlineTree.h"
#include "pageview/LabelPDFView.h"
#include "preferences/PreferencesWindow.h"
#include "routing/DocumentPrefix.h"
#include "routing/RoutingCheck.h"
#include "routing/UrlDispatch.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "settings/FirstViewMemory.h"
#include "settings/PlaceMemory.h"
#include "widgets/TLNSOutlineView.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

Q_LOGGING_CATEGORY(lcApp, "tolvo.app")

namespace tolvo {

namespace {

// After a PDF was opened for a link, its target is followed this much later,
// after the document's own first positioning.
constexpr int kIncomingTargetDelayMs = 500;

constexpr char kUserGuideFileName[] = "Tolvo User Guide.pdf";

// A start for PDFs makes the guide's route and checks the routes this much later, once the PDFs
// are on screen (or sooner, for a link that needs them).
constexpr int kSettleRoutesMs = 500;

void showWindows(MyDocument* document)
{
    if (QWidget* window = document->myWindow()) {
        window->show();
        window->raise();
        window->activateWindow();
    }
}

// Whether gotoString would move the view for this target.
bool targetMoves(MyDocument* document, const QString& target)
{
    const TargetReading reading = readTarget(
        target, [document](const QString& label) { return document->pageForLabel(label); },
        [document](const QStringList& components) -> std::optional<int> {
            return document->outline().moiMatchingURLSuffix(components) ? std::optional<int>(0) : std::nullopt;
        });
    return reading.kind != TargetReading::Kind::None;
}

QString selectedTocTitle(MyDocument* document)
{
    const TLNSOutlineView* view = document->outlineview();
    if (!view || !view->selectionModel())
        return QString();
    const MyOutlineItem* item = OutlineModel::itemForIndex(view->selectionModel()->currentIndex());
    return item ? item->pageTitle() : QString();
}

} // namespace

VantrelAppDelegate::VantrelAppDelegate(int listeningSocket, QObject* parent)
    : QObject(parent)
    , m_listeningSocket(listeningSocket)
{
}

VantrelAppDelegate::~VantrelAppDelegate() = default;

void VantrelAppDelegate::applicationDidFinishLaunching(const QStringList& arguments, const QString& workingDirectory)
{
    Defaults& defaults = Defaults::standard();

    // 1. The updater.
    m_updater = std::make_unique<SoftwareUpdater>(defaults);

    m_check = std::make_unique<RoutingCheck>(defaults);
    DocumentEnvironment environment;
    environment.validateRoutingDictionary = [this] { validateRoutingDictionary(); };
    // A link clicked in the notes takes the way of a link from outside.
    environment.openLink = [this](const QString& url) { openPDFforURLString(url); };
    // Each PDF opens where it was left.
    m_places = std::make_unique<PlaceMemory>(PlaceMemory::standardPath());
    environment.places = m_places.get();
    m_firstViews = std::make_unique<FirstViewMemory>(FirstViewMemory::standardPath());
    environment.firstViews = m_firstViews.get();
    m_documents = std::make_unique<DocumentController>(environment);
    // Every document window gets the application's Help menu, the user guide first.
    m_commands = std::make_unique<AppCommands>(defaults, *m_updater, *m_documents);
    connect(m_documents.get(), &DocumentController::documentOpened, this, [this](MyDocument* document) {
        if (!document->myWindow())
            return;
        QMenu* help = m_commands->installMenus(document->myWindow()->menuBar());
        auto* guide = new QAction(tr("Tolvo &User Guide"), help);
        connect(guide, &QAction::triggered, this, &VantrelAppDelegate::openHelpFileInTolvo);
        help->insertAction(help->actions().value(0), guide);
        help->insertSeparator(help->actions().value(1));
        help->addSeparator();
        QWidget* window = document->myWindow();
        connect(help->addAction(tr("&About Tolvo")), &QAction::triggered, window, [window] { showAboutBox(window); });
    });
    // The desktop's recently used files list the PDFs opened here too.
    connect(m_documents.get(), &DocumentController::documentOpened, this, [this](MyDocument* document) {
        connect(document, &MyDocument::recentlyOpened, this, [](MyDocument* opened) {
            QString problem;
            if (!addToRecentlyUsed(recentlyUsedPath(), opened->filePath(), QDateTime::currentDateTimeUtc(), &problem))
                qCInfo(lcApp).noquote() << "Not added to" << recentlyUsedPath() << ":" << problem;
        });
    });
    // Every document window's Edit menu opens the preference window (Linux keeps it there).
    connect(m_documents.get(), &DocumentController::documentOpened, this, [this](MyDocument* document) {
        QMenu* edit = document->myWindow()
            ? document->myWindow()->menuBar()->findChild<QMenu*>(QStringLiteral("editMenu"), Qt::FindDirectChildrenOnly)
            : nullptr;
        if (!edit)
            return;
        edit->addSeparator();
        QAction* preferences = edit->addAction(tr("Pre&ferences..."));
        preferences->setShortcut(QKeySequence(tr("Ctrl+,")));
        preferences->setMenuRole(QAction::PreferencesRole);
        connect(preferences, &QAction::triggered, this, &VantrelAppDelegate::showPreferencesWindow);
    });

    // 2. Incoming links: later `tolvo URL` processes hand theirs over here.
    m_server = std::make_unique<instance::InstanceServer>(
        [this](const QJsonObject& message) { return handleMessage(message); });
    if (m_listeningSocket >= 0 && !m_server->listen(m_listeningSocket))
        qCWarning(lcApp) << "Cannot serve the instance socket; links will start new windows";

    // 3. The user's handler of tolvo:// links.
    desktop::becomeSchemeHandler(QCoreApplication::applicationFilePath());

    // 4. (The preference tables are wired when their window is made.)
    // 5. The guide's route and the check follow from the event loop (settleRoutes()).

    connect(qApp, &QGuiApplication::applicationStateChanged, this, &VantrelAppDelegate::applicationStateChanged);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [] { Defaults::standard().synchronize(); });
    // Ended from outside (logout, shutdown, kill): what was typed is written first.
    const auto save = [] {
        NotesStore::shared().flush();
        Defaults::standard().synchronize();
    };
    installTerminationHandlers(save, [save] {
        save();
        QCoreApplication::exit(0);
    });

    // 6 to 8, from the event loop, so that processes handing over links get
    // their answer while the first window is still being made. The guide, or
    // else the preference window; a start for a file or a link shows that
    // instead, since opening the guide over it would bury it.
    QTimer::singleShot(0, this, [this, arguments, workingDirectory] {
        // The guide's route, whether or not the guide opens now: Help, the preference window's
        // "?" buttons and tolvo://apphelp/ links from outside all go through it. Making it reads
        // and hashes the guide, which a start for PDFs does once they are on screen.
        const bool onlyFiles = !arguments.isEmpty()
            && std::none_of(
                arguments.begin(), arguments.end(), [](const QString& a) { return a.startsWith(kLinkScheme); });
        if (!onlyFiles)
            settleRoutes();
        if (arguments.isEmpty()) {
            if (Defaults::standard().boolForKey(keys::kShowHelpOnStart))
                openUserGuideCopy();
            else
                showPreferencesWindow();
        }
        handleArguments(arguments, workingDirectory);
        if (onlyFiles)
            QTimer::singleShot(kSettleRoutesMs, this, &VantrelAppDelegate::settleRoutes);
    });
}

void VantrelAppDelegate::settleRoutes()
{
    registerUserGuide();
    m_check->validateIfAutomatic(preferencesRowFilter());
}

void VantrelAppDelegate::applicationStateChanged(Qt::ApplicationState state)
{
    const bool wasActive = m_lastState == Qt::ApplicationActive;
    m_lastState = state;
    // The notes live in the store: write them whenever the application comes or goes.
    if (state == Qt::ApplicationActive && !wasActive) {
        Defaults::standard().synchronize();
        // The check sees the guide's route as this start makes it.
        if (Defaults::standard().boolForKey(QString::fromLatin1(keys::kAutomaticallyValidate)))
            registerUserGuide();
        m_check->validateIfAutomatic(preferencesRowFilter());
    } else if (state != Qt::ApplicationActive && wasActive) {
        Defaults::standard().synchronize();
    }
}

QJsonObject VantrelAppDelegate::handleMessage(const QJsonObject& message)
{
    const QString type = message.value(QStringLiteral("type")).toString();
    if (type == QLatin1String(instance::kStatus))
        return status();
    if (type == QLatin1String(instance::kOpen)) {
        QStringList arguments;
        for (const QJsonValue& v : message.value(QStringLiteral("arguments")).toArray())
            arguments << v.toString();
        const QString cwd = message.value(QStringLiteral("workingDirectory")).toString();
        // The sender waits for this reply: answer now and do the work from the event loop.
        QTimer::singleShot(0, this, [this, arguments, cwd] {
            if (arguments.isEmpty() && !m_documents->documents().isEmpty()) {
                showWindows(m_documents->documents().last());
                return;
            }
            if (arguments.isEmpty())
                openUserGuideCopy();
            handleArguments(arguments, cwd);
        });
        return QJsonObject { { QStringLiteral("ok"), true } };
    }
    qCInfo(lcApp).noquote() << "Ignoring a message of unknown type" << type;
    return QJsonObject { { QStringLiteral("error"), QStringLiteral("unknown message type") } };
}

void VantrelAppDelegate::handleArguments(const QStringList& arguments, const QString& workingDirectory)
{
    QStringList files;
    for (const QString& argument : arguments) {
        if (argument.startsWith(kLinkScheme)) {
            openFiles(files);
            files.clear();
            openPDFforURLString(argument);
        } else if (argument.startsWith(QLatin1String("file:"))) {
            // File managers hand local files over as file:// URLs for Exec=%U.
            const QUrl url(argument);
            if (url.isLocalFile())
                files << url.toLocalFile();
        } else if (!argument.isEmpty()) {
            files << QDir(workingDirectory).absoluteFilePath(argument);
        }
    }
    openFiles(files);
}

void VantrelAppDelegate::openPDFforURLString(const QString& url)
{
    registerUserGuide();
    const DispatchDecision decision = dispatchIncomingURL(url, [this](const QString& text) {
        QStringList openPrefixes;
        for (MyDocument* document : m_documents->documents())
            openPrefixes << document->prefix();
        RoutingTable routing(Defaults::standard());
        return decideDispatch(text, openPrefixes, routing);
    });

    switch (decision.kind) {
    case DispatchDecision::Kind::OpenDocument: {
        MyDocument* document = m_documents->documents().value(decision.documentIndex);
        showWindows(document);
        document->gotoString(
            targetToFollow(url, decision, [document](const QString& t) { return targetMoves(document, t); }));
        return;
    }
    case DispatchDecision::Kind::OpenFile: {
        MyDocument* document = m_documents->openDocument(decision.filePath);
        if (!document)
            return;
        const QString target = targetToFollow(
            url, decision, [document](const QString& t) { return !document->pdfdoc() || targetMoves(document, t); });
        gotoLater(document, target);
        return;
    }
    case DispatchDecision::Kind::NotFound:
        showUnableToLocate(url, decision.prefix);
        return;
    }
}

void VantrelAppDelegate::gotoLater(MyDocument* document, const QString& target)
{
    QPointer<MyDocument> guard(document);
    QTimer::singleShot(kIncomingTargetDelayMs, this, [guard, target] {
        if (guard)
            guard->gotoString(target);
    });
}

void VantrelAppDelegate::showUnableToLocate(const QString& url, const QString& prefix)
{
    auto informative = [this] {
        const QString more = m_moreUnlocated == 0 ? QString()
            : m_moreUnlocated == 1                ? QStringLiteral(" and 1 more link")
                                                  : QStringLiteral(" and %1 more links").arg(m_moreUnlocated);
        return QStringLiteral("Tolvo could not locate the PDF corresponding to the URL %1%2. Would you like to "
                              "locate the PDF on your computer?")
            .arg(m_firstUnlocatedUrl, more);
    };
    if (m_unableToLocate) {
        ++m_moreUnlocated;
        m_unableToLocate->setInformativeText(informative());
        return;
    }
    QApplication::beep();
    m_firstUnlocatedUrl = url;
    m_firstUnlocatedPrefix = prefix;
    m_moreUnlocated = 0;
    auto* box = new QMessageBox(
        QMessageBox::Warning, QStringLiteral("Tolvo"), QStringLiteral("Unable to locate PDF"), QMessageBox::NoButton);
    m_unableToLocate = box;
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(informative());
    QPushButton* locate = box->addButton(QStringLiteral("Locate PDF..."), QMessageBox::AcceptRole);
    box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box->setDefaultButton(locate);
    // Not exec(): the instance must go on answering other processes meanwhile.
    connect(box, &QMessageBox::finished, this, [this, box, locate] {
        if (box->clickedButton() != locate)
            return;
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString file = QFileDialog::getOpenFileName(
            nullptr, tr("Locate PDF"), folder, tr("PDF files (*.pdf *.PDF);;All files (*)"));
        if (!file.isEmpty())
            locatePDF(m_firstUnlocatedUrl, m_firstUnlocatedPrefix, file);
    });
    box->open();
}

QString VantrelAppDelegate::prefixOfUnlocatedURL(const QString& url, const QString& fittedPrefix)
{
    if (!fittedPrefix.isEmpty())
        return fittedPrefix;
    if (!url.startsWith(kLinkScheme))
        return QString();
    // No key fitted: a prefix is most often one piece, and a link names its PDF by it.
    const QString rest = url.mid(kLinkScheme.size());
    const qsizetype slash = rest.indexOf(u'/');
    return slash > 0 ? rest.left(slash + 1) : QString();
}

void VantrelAppDelegate::locatePDF(const QString& url, const QString& fittedPrefix, const QString& file)
{
    const QString pdfPath = QDir::cleanPath(QFileInfo(file).absoluteFilePath());
    const QString prefix = prefixOfUnlocatedURL(url, fittedPrefix);
    if (prefix.isEmpty()) {
        openFile(pdfPath);
        return;
    }
    // The chosen file takes the link's prefix, so this link and those like it open it from now on.
    bool stored = false;
    if (MyDocument* open = m_documents->documentForPath(pdfPath); open && open->documentPrefix()) {
        stored = open->documentPrefix()->storePrefix(prefix);
    } else {
        PrefixCallbacks callbacks;
        callbacks.alert = [](const QString& message, const QString& informative) {
            QApplication::beep();
            QMessageBox alert(QMessageBox::Warning, QStringLiteral("Tolvo"), message, QMessageBox::Ok);
            alert.setInformativeText(informative);
            alert.exec();
        };
        callbacks.validate = [this] { validateRoutingDictionary(); };
        stored = DocumentPrefix(Defaults::standard(), pdfPath, std::move(callbacks)).storePrefix(prefix);
    }
    if (stored)
        openPDFforURLString(url);
    else
        openFile(pdfPath);
}

bool VantrelAppDelegate::openFile(const QString& path)
{
    m_documents->openDocument(path);
    return true;
}

void VantrelAppDelegate::openFiles(const QStringList& paths)
{
    for (const QString& path : paths)
        openFile(path);
}

void VantrelAppDelegate::validateRoutingDictionary()
{
    m_check->validateRoutingDictionary(preferencesRowFilter());
}

const QStringList& VantrelAppDelegate::invalidPrefixList() const
{
    return m_check->invalidPrefixList();
}

const QStringList& VantrelAppDelegate::invalidPathsList() const
{
    return m_check->invalidPathsList();
}

QString VantrelAppDelegate::userGuideResource()
{
    return QStringLiteral(":/") + QLatin1String(kUserGuideFileName);
}

QString VantrelAppDelegate::userGuideCopyPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + u'/' + QLatin1String(kUserGuideFileName);
}

QString VantrelAppDelegate::refreshUserGuideCopy()
{
    const QString target = userGuideCopyPath();
    QFile resource(userGuideResource());
    if (!resource.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray guide = resource.readAll();
    // The copy of this version stays as it is: the same file keeps its place in the routing table.
    QFile existing(target);
    if (existing.open(QIODevice::ReadOnly) && existing.size() == guide.size() && existing.readAll() == guide)
        return target;
    existing.close();
    QDir().mkpath(QFileInfo(target).absolutePath());
    QSaveFile copy(target);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(guide) != guide.size() || !copy.commit()) {
        qCInfo(lcApp).noquote() << "Could not copy the user guide to" << target;
        return QFile::exists(target) ? target : QString();
    }
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return target;
}

void VantrelAppDelegate::registerUserGuide()
{
    if (m_guideRegistered)
        return;
    m_guideRegistered = true;
    const QString guide = refreshUserGuideCopy();
    if (guide.isEmpty())
        return;
    RoutingTable routing(Defaults::standard(), SearchScope::none());
    const QString prefix = QString(kAppHelpPrefix);
    if (routing.keysForPath(guide).contains(prefix))
        routing.renewKeys({ prefix }, guide);
    else if (const RoutingTable::StoreResult stored = routing.storePrefix(prefix, guide); !stored.ok())
        qCInfo(lcApp).noquote() << "Could not route" << prefix << "to the user guide:" << stored.error;
}

void VantrelAppDelegate::openUserGuideCopy()
{
    const QString guide = refreshUserGuideCopy();
    if (!guide.isEmpty())
        openFile(guide);
}

void VantrelAppDelegate::showPreferencesWindow()
{
    registerUserGuide();
    if (!m_preferencesWindow) {
        PreferencesServices services;
        services.openFile = [this](const QString& path) { openFile(path); };
        services.revealFile = [](const QString& path) { revealFile(path); };
        services.openButtonHelp = [this](const QString& identifier) { openButtonHelp(identifier); };
        services.setFontPreferenceForPDFCopiedText = [this] {
            if (m_commands)
                m_commands->setFontPreferenceForPDFCopiedText();
        };
        m_preferencesWindow = std::make_unique<PreferencesWindow>(Defaults::standard(), *m_check, services);
        m_preferencesWindow->selectPane(PreferencesWindow::PrefixPane);
    }
    m_preferencesWindow->show();
    m_preferencesWindow->raise();
    m_preferencesWindow->activateWindow();
}

RowFilter VantrelAppDelegate::preferencesRowFilter() const
{
    return m_preferencesWindow ? m_preferencesWindow->rowFilter() : RowFilter();
}

QWidget* VantrelAppDelegate::preferencesWindow() const
{
    return m_preferencesWindow.get();
}

void VantrelAppDelegate::openButtonHelp(const QString& identifier)
{
    QString url = QString(kAppHelpLink);
    if (identifier == QLatin1String("prefixHelp"))
        url = QString(kAppHelpPrefixLink);
    else if (identifier == QLatin1String("automatchHelp"))
        url = QString(kAppHelpAutomatchLink);
    QDesktopServices::openUrl(QUrl(url));
}

void VantrelAppDelegate::openHelpFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const QString copy = folder + u'/' + QLatin1String(kUserGuideFileName);
    QFile::remove(copy);
    if (QFile::copy(userGuideResource(), copy))
        QDesktopServices::openUrl(QUrl::fromLocalFile(copy));
}

void VantrelAppDelegate::openHelpFileInTolvo()
{
    QDesktopServices::openUrl(QUrl(QString(kAppHelpLink)));
}

QJsonObject VantrelAppDelegate::status() const
{
    QJsonArray documents;
    for (MyDocument* document : m_documents->documents()) {
        QJsonObject entry;
        entry.insert(QStringLiteral("file"), document->filePath());
        entry.insert(QStringLiteral("prefix"), document->prefix());
        const int page = document->pdfview() ? document->pdfview()->currentPage() : -1;
        entry.insert(QStringLiteral("pageIndex"), page);
        entry.insert(QStringLiteral("pageLabel"),
            page >= 0 && document->pdfdoc() ? QJsonValue(document->pdfdoc()->pageLabel(page)) : QJsonValue());
        entry.insert(QStringLiteral("windowTitle"),
            document->myWindow() ? QJsonValue(document->myWindow()->windowTitle()) : QJsonValue());
        const QString toc = selectedTocTitle(document);
        entry.insert(QStringLiteral("selectedTocTitle"), toc.isNull() ? QJsonValue() : QJsonValue(toc));
        // A new window moves to its first page once; a script waits for that before it moves it.
        entry.insert(QStringLiteral("positioned"), document->isFirstPositioningDone());
        documents.append(entry);
    }
    QJsonValue alert;
    QJsonValue details;
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        alert = box->text();
        details = box->informativeText();
    }
    return QJsonObject { { QStringLiteral("documents"), documents }, { QStringLiteral("alert"), alert },
        { QStringLiteral("alertDetails"), details } };
}

} // namespace tolvo
