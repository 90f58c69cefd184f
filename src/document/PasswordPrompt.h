// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The question for the password of an encrypted PDF.

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;

namespace tolvo {

/// Asks for a PDF's password: given the file's path and whether the last answer was wrong, the
/// password typed, or nothing when the user cancelled. Tests put their own answers in its place.
using PasswordQuestion = std::function<std::optional<QString>(const QString& path, bool lastWasWrong)>;

/// The dialog: "This PDF is protected. Enter its password to open it.", the file's name, a hidden
/// password field, and a line that says so when the last password was wrong.
class PasswordPrompt : public QDialog {
    Q_OBJECT
public:
    static constexpr char kMessage[] = "This PDF is protected. Enter its password to open it.";
    static constexpr char kWrongPassword[] = "The password was wrong. Try again.";

    PasswordPrompt(const QString& path, bool lastWasWrong, QWidget* parent = nullptr);

    QString password() const;
    QLineEdit* passwordField() const { return m_field; }

    /// Shows the dialog and waits for the answer.
    static std::optional<QString> ask(const QString& path, bool lastWasWrong, QWidget* parent = nullptr);

private:
    QLineEdit* m_field;
};

/// The password bytes to try for a typed password: UTF-8, which newer PDFs use, and then Latin-1
/// (the encoding older PDFs compare against) when it differs.
QList<QByteArray> passwordEncodings(const QString& password);

} // namespace tolvo
