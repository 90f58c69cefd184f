// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppCommands.h"

#include "app/SoftwareUpdater.h"
#include "document/DocumentController.h"
#include "document/MyDocument.h"
#include "pageview/LabelPDFView.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"
#include "settings/ExternalAddresses.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFontDialog>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <cmath>

Q_LOGGING_CATEGORY(lcCommands, "tolvo.commands")

namespace tolvo {

namespace {

constexpr double kFallbackFontSize = 12.0;
constexpr int kProbeTimeoutMs = 3000;

// Asks xdg-mime for the desktop's default program of the scheme's links.
// Without xdg-mime (a sandbox, say) the desktop cannot say, and the link is
// simply handed over.
void probeWithXdgMime(QObject* context, const QString& scheme, std::function<void(std::optional<bool>)> done)
{
    auto* process = new QProcess(context);
    auto answered = std::make_shared<bool>(false);
    auto answer = [process, answered, done](std::optional<bool> handled) {
        if (*answered)
            return;
        *answered = true;
        process->deleteLater();
        done(handled);
    };
    QObject::connect(process, &QProcess::errorOccurred, context, [answer](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart || error == QProcess::Timedout)
            answer(std::nullopt);
    });
    QObject::connect(process, &QProcess::finished, context, [process, answer](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || code != 0)
            answer(std::nullopt);
        else
            answer(!process->readAllStandardOutput().trimmed().isEmpty());
    });
    QTimer::singleShot(kProbeTimeoutMs, process, [process, answer] {
        process->kill();
        answer(std::nullopt);
    });
    process->start(QStringLiteral("xdg-mime"),
        { QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/") + scheme });
}

QMenu* menuNamed(QMenuBar* bar, const QString& name)
{
    for (QAction* action : bar->actions())
        if (action->menu() && action->menu()->objectName() == name)
            return action->menu();
    return nullptr;
}

QWidget* windowOf(QObject* sender)
{
    if (auto* widget = qobject_cast<QWidget*>(sender))
        return widget->window();
    return QApplication::activeWindow();
}

} // namespace

AppCommands::AppCommands(Defaults& defaults, SoftwareUpdater& updater, DocumentController& documents, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_updater(updater)
    , m_documents(documents)
    , m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); })
    , m_probe([this](const QString& scheme, std::function<void(std::optional<bool>)> done) {
        probeWithXdgMime(this, scheme, std::move(done));
    })
{
    // The box options are drawn from the store at every paint: a change made
    // anywhere (the preference window, tolvo-cli) shows once the views redraw.
    connect(&m_defaults, &Defaults::valueChanged, this, [this](const QString& key) {
        if (key == QLatin1String(keys::kRedBoxLocation) || key == QLatin1String(keys::kRedBoxSize))
            userPreferencesPDFDisplayUpdated();
    });
}

AppCommands::~AppCommands()
{
    delete m_fontDialog;
}

QMenu* AppCommands::installMenus(QMenuBar* bar)
{
    if (QMenu* edit = menuNamed(bar, QStringLiteral("editMenu"))) {
        edit->addSeparator();
        connect(edit->addAction(tr("Font for Copied Text...")), &QAction::triggered, this,
            &AppCommands::setFontPreferenceForPDFCopiedText);
    }
    QMenu* help = menuNamed(bar, QStringLiteral("helpMenu"));
    if (!help) {
        help = bar->addMenu(tr("&Help"));
        help->setObjectName(QStringLiteral("helpMenu"));
    } else if (!help->isEmpty()) {
        help->addSeparator();
    }
    const struct {
        QString text;
        void (AppCommands::*command)();
    } items[] = {
        { tr("Tolvo &Website"), &AppCommands::openTolvoOnline },
        { tr("&Tutorials Online"), &AppCommands::openTolvoTutorialsOnline },
        { tr("Support &Online"), &AppCommands::openTolvoSupportOnline },
        { tr("Tolvo in the Software &Centre"), &AppCommands::openTolvoMacAppStore },
        { QString(), nullptr },
        { tr("&Email Customer Support..."), &AppCommands::emailCustomerSupport },
        { tr("Send &Feedback..."), &AppCommands::emailFeedback },
    };
    for (const auto& item : items) {
        if (!item.command)
            help->addSeparator();
        else
            connect(help->addAction(item.text), &QAction::triggered, this, item.command);
    }
#if TOLVO_UPDATE_CHECK
    help->addSeparator();
    QAction* check = help->addAction(tr("Check for &Updates..."));
    connect(check, &QAction::triggered, this, [this, bar] { appMenuCheckForUpdates(bar); });
#else
    // Built for a distribution, whose package manager updates Tolvo.
    Q_UNUSED(bar);
#endif
    return help;
}

