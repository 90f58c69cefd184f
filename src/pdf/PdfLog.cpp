// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/PdfLog.h"

#include <poppler-qt6.h>

#include <mutex>

namespace tolvo::pdf {

Q_LOGGING_CATEGORY(lcPdf, "tolvo.pdf", QtInfoMsg)

namespace {

void toCategory(const QString& message, const QVariant&)
{
    qCDebug(lcPdf).noquote() << "poppler:" << message;
}

} // namespace

void routePopplerMessages()
{
    static std::once_flag once;
    std::call_once(once, [] { Poppler::setDebugErrorFunction(toCategory, QVariant()); });
}

} // namespace tolvo::pdf
