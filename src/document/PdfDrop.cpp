// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/PdfDrop.h"

#include "routing/FileIdentity.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace tolvo {

QStringList droppedPdfFiles(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        const QFileInfo info(path);
        if (!info.isFile())
            continue;
        if (info.suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0 || looksLikePdf(path))
            files << info.absoluteFilePath();
    }
    return files;
}

PdfDrop::PdfDrop(QWidget* window, std::function<void(const QString&)> open)
    : QObject(window)
    , m_open(std::move(open))
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

bool PdfDrop::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (droppedPdfFiles(drag->mimeData()).isEmpty())
            return QObject::eventFilter(watched, event);
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList files = droppedPdfFiles(drop->mimeData());
        if (files.isEmpty())
            return QObject::eventFilter(watched, event);
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // Opened from the event loop: the drag's source waits for the drop to end.
        QTimer::singleShot(0, this, [this, files] {
            for (const QString& file : files)
                if (m_open)
                    m_open(file);
        });
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace tolvo
