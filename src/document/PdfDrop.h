// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// PDF files dropped on a document window open in Tolvo.

#include <QObject>
#include <QStringList>

#include <functional>

class QMimeData;
class QWidget;

namespace tolvo {

/// The local PDF files among dropped data (file URLs whose name ends in .pdf, or whose content
/// starts like a PDF), in the order dropped.
QStringList droppedPdfFiles(const QMimeData* data);

/// Lets a window take drops of PDF files and hands each to open. Panes that take drops
/// themselves (the notes) keep theirs.
class PdfDrop : public QObject {
    Q_OBJECT
public:
    PdfDrop(QWidget* window, std::function<void(const QString& path)> open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString&)> m_open;
};

} // namespace tolvo
