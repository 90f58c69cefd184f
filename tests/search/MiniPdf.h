// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small PDFs written by the tests themselves: pages of Helvetica lines, with a
// permanent identifier of the test's choosing, so that one "document" can be
// saved again with other text.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

namespace tolvo::test {

/// Writes a PDF whose page i shows pages[i], one line each, 14 points apart from the top; false when it cannot.
inline bool writeMiniPdf(const QString& path, const QList<QStringList>& pages, const QByteArray& id = "0123abcd")
{
    QList<QByteArray> objects;
    objects << "<< /Type /Catalog /Pages 2 0 R >>";
    QByteArray kids;
    const int firstPage = 4;
    for (int i = 0; i < pages.size(); ++i)
        kids += QByteArray::number(firstPage + 2 * i) + " 0 R ";
    objects << "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages.size()) + " >>";
    objects << "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>";
    for (int i = 0; i < pages.size(); ++i) {
        QByteArray content = "BT /F1 12 Tf 14 TL 72 720 Td\n";
        for (const QString& line : pages[i]) {
            QByteArray text = line.toLatin1();
            text.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)");
            content += "(" + text + ") Tj T*\n";
        }
        content += "ET";
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> >> "
                   "/Contents "
                + QByteArray::number(firstPage + 2 * i + 1) + " 0 R >>";
        objects << "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream";
    }
    QByteArray out = "%PDF-1.7\n";
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets << out.size();
        out += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R /ID [<" + id + "> <"
        + QByteArray::number(qHash(pages.isEmpty() ? QString() : pages.first().join(u' ')), 16) + ">] >>\nstartxref\n"
        + QByteArray::number(xref) + "\n%%EOF\n";
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size();
}

} // namespace tolvo::test
