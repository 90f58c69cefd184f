// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The messages between a `tolvo` process that hands over its arguments (or a
// `tolvo-cli status`) and the running instance: length-framed JSON objects.
//
// A frame is a 4-byte big-endian length followed by that many bytes of UTF-8
// JSON holding one object. Frames larger than kMaxFrameSize are refused.

#include <QByteArray>
#include <QJsonObject>
#include <QStringList>

#include <optional>

namespace tolvo::instance {

inline constexpr qsizetype kMaxFrameSize = 64 * 1024;

/// The frame for one message; empty when the message is too large for a frame.
QByteArray encodeFrame(const QJsonObject& message);

/// The frame for a reply, which always fits: a reply too large for a frame (its texts come from the
/// user's PDFs) has its longest texts cut, each ending in kCutMarker, then its longest lists shortened,
/// and holds "cut": true.
QByteArray encodeReply(const QJsonObject& reply);
inline constexpr char16_t kCutMarker[] = u"\u2026 [cut]";

/// Reads frames from a byte stream as it arrives.
class FrameReader {
public:
    enum class State { NeedMore, Message, Broken };

    /// Appends received bytes.
    void feed(const QByteArray& bytes);
    /// The next complete message, or NeedMore, or Broken (an oversized or
    /// malformed frame: the stream cannot be trusted after it and should be closed).
    State next(QJsonObject* message);
    /// Why the stream broke, for the log.
    QString problem() const { return m_problem; }

private:
    QByteArray m_buffer;
    QString m_problem;
    bool m_broken = false;
};

/// Message types.
inline constexpr char kOpen[] = "open"; ///< {"type","arguments":[...],"workingDirectory"}
inline constexpr char kStatus[] = "status"; ///< {"type"}: the reply is the instance's status

QJsonObject openMessage(const QStringList& arguments, const QString& workingDirectory);

/// Splits arguments into open messages that each fit in one frame; an argument
/// too long for any frame is left out and named in *dropped.
QList<QJsonObject> openMessages(
    const QStringList& arguments, const QString& workingDirectory, QStringList* dropped = nullptr);

} // namespace tolvo::instance
