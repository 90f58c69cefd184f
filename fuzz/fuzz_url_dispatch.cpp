// Where an incoming URL goes: any URL against open documents' prefixes and a routing table whose
// files are a PDF that exists and one that does not. The decision names an open document or a file
// of the table by the prefix that fits, and the rest of the URL is its target.
#include "FuzzInput.h"
#include "routing/UrlDispatch.h"
#include "settings/Defaults.h"
#include "settings/DefaultsKeys.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

using namespace tolvo;

namespace {

const QStringList prefixes { "book/", "book/ch/", "b/", "Book/", "apphelp/", "é/", "a b/", "%41/", "" };

struct Setup {
    QTemporaryDir dir;
    std::unique_ptr<Defaults> defaults;
    std::unique_ptr<RoutingTable> routing;

    Setup()
    {
        const QString pdf = dir.filePath(QStringLiteral("book.pdf"));
        QFile file(pdf);
        if (file.open(QIODevice::WriteOnly))
            file.write("%PDF-1.4\n%%EOF\n");
        file.close();
        defaults = std::make_unique<Defaults>(dir.filePath(QStringLiteral("defaults.json")));
        registerTolvoDefaults(*defaults);
        routing = std::make_unique<RoutingTable>(*defaults, SearchScope::none());
        routing->storePrefix(QStringLiteral("book/"), pdf);
        routing->storePrefix(QStringLiteral("b/"), pdf);
        routing->storePrefix(QStringLiteral("é/"), pdf);
        routing->storePrefix(QStringLiteral("gone/"), pdf);
        QFile::rename(pdf, pdf + QStringLiteral(".moved"));
        QFile::copy(pdf + QStringLiteral(".moved"), pdf);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup setup;
    fuzz::FuzzInput in(data, size);
    QStringList open;
    for (int n = in.below(4); n > 0; --n)
        open << in.pick(prefixes);
    const QString url = in.flag() ? QStringLiteral("tolvo://") + in.utf16(2000) : in.utf16(2000);

    const DispatchDecision decision = decideDispatch(url, open, *setup.routing);
    switch (decision.kind) {
    case DispatchDecision::Kind::OpenDocument:
        TOLVO_FUZZ_CHECK(decision.documentIndex >= 0 && decision.documentIndex < open.size());
        TOLVO_FUZZ_CHECK(open[decision.documentIndex] == decision.prefix);
        TOLVO_FUZZ_CHECK(url == QStringLiteral("tolvo://") + decision.prefix + decision.target);
        break;
    case DispatchDecision::Kind::OpenFile:
        TOLVO_FUZZ_CHECK(!decision.filePath.isEmpty() && !open.contains(decision.prefix));
        TOLVO_FUZZ_CHECK(url == QStringLiteral("tolvo://") + decision.prefix + decision.target);
        break;
    case DispatchDecision::Kind::NotFound:
        break;
    }
    const QString decoded = percentDecodedURL(url);
    TOLVO_FUZZ_CHECK(!url.contains(u'%') ? decoded == url : decoded.size() <= url.size());
    return 0;
}