void AppCommands::appMenuCheckForUpdates(QObject* sender)
{
    m_updater.checkForUpdates(windowOf(sender));
}

void AppCommands::openTolvoOnline()
{
    openWebPage(QUrl(QString::fromLatin1(addresses::kWebPage)));
}

void AppCommands::openTolvoTutorialsOnline()
{
    openTolvoOnline();
}

void AppCommands::openTolvoSupportOnline()
{
    openTolvoOnline();
}

void AppCommands::openTolvoMacAppStore()
{
    // The appstream: page opens only where a software centre claims such links;
    // elsewhere xdg-open would fail without a word, so the web page stands in.
    m_probe(QStringLiteral("appstream"), [this](std::optional<bool> handled) {
        if (handled.value_or(false) && m_openUrl(QUrl(QString::fromLatin1(addresses::kStorePage))))
            return;
        openWebPage(QUrl(QString::fromLatin1(addresses::kStoreWebPage)));
    });
}

void AppCommands::emailCustomerSupport()
{
    openMail(QString::fromLatin1(addresses::kSupportSubject));
}

void AppCommands::emailFeedback()
{
    openMail(QString::fromLatin1(addresses::kFeedbackSubject));
}

void AppCommands::openWebPage(const QUrl& url)
{
    if (!m_openUrl(url))
        showCannotOpen(url);
}

void AppCommands::openMail(const QString& subject)
{
    const QUrl mail = addresses::mailtoUrl(QString::fromLatin1(addresses::kSupportEmail), subject);
    m_probe(QStringLiteral("mailto"), [this, mail, subject](std::optional<bool> handled) {
        if (handled == false || !m_openUrl(mail))
            showNoMailProgram(subject);
    });
}

void AppCommands::showNoMailProgram(const QString& subject)
{
    const QString address = QString::fromLatin1(addresses::kSupportEmail);
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Tolvo"), tr("No mail program is set up."),
        QMessageBox::NoButton, QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(tr("Tolvo could not start a new e-mail, since no program on this computer handles "
                               "e-mail links. Please write to %1 with the subject \"%2\" from the mail program or "
                               "web mail that you use.")
                                .arg(address, subject));
    QPushButton* copy = box->addButton(tr("Copy Address"), QMessageBox::ActionRole);
    box->addButton(QMessageBox::Ok);
    connect(box, &QMessageBox::finished, box, [box, copy, address] {
        if (box->clickedButton() == copy)
            QGuiApplication::clipboard()->setText(address);
    });
    box->open();
}

void AppCommands::showCannotOpen(const QUrl& url)
{
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Tolvo"),
        tr("Tolvo could not open %1.").arg(url.toDisplayString()), QMessageBox::Ok, QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(tr("No web browser on this computer took the address. You can copy it into one."));
    box->open();
}

QFontDialog* AppCommands::fontDialog() const
{
    return m_fontDialog;
}

QFont AppCommands::userFont() const
{
    QFont font(m_defaults.stringForKey(QString::fromLatin1(keys::kFontNameForRichTextCopiedFromPDF)));
    const double size = m_defaults.floatForKey(QString::fromLatin1(keys::kFontSizeForRichTextCopiedFromPDF));
    font.setPointSizeF(std::isfinite(size) && size > 0 ? size : kFallbackFontSize);
    return font;
}

void AppCommands::setFontPreferenceForPDFCopiedText()
{
    if (m_fontDialog) {
        m_fontDialog->raise();
        m_fontDialog->activateWindow();
        return;
    }
    auto* dialog = new QFontDialog(userFont(), QApplication::activeWindow());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(tr("Font for Text Copied from PDFs"));
    connect(dialog, &QFontDialog::fontSelected, this, &AppCommands::changeFontForInfoText);
    m_fontDialog = dialog;
    dialog->open();
}

void AppCommands::changeFontForInfoText(const QFont& font)
{
    const QString family = font.family();
    if (family.isEmpty())
        return;
    // A font given in pixels has no point size; the stored size then stays.
    const double size = font.pointSizeF();
    m_defaults.setValue(QString::fromLatin1(keys::kFontNameForRichTextCopiedFromPDF), family);
    if (size > 0)
        m_defaults.setValue(QString::fromLatin1(keys::kFontSizeForRichTextCopiedFromPDF), float(size));
    if (!m_defaults.synchronize())
        qCWarning(lcCommands) << "The font for copied text could not be written to the store";
}

void AppCommands::userPreferencesPDFDisplayUpdated()
{
    for (MyDocument* document : m_documents.documents())
        if (pageview::LabelPDFView* view = document->pdfview())
            view->viewport()->update();
}

} // namespace tolvo
