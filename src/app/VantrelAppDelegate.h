// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application: start-up in its fixed order, incoming links and files,
// the routing check, and flushing the store as the application comes and goes.

#include "routing/RoutingTable.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>

class QMessageBox;
class QWidget;

namespace tolvo {

class AppCommands;
class DocumentController;
class MyDocument;
class NotesStore;
class PlaceMemory;
class FirstViewMemory;
class PreferencesWindow;
class RoutingCheck;
class SoftwareUpdater;

namespace instance {
class InstanceServer;
}

class VantrelAppDelegate : public QObject {
    Q_OBJECT
public:
    /// listeningSocket: the socket that claiming the single instance bound, or -1
    /// to run without one (when claiming failed).
    explicit VantrelAppDelegate(int listeningSocket, QObject* parent = nullptr);
    ~VantrelAppDelegate() override;

    /// The application never creates an empty document.
    static bool applicationShouldOpenUntitledFile() { return false; }

    /// The start-up, in order; then the process's own arguments are handled.
    void applicationDidFinishLaunching(const QStringList& arguments, const QString& workingDirectory);

    /// Follows one tolvo:// URL, as received.
    void openPDFforURLString(const QString& url);
    /// Opens a PDF file as a document and shows it.
    bool openFile(const QString& path);
    void openFiles(const QStringList& paths);

    /// The answer to "Locate PDF...": the chosen file takes the URL's prefix (the routing key
    /// that fitted, or else the URL's first piece) with a fresh reference, and the URL is followed.
    void locatePDF(const QString& url, const QString& fittedPrefix, const QString& file);

    /// Files, file:// URLs and tolvo:// URLs from a command line (relative paths against workingDirectory).
    void handleArguments(const QStringList& arguments, const QString& workingDirectory);

    /// The routing check: fills the invalid lists.
    void validateRoutingDictionary();
    const QStringList& invalidPrefixList() const;
    const QStringList& invalidPathsList() const;

    /// What the running instance shows, for tolvo-cli status.
    QJsonObject status() const;

    DocumentController* documentController() const { return m_documents.get(); }
    SoftwareUpdater* sparkleUpdater() const { return m_updater.get(); }
    /// The application-wide commands (help menu, updates, the copied-text font).
    AppCommands* appCommands() const { return m_commands.get(); }
    QWidget* preferencesWindow() const;

public slots:
    void openButtonHelp(const QString& identifier);
    void openHelpFile();
    void openHelpFileInTolvo();

private:
    void applicationStateChanged(Qt::ApplicationState state);
    QJsonObject handleMessage(const QJsonObject& message);
    /// The document's move to the target, once its own first positioning is done.
    void gotoLater(MyDocument* document, const QString& target);
    /// Shows "Unable to locate PDF"; "Locate PDF..." shows the Open dialog. While one such alert is on
    /// screen, later links that find nothing are counted into it rather than stacking alerts.
    void showUnableToLocate(const QString& url, const QString& prefix);
    /// The prefix a located PDF takes for url: the routing key that fitted, else the URL's first piece.
    static QString prefixOfUnlocatedURL(const QString& url, const QString& fittedPrefix);
    /// Brings the guide's copy in the application data folder up to this version and opens it.
    void openUserGuideCopy();
    /// Routes apphelp/ to the guide's copy (brought up to this version), once a start: before the
    /// first link is followed or the routes are checked or shown.
    void registerUserGuide();
    /// The guide's route and the automatic check of the routes (when so configured).
    void settleRoutes();
    /// The guide's copy, rewritten only when it differs from this version's guide; empty on failure.
    static QString refreshUserGuideCopy();
    static QString userGuideCopyPath();
    /// Brings the preference window forward, making it at first use.
    void showPreferencesWindow();
    /// The rows the preference window's search leaves, for the check.
    RowFilter preferencesRowFilter() const;
    /// The guide's own file, as shipped.
    static QString userGuideResource();

    std::unique_ptr<PlaceMemory> m_places;
    std::unique_ptr<FirstViewMemory> m_firstViews;
    std::unique_ptr<SoftwareUpdater> m_updater;
    std::unique_ptr<RoutingCheck> m_check;
    std::unique_ptr<DocumentController> m_documents;
    std::unique_ptr<AppCommands> m_commands;
    std::unique_ptr<instance::InstanceServer> m_server;
    std::unique_ptr<PreferencesWindow> m_preferencesWindow; // made at first use, kept for the application's life
    QPointer<QMessageBox> m_unableToLocate;
    QString m_firstUnlocatedUrl;
    QString m_firstUnlocatedPrefix;
    int m_moreUnlocated = 0;
    int m_listeningSocket = -1;
    bool m_guideRegistered = false;
    Qt::ApplicationState m_lastState = Qt::ApplicationInactive;
};

} // namespace tolvo
