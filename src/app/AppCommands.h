// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The commands that belong to the application rather than to one document:
// the update check, the web, software-centre and mail commands of the Help
// menu, the font of text copied from PDFs, and redrawing every page view.

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QFontDialog;
class QMenu;
class QMenuBar;
class QWidget;

namespace tolvo {

class Defaults;
class DocumentController;
class SoftwareUpdater;

class AppCommands : public QObject {
    Q_OBJECT
public:
    /// Hands a URL to the desktop; false when nothing took it.
    using UrlOpener = std::function<bool(const QUrl&)>;
    /// Tells done whether a program handles links of the scheme: true, false, or
    /// nothing when the desktop cannot say. done may be called later.
    using HandlerProbe = std::function<void(const QString& scheme, std::function<void(std::optional<bool>)> done)>;

    /// None of the three is owned; all must outlive the commands.
    AppCommands(Defaults& defaults, SoftwareUpdater& updater, DocumentController& documents, QObject* parent = nullptr);
    ~AppCommands() override;

    /// Adds the Help menu (or fills the one there) and "Font for Copied Text..."
    /// to the Edit menu of a document window's menu bar. Answers the Help menu.
    QMenu* installMenus(QMenuBar* bar);

    /// The font dialog's starting font: the user font's name and size, 12 points
    /// when the stored size is unusable.
    QFont userFont() const;

    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }
    void setHandlerProbe(HandlerProbe probe) { m_probe = std::move(probe); }
    /// The open font dialog, if any.
    QFontDialog* fontDialog() const;

public slots:
    /// Checks for updates; the answer shows over the sender's window.
    void appMenuCheckForUpdates(QObject* sender = nullptr);
    void openTolvoOnline();
    void openTolvoTutorialsOnline();
    void openTolvoSupportOnline();
    /// Tolvo's page in the software centre, or on the web where no software centre takes it.
    void openTolvoMacAppStore();
    void emailCustomerSupport();
    void emailFeedback();
    /// Shows the font dialog at the user font; choosing a font stores it.
    void setFontPreferenceForPDFCopiedText();
    /// Stores the font's name and point size together and writes the store.
    void changeFontForInfoText(const QFont& font);
    /// Redraws the page view of every open document.
    void userPreferencesPDFDisplayUpdated();

private:
    void openWebPage(const QUrl& url);
    /// A new mail to the support address; a clear message when no mail program is set up.
    void openMail(const QString& subject);
    void showNoMailProgram(const QString& subject);
    void showCannotOpen(const QUrl& url);

    Defaults& m_defaults;
    SoftwareUpdater& m_updater;
    DocumentController& m_documents;
    UrlOpener m_openUrl;
    HandlerProbe m_probe;
    QPointer<QFontDialog> m_fontDialog;
};

} // namespace tolvo
