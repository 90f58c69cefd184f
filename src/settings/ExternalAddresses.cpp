// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ExternalAddresses.h"

namespace tolvo::addresses {

QUrl mailtoUrl(const QString& address, const QString& subject)
{
    // Everything but the unreserved characters is encoded: a "+" left bare reads
    // as a space in some mail programs, a bare "&" would start a second field.
    QByteArray encoded = "mailto:" + QUrl::toPercentEncoding(address, "@");
    if (!subject.isEmpty())
        encoded += "?subject=" + QUrl::toPercentEncoding(subject);
    return QUrl::fromEncoded(encoded, QUrl::StrictMode);
}

} // namespace tolvo::addresses
