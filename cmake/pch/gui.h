// SPDX-License-Identifier: GPL-3.0-or-later
// The core set and the Qt Gui headers that the drawing and clipboard layers share.
#pragma once

#include "core.h"

#include <QColor>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QTextCursor>
#include <QTextDocument>
