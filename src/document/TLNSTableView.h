#pragma once
// A table view that hands Copy and Paste to its delegate.

#include <QPointer>
#include <QTableView>

namespace tolvo {

/// QTableView whose Copy and Paste commands call the delegate's
/// copySelectedTableItemsToClipboard(QObject* view) and pasteItemsOnClipboardIntoTable(QObject* view)
/// slots, when the delegate has them; otherwise the command does nothing.
class TLNSTableView : public QTableView {
    Q_OBJECT
public:
    explicit TLNSTableView(QWidget* parent = nullptr);

    void setDelegate(QObject* delegate) { m_delegate = delegate; }
    QObject* delegate() const { return m_delegate; }

public slots:
    void copy();
    void paste();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<QObject> m_delegate;
};

} // namespace tolvo
