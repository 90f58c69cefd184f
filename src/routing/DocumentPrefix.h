// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A document's prefix: assigned while its window loads (from the routing table,
// by auto-match, or a temporary one), chosen in the prefix sheet, and stored.
// The window layer supplies what is seen and heard through PrefixCallbacks.

#include <QSet>
#include <QString>

#include <functional>

namespace tolvo {

class Defaults;

/// What the window layer does for a document's prefix. Each may be left empty.
struct PrefixCallbacks {
    /// Beep, then a modal warning alert with these texts and one "OK" button.
    std::function<void(const QString& message, const QString& informative)> alert;
    /// The system beep alone (a typed prefix from which nothing was left).
    std::function<void()> beep;
    /// Show the prefix sheet filled with the current prefix and the PDF's path.
    std::function<void(const QString& prefix, const QString& pdfPath)> showPrefixSheet;
    /// The page view shows this prefix now, and redraws.
    std::function<void(const QString& prefix)> prefixChanged;
    /// Run the routing check (the application's validateRoutingDictionary).
    std::function<void()> validate;
};

/// "Unable to connect Tolvo prefix to PDF": the alert's message text.
QString unableToConnectMessage();

/// A temporary prefix "prefix-N/", N from 0 to 199, that no prefix in taken is: two
/// documents sharing one would send links to the wrong PDF. random(bound) gives 0..bound-1.
QString temporaryPrefix(const QSet<QString>& taken, const std::function<int(int)>& random = {});

/// The prefix a PDF's links are named by when it has no stored one: its file name
/// without ".pdf", made prefix-safe ("document/" when nothing is left), with "-2",
/// "-3", ... added when taken already holds it.
QString prefixFromFileName(const QString& pdfPath, const QSet<QString>& taken);

/// Of the prefixes auto-match gives the PDF, the first that is not another PDF's: a
/// prefix routing to a file that is still in its place belongs to that file.
std::optional<QString> freeAutoMatchPrefix(Defaults& defaults, const QString& pdfPath);

/// The prefix linkPrefixForFile gives, without storing it (for what only shows it).
QString defaultPrefixForFile(Defaults& defaults, const QString& pdfPath);

/// The prefix tolvo-cli writes links with for a PDF: the routed one, else the
/// auto-matched one, else one made from the file name; the last two are stored
/// first, so that the links it prints open the PDF. Nothing, with the reason in
/// *error, when the prefix could not be stored.
std::optional<QString> linkPrefixForFile(Defaults& defaults, const QString& pdfPath, QString* error = nullptr);

class DocumentPrefix {
public:
    enum class Origin { Loading, Routed, AutoMatched, Temporary, Named, Chosen };

    DocumentPrefix(Defaults& defaults, QString pdfPath, PrefixCallbacks callbacks = {});

    /// Gives the document its prefix while its window loads. prefixesInUse are the
    /// prefixes of the other open documents, which a temporary prefix must avoid.
    void assignPrefix(const QSet<QString>& prefixesInUse = {});

    /// The prefix a link leaving the document now carries. While the prefix is temporary,
    /// one made from the file name (prefixFromFileName, avoiding the stored keys and
    /// prefixesInUse) is stored first and becomes the document's prefix: a link that names
    /// a prefix that is not stored stops working when the window closes.
    QString prefixForLink(const QSet<QString>& prefixesInUse = {});

    /// Stores prefix for this PDF and makes it the document's prefix (no longer a temporary
    /// one, so links carry it as it is); on failure the
    /// alert is shown and the document keeps the prefix while it stays open.
    bool storePrefix(const QString& prefix);

    /// Opens the prefix sheet.
    void configurePrefix();
    /// Applies the sheet's result: return code 1 confirms the typed text.
    void prefixSheetDidEnd(int returnCode, const QString& typedText);

    const QString& prefix() const { return m_prefix; }
    const QString& pdfPath() const { return m_pdfPath; }
    Origin origin() const { return m_origin; }
    bool shouldConfirmPrefix() const { return m_shouldConfirmPrefix; }
    /// Only ever clears the flag: a prefix once confirmed stays confirmed.
    void clearShouldConfirmPrefix() { m_shouldConfirmPrefix = false; }

    /// The random source for temporary prefixes (tests make it predictable).
    void setRandomSource(std::function<int(int)> random) { m_random = std::move(random); }

private:
    bool store(const QString& prefix);
    void notifyPrefix();

    Defaults& m_defaults;
    QString m_pdfPath;
    PrefixCallbacks m_callbacks;
    std::function<int(int)> m_random;
    QString m_prefix = QStringLiteral("prefix");
    Origin m_origin = Origin::Loading;
    bool m_shouldConfirmPrefix = true;
};

} // namespace tolvo
