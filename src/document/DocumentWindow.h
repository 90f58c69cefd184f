// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The document window, made from the layout "MyDocument".

#include <QMainWindow>

#include <memory>

namespace Ui {
class MyDocument;
}

namespace tolvo {

/// A document's window: the widgets of the layout "MyDocument" (notes pane, TOC
/// pane, page side) plus the page view put into its place on the page side.
/// Widgets are found by their names in the layout (findChild) or through ui().
class DocumentWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit DocumentWindow(QWidget* parent = nullptr);
    ~DocumentWindow() override;

    /// The layout's widgets; include "ui_MyDocument.h" to use them.
    Ui::MyDocument& ui() const { return *m_ui; }

signals:
    /// The window is closing; its document goes with it.
    void windowWillClose();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::MyDocument> m_ui;
};

} // namespace tolvo
