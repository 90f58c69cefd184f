// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/OpenAhead.h"

namespace tolvo {

namespace {

OpenAhead* g_current = nullptr;

} // namespace

OpenAhead::OpenAhead(const QString& absolutePath)
    : m_path(absolutePath)
{
    auto done = std::make_shared<std::promise<OpenedAhead>>();
    auto spare = std::make_shared<std::promise<std::unique_ptr<pdf::Document>>>();
    m_opened = done->get_future();
    m_thread = std::thread([absolutePath, done, spare] {
        OpenedAhead result;
        result.before = statFile(absolutePath);
        result.result = pdf::openDocument(absolutePath);
        const bool opened = result.result.document != nullptr;
        if (opened) {
            auto copy = std::make_shared<std::future<std::unique_ptr<pdf::Document>>>(spare->get_future());
            result.spareCopy = [copy] { return copy->valid() ? copy->get() : nullptr; };
        }
        // The document is handed over first; its copy (opened from the file, so that it
        // does not depend on the document's lifetime) follows while the window is made.
        done->set_value(std::move(result));
        spare->set_value(opened ? pdf::openDocument(absolutePath).document : nullptr);
    });
    g_current = this;
}

OpenAhead::~OpenAhead()
{
    if (g_current == this)
        g_current = nullptr;
    // What was never taken goes here, after the thread is done.
    m_thread.join();
}

std::optional<OpenedAhead> takeOpenedAhead(const QString& absolutePath)
{
    OpenAhead* ahead = g_current;
    if (!ahead || ahead->m_taken || ahead->m_path != absolutePath)
        return std::nullopt;
    ahead->m_taken = true;
    return ahead->m_opened.get();
}

} // namespace tolvo
