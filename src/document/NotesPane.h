// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One window's notes pane: five tabs of shared notes areas and their ruler.

#include <QObject>
#include <QString>

#include <array>
#include <functional>

class QTabWidget;
class QTextCursor;
class QTextEdit;
class QWidget;

namespace tolvo {

class Defaults;
class NotesBinding;
class NotesFormatBar;
class NotesMessageBar;
class NotesStore;

/// The five notes areas of one window: which one is selected (remembered in
/// TolvoLastSelectedScratchpad for the next window), their link to the shared
/// notes, and the commands that insert the clipboard's text.
class NotesPane : public QObject {
    Q_OBJECT
public:
    using Views = std::array<QTextEdit*, 5>;

    /// Binds the views (tabs "1" to "5" of tabview) to the store; pane is the widget around them.
    NotesPane(QWidget* pane, QTabWidget* tabview, const Views& views, NotesFormatBar* ruler, NotesStore& store,
        Defaults& defaults, QObject* parent = nullptr);
    ~NotesPane() override;

    /// The label of the selected tab: "1" to "5".
    QString tabviewselectedlabel() const;
    /// The selected area's view: textview1 for "1" and so on; textview1 for any other label.
    QTextEdit* selectedTextView() const;
    QTextEdit* textView(int index) const;

    /// Selects tab index (0 to 4), stores the index in TolvoLastSelectedScratchpad and writes the store.
    void selectArea(int index);
    /// Selects the tab that TolvoLastSelectedScratchpad names; a value outside 0 to 4 selects tab 0.
    void selectStoredTab();
    /// Shows the ruler above the areas.
    void showRulers();
    /// Makes the five text views (at most) width wide, as the window layout asks.
    void setTextWidth(int width);

    /// Opens "Restore Earlier Version..." for area index (0 to 4), or for the selected area.
    void restoreEarlierVersion(int index = -1);

    /// The bar above the areas that tells of notes that could not be written and of files set aside.
    NotesMessageBar* messageBar() const { return m_messageBar; }

    /// Inserts " ", the clipboard's rich text and " " into the selected area, then focuses it;
    /// nothing without rich text on the clipboard.
    void insertClipboardRichText();
    /// The same with the clipboard's plain text.
    void insertClipboardPlainText();

signals:
    /// A link in one of the areas was clicked (NotesTextView::linkActivated).
    void linkActivated(const QString& href);

protected:
    /// Closing the last window quits: unsaved notes are written first, or the user is asked.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tabSelected(int index);
    void insertBetweenSpaces(const std::function<void(QTextCursor&)>& insert);

    QWidget* m_pane;
    QTabWidget* m_tabview;
    Views m_views;
    NotesFormatBar* m_ruler;
    Defaults& m_defaults;
    NotesStore& m_store;
    NotesMessageBar* m_messageBar = nullptr;
    std::array<NotesBinding*, 5> m_bindings {};
};

} // namespace tolvo
