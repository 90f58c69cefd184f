// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/DocumentWindow.h"

#include "ui_MyDocument.h"

#include <QCloseEvent>

namespace tolvo {

DocumentWindow::DocumentWindow(QWidget* parent)
    : QMainWindow(parent)
    , m_ui(std::make_unique<Ui::MyDocument>())
{
    m_ui->setupUi(this);
}

DocumentWindow::~DocumentWindow() = default;

void DocumentWindow::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        emit windowWillClose();
}

} // namespace tolvo
