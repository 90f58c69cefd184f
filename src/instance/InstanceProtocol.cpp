// SPDX-License-Identifier: GPL-3.0-or-later
#include "instance/InstanceProtocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtEndian>

#include <limits>

namespace tolvo::instance {

QByteArray encodeFrame(const QJsonObject& message)
{
    const QByteArray body = QJsonDocument(message).toJson(QJsonDocument::Compact);
    if (body.size() > kMaxFrameSize)
        return {};
    QByteArray frame(4, Qt::Uninitialized);
    qToBigEndian<quint32>(quint32(body.size()), frame.data());
    return frame + body;
}

namespace {

// Every string longer than maxChars cut to maxChars (never inside a surrogate pair) and marked; every
// array longer than maxItems cut to its first maxItems.
QJsonValue cutValue(const QJsonValue& value, qsizetype maxChars, qsizetype maxItems)
{
    if (value.isString()) {
        const QString text = value.toString();
        if (text.size() <= maxChars)
            return value;
        qsizetype keep = maxChars;
        if (keep > 0 && text.at(keep - 1).isHighSurrogate())
            --keep;
        return QJsonValue(text.left(keep) + QString::fromUtf16(kCutMarker));
    }
    if (value.isArray()) {
        const QJsonArray array = value.toArray();
        QJsonArray out;
        for (qsizetype i = 0; i < array.size() && i < maxItems; ++i)
            out.append(cutValue(array.at(i), maxChars, maxItems));
        return out;
    }
    if (value.isObject()) {
        QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            *it = cutValue(*it, maxChars, maxItems);
        return object;
    }
    return value;
}

} // namespace

QByteArray encodeReply(const QJsonObject& reply)
{
    QByteArray frame = encodeFrame(reply);
    // Texts first, since one long page label or title is the usual cause; lists only when many entries
    // are what fills the frame.
    for (qsizetype maxChars = 4096; frame.isEmpty() && maxChars >= 16; maxChars /= 4) {
        QJsonObject cut = cutValue(reply, maxChars, std::numeric_limits<qsizetype>::max()).toObject();
        cut.insert(QStringLiteral("cut"), true);
        frame = encodeFrame(cut);
    }
    for (qsizetype maxItems = 256; frame.isEmpty() && maxItems >= 1; maxItems /= 4) {
        QJsonObject cut = cutValue(reply, 16, maxItems).toObject();
        cut.insert(QStringLiteral("cut"), true);
        frame = encodeFrame(cut);
    }
    if (frame.isEmpty())
        frame = encodeFrame(QJsonObject {
            { QStringLiteral("error"), QStringLiteral("the reply is too large") }, { QStringLiteral("cut"), true } });
    return frame;
}

void FrameReader::feed(const QByteArray& bytes)
{
    if (!m_broken)
        m_buffer += bytes;
}

FrameReader::State FrameReader::next(QJsonObject* message)
{
    if (m_broken)
        return State::Broken;
    if (m_buffer.size() < 4)
        return State::NeedMore;
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData());
    if (length > quint32(kMaxFrameSize)) {
        m_broken = true;
        m_problem = QStringLiteral("a frame of %1 bytes is over the limit").arg(length);
        m_buffer.clear();
        return State::Broken;
    }
    if (m_buffer.size() < qsizetype(4 + length))
        return State::NeedMore;
    const QByteArray body = m_buffer.mid(4, length);
    m_buffer.remove(0, 4 + length);
    QJsonParseError error {};
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (!doc.isObject()) {
        m_broken = true;
        m_problem = doc.isNull() ? QStringLiteral("a frame is not JSON: %1").arg(error.errorString())
                                 : QStringLiteral("a frame is not a JSON object");
        m_buffer.clear();
        return State::Broken;
    }
    *message = doc.object();
    return State::Message;
}

QJsonObject openMessage(const QStringList& arguments, const QString& workingDirectory)
{
    return QJsonObject { { QStringLiteral("type"), QString::fromLatin1(kOpen) },
        { QStringLiteral("arguments"), QJsonArray::fromStringList(arguments) },
        { QStringLiteral("workingDirectory"), workingDirectory } };
}

QList<QJsonObject> openMessages(const QStringList& arguments, const QString& workingDirectory, QStringList* dropped)
{
    QList<QJsonObject> messages;
    QStringList batch;
    auto fits = [&](const QStringList& list) { return !encodeFrame(openMessage(list, workingDirectory)).isEmpty(); };
    for (const QString& argument : arguments) {
        QStringList candidate = batch;
        candidate << argument;
        if (fits(candidate)) {
            batch = candidate;
            continue;
        }
        if (!batch.isEmpty())
            messages << openMessage(batch, workingDirectory);
        batch.clear();
        if (fits({ argument }))
            batch << argument;
        else if (dropped)
            *dropped << argument;
    }
    if (!batch.isEmpty() || messages.isEmpty())
        messages << openMessage(batch, workingDirectory);
    return messages;
}

} // namespace tolvo::instance
