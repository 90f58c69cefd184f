// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A PDF named on the command line is opened before the application is made: the
// file is read on a thread of its own while Qt starts and the window is built,
// which the first page would otherwise wait for. The same thread then draws the
// page the window will show first, at the scale it is expected to show it at.

#include "document/FirstPagePlan.h"
#include "pdf/PdfDocument.h"
#include "render/PageAhead.h"
#include "routing/FileIdentity.h"

#include <QString>

#include <future>
#include <memory>
#include <optional>
#include <thread>

namespace tolvo {

/// What was opened ahead: the file's stat from before the read, the result, a second copy of
/// the document for the page view's first drawing worker (read when the worker asks for it, with
/// the first page's drawing reading in it; empty when the first could not be opened), and the
/// first page being drawn before the window shows (nullptr: none is).
struct OpenedAhead {
    std::optional<FileStat> before;
    pdf::OpenResult result;
    pdf::DocumentCopySource spareCopy;
    std::shared_ptr<pageview::PageAhead> firstPage;
};

/// Opens one PDF ahead for as long as it lives; the one that lives is found by
/// takeOpenedAhead(). Ends waiting for its threads.
class OpenAhead {
public:
    /// absolutePath as the document controller will ask for it; with firstPage, the page the
    /// window will show first is drawn ahead too.
    explicit OpenAhead(const QString& absolutePath, std::optional<FirstPageInputs> firstPage = std::nullopt);
    ~OpenAhead();
    OpenAhead(const OpenAhead&) = delete;
    OpenAhead& operator=(const OpenAhead&) = delete;
    /// Waits until the threads have done everything: the document and its copy open, the first
    /// page drawn.
    void wait();

private:
    friend bool isOpeningAhead(const QString& absolutePath);
    friend std::optional<OpenedAhead> takeOpenedAhead(const QString& absolutePath);
    QString m_path;
    std::future<OpenedAhead> m_opened;
    std::thread m_thread;
    std::thread m_copyThread;
    bool m_taken = false;
};

/// Whether the document for absolutePath is still being opened ahead: taking it now would wait.
/// The window's thread only.
bool isOpeningAhead(const QString& absolutePath);

/// The document opened ahead for absolutePath, waiting for its thread; once only.
/// Nothing when no OpenAhead for that path lives. The window's thread only.
std::optional<OpenedAhead> takeOpenedAhead(const QString& absolutePath);

} // namespace tolvo
