// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/OpenAhead.h"

#include "render/PageDrawing.h"
#include "settings/StartupTrace.h"

#include <chrono>

namespace tolvo {

namespace {

OpenAhead* g_current = nullptr;

// The window's first page as the window's own reading of the PDF foresees it: the drawing,
// the file as that reading found it, and the page's geometry for a night page's images.
struct FirstPageWork {
    pageview::PageAhead::Plan plan;
    std::optional<FileStat> before;
    pdf::PageGeometry geometry;
};

template <typename T> std::shared_ptr<std::future<T>> futureOf(std::promise<T>& promise)
{
    return std::make_shared<std::future<T>>(promise.get_future());
}

// Draws the planned first page with the drawing copy, unless the window dropped it meanwhile.
// A night page that keeps its images waits for where they are (read with the other copy).
void drawFirstPage(const pdf::DrawingCopy& drawing, const FirstPageWork& work, pageview::PageAhead& ahead,
    std::future<QVector<QRectF>>& imageAreas)
{
    if (!ahead.start(work.plan))
        return;
    startupStep("drawing the first page ahead");
    const pageview::PageAhead::Plan& plan = work.plan;
    QImage image = drawing.render(plan.pageIndex, plan.scale, [&ahead] { return ahead.dropped(); });
    const bool keepsImages = !image.isNull() && plan.style == PageStyle::NightKeepingImages;
    image = pageview::styledPage(
        std::move(image), plan.scale, plan.style, keepsImages ? imageAreas.get() : QVector<QRectF>(), work.geometry);
    ahead.finish(ahead.dropped() ? QImage() : image);
    startupStep("first page drawn ahead");
}

} // namespace

// Two threads read the file at once. One opens the document the window will show and plans its
// first page with it; the other reads the file for drawing only, which is all the first page needs,
// and draws it as soon as the plan is known. The page view's first drawing worker opens a second
// document when it is first given a page to draw, and takes the drawing reading into it; reading
// it any sooner only took the machine from the drawing and from the window being made and shown.
OpenAhead::OpenAhead(const QString& absolutePath, std::optional<FirstPageInputs> firstPage)
    : m_path(absolutePath)
{
    auto done = std::make_shared<std::promise<OpenedAhead>>();
    auto planned = std::make_shared<std::promise<std::optional<FirstPageWork>>>();
    auto copy = std::make_shared<std::promise<std::unique_ptr<pdf::Document>>>();
    auto drawing = std::make_shared<std::promise<std::unique_ptr<pdf::DrawingCopy>>>();
    auto imageAreas = std::make_shared<std::promise<QVector<QRectF>>>();
    m_opened = done->get_future();
    auto ahead = firstPage ? std::make_shared<pageview::PageAhead>() : nullptr;
    m_thread = std::thread([absolutePath, done, planned, copy, drawing, imageAreas, ahead, firstPage] {
        OpenedAhead result;
        result.before = statFile(absolutePath);
        result.result = pdf::openDocument(absolutePath);
        startupStep("PDF read ahead");
        const pdf::Document* document = result.result.document.get();
        std::optional<FirstPageWork> work;
        if (document && firstPage) {
            if (const auto plan = planFirstPage(*document, absolutePath, *firstPage))
                work = FirstPageWork { *plan, result.before, document->pageGeometry(plan->pageIndex) };
        }
        const bool keepsImages = work && work->plan.style == PageStyle::NightKeepingImages;
        const int page = work ? work->plan.pageIndex : 0;
        planned->set_value(std::move(work));
        if (document) {
            result.spareCopy = [absolutePath, copied = futureOf(*copy), read = futureOf(*drawing)] {
                std::unique_ptr<pdf::Document> spare = copied->valid() ? copied->get() : nullptr;
                if (!spare)
                    spare = pdf::openDocument(absolutePath).document;
                std::unique_ptr<pdf::DrawingCopy> reading = read->valid() ? read->get() : nullptr;
                if (spare && reading)
                    spare->adoptDrawingCopy(std::move(reading));
                return spare;
            };
            result.firstPage = ahead;
        }
        done->set_value(std::move(result));
        // A night page that keeps its images is told where they are by a second document, which
        // then goes to the first drawing worker.
        std::unique_ptr<pdf::Document> second = keepsImages ? pdf::openDocument(absolutePath).document : nullptr;
        imageAreas->set_value(second ? second->imageAreas(page) : QVector<QRectF>());
        copy->set_value(std::move(second));
    });
    m_copyThread = std::thread([absolutePath, planned, drawing, imageAreas, ahead] {
        const std::optional<FileStat> before = statFile(absolutePath);
        std::unique_ptr<pdf::DrawingCopy> reading = pdf::openDrawingCopy(absolutePath);
        startupStep("drawing copy read ahead");
        if (ahead) {
            // What the drawing reads besides the page itself is read while the plan is made.
            if (reading)
                reading->preparePage(kFirstPlannedPage);
            std::future<QVector<QRectF>> areas = imageAreas->get_future();
            const std::optional<FirstPageWork> work = planned->get_future().get();
            // Only the version of the file that the window shows is drawn for it.
            if (reading && work && before && work->before && sameFile(*before, *work->before))
                drawFirstPage(*reading, *work, *ahead, areas);
            else
                ahead->finish(QImage());
        }
        drawing->set_value(std::move(reading));
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

bool isOpeningAhead(const QString& absolutePath)
{
    const OpenAhead* ahead = g_current;
    return ahead && !ahead->m_taken && ahead->m_path == absolutePath
        && ahead->m_opened.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
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
