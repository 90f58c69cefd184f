// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/OpenAhead.h"

#include "render/PageDrawing.h"
#include "settings/StartupTrace.h"

namespace tolvo {

namespace {

OpenAhead* g_current = nullptr;

// Draws the planned first page with the copy, unless the window dropped it meanwhile.
void drawFirstPage(
    const pdf::Document& copy, const QString& path, const FirstPageInputs& inputs, pageview::PageAhead& ahead)
{
    const std::optional<pageview::PageAhead::Plan> plan = planFirstPage(copy, path, inputs);
    if (!plan) {
        ahead.finish(QImage());
        return;
    }
    if (!ahead.start(*plan))
        return;
    startupStep("drawing the first page ahead");
    ahead.finish(
        pageview::drawPage(copy, plan->pageIndex, plan->scale, plan->style, [&ahead] { return ahead.dropped(); }));
    startupStep("first page drawn ahead");
}

} // namespace

OpenAhead::OpenAhead(const QString& absolutePath, std::optional<FirstPageInputs> firstPage)
    : m_path(absolutePath)
{
    auto done = std::make_shared<std::promise<OpenedAhead>>();
    auto spare = std::make_shared<std::promise<std::unique_ptr<pdf::Document>>>();
    m_opened = done->get_future();
    auto ahead = firstPage ? std::make_shared<pageview::PageAhead>() : nullptr;
    m_thread = std::thread([absolutePath, done, spare, ahead] {
        OpenedAhead result;
        result.before = statFile(absolutePath);
        result.result = pdf::openDocument(absolutePath);
        startupStep("PDF read ahead");
        if (result.result.document) {
            auto copy = std::make_shared<std::future<std::unique_ptr<pdf::Document>>>(spare->get_future());
            result.spareCopy = [copy] { return copy->valid() ? copy->get() : nullptr; };
            result.firstPage = ahead;
        } else if (ahead) {
            ahead->finish(QImage());
        }
        done->set_value(std::move(result));
    });
    // The copy is opened from the file at the same time, on a thread of its own, so that it
    // does not depend on the document's lifetime and the first page is drawn with it as soon
    // as can be; it then goes to the page view's first worker.
    m_copyThread = std::thread([absolutePath, spare, ahead, firstPage = std::move(firstPage)] {
        std::unique_ptr<pdf::Document> copy = pdf::openDocument(absolutePath).document;
        startupStep("second copy read ahead");
        if (ahead && copy)
            drawFirstPage(*copy, absolutePath, *firstPage, *ahead);
        else if (ahead)
            ahead->finish(QImage());
        spare->set_value(std::move(copy));
    });
    g_current = this;
}

OpenAhead::~OpenAhead()
{
    if (g_current == this)
        g_current = nullptr;
    // What was never taken goes here, after the thread is done.
    wait();
}

void OpenAhead::wait()
{
    for (std::thread* thread : { &m_thread, &m_copyThread })
        if (thread->joinable())
            thread->join();
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
