// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One-page PDFs written byte by byte, with or without a permanent identifier, in
// any size: enough for Poppler and qpdf to read, and for tests that tell
// documents apart by their trailer's /ID.

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QString>

namespace tolvo::test {

/// 16 random bytes as lower-case hex: what most programs write as an identifier.
inline QByteArray randomDocumentId()
{
    QByteArray bytes(16, '\0');
    for (char& c : bytes)
        c = char(QRandomGenerator::global()->bounded(256));
    return bytes.toHex();
}

/// A valid one-page PDF of about size bytes whose content differs from every other
/// call's; its trailer's /ID starts with id (lower-case hex), or it has no /ID when
/// id is empty.
inline QByteArray minimalPdf(const QByteArray& id, int size = 4096)
{
    QByteArray filler;
    QList<qsizetype> offsets;
    QByteArray out = "%PDF-1.4\n";
    const auto object = [&](const QByteArray& body) {
        offsets.append(out.size());
        out += QByteArray::number(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>");
    // The content stream is a comment line that makes the file unique and as large as asked.
    const qsizetype room = qMax<qsizetype>(16, size - out.size() - 300);
    filler = "%";
    while (filler.size() < room)
        filler += QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    filler.truncate(room);
    object("<< /Length " + QByteArray::number(filler.size() + 1) + " >>\nstream\n" + filler + "\n\nendstream");
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(offsets.size() + 1) + " /Root 1 0 R";
    if (!id.isEmpty())
        out += " /ID [<" + id + "> <" + randomDocumentId() + ">]";
    out += " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

/// What a PDF reader finds as the identifier of minimalPdf's bytes: for tests of layers
/// that have no PDF reader of their own. Empty when there is none.
inline QByteArray idInMinimalPdf(const QByteArray& bytes)
{
    static const QRegularExpression id(QStringLiteral("/ID \\[<([0-9a-f]+)>"));
    const QRegularExpressionMatch m = id.match(QString::fromLatin1(bytes.right(400)));
    return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray();
}

} // namespace tolvo::test
