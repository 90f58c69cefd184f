// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Behaviours pane: one control for each user option, bound to its key in
// the defaults store. A change is written at once and shows at the next use.

#include <QList>
#include <QStringList>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QComboBox;
class QLabel;
class QPushButton;

namespace tolvo {

class Defaults;

/// One user option: its key, the control's text, and for a choice the values it offers.
struct OptionControl {
    const char* key;
    QString text;
    QStringList choices; ///< empty for a check box
};

/// The options of the pane, in groups of a title and their controls.
struct OptionGroup {
    QString title;
    QList<OptionControl> options;
};
QList<OptionGroup> behaviourOptions();

/// The pane's widgets, made from behaviourOptions(); each control carries its key as object name.
class BehavioursPane : public QWidget {
    Q_OBJECT
public:
    explicit BehavioursPane(Defaults& defaults, QWidget* parent = nullptr);

    /// The control of a key (a QCheckBox or a QComboBox), or nullptr.
    QWidget* controlForKey(const QString& key) const;

    /// What "Font for Copied Text..." does; the button is hidden while there is none.
    void setFontCommand(std::function<void()> command);

private:
    void showValue(const QString& key);
    void showFont();

    Defaults& m_defaults;
    QList<QWidget*> m_controls;
    QLabel* m_fontLabel = nullptr;
    QPushButton* m_fontButton = nullptr;
    std::function<void()> m_fontCommand;
};

} // namespace tolvo
