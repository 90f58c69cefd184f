#pragma once
// The TOC outline view: a tree view that hands Copy to its delegate.

#include <QPointer>
#include <QTreeView>

namespace tolvo {

/// QTreeView whose Copy command calls the delegate's copySelectedItemsToClipboard(QObject* view)
/// slot, when the delegate has one; otherwise Copy does nothing.
class TLNSOutlineView : public QTreeView {
    Q_OBJECT
public:
    explicit TLNSOutlineView(QWidget* parent = nullptr);

    void setDelegate(QObject* delegate) { m_delegate = delegate; }
    QObject* delegate() const { return m_delegate; }

public slots:
    void copy();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<QObject> m_delegate;
};

} // namespace tolvo
