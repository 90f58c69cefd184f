// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/OpmlExport.h"

#include "outline/Opml.h"
#include "outline/OutlineTree.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPointer>
#include <QSaveFile>

Q_LOGGING_CATEGORY(lcOpml, "tolvo.opml")

namespace tolvo {

OpmlSaveDialog::OpmlSaveDialog(QWidget* window)
    : QFileDialog(window, tr("Export Table of Contents as OPML"))
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setNameFilter(tr("OPML files (*.opml)"));
    setDefaultSuffix(QStringLiteral("opml"));
    setWindowModality(Qt::WindowModal);

    m_accessory = new QWidget(this);
    m_accessory->setObjectName(QStringLiteral("opmlSaveAccessoryView"));
    auto* row = new QHBoxLayout(m_accessory);
    row->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(tr("OPML style:"), m_accessory);
    m_combo = new QComboBox(m_accessory);
    m_combo->setObjectName(QStringLiteral("opmlSaveComboBox"));
    m_combo->addItem(tr("OPML 2.0, links as url attributes"));
    m_combo->addItem(tr("OPML 1.0, links as tolvo attributes"));
    m_combo->addItem(tr("OPML 2.0, links inside the titles"));
    m_combo->setCurrentIndex(0);
    label->setBuddy(m_combo);
    row->addWidget(label);
    row->addWidget(m_combo, 1);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(m_accessory, grid->rowCount(), 0, 1, grid->columnCount());
    else if (layout())
        layout()->addWidget(m_accessory);
}

int OpmlSaveDialog::style() const
{
    const int index = m_combo->currentIndex();
    return index >= 0 && index <= 2 ? index : 0;
}

QString withOpmlExtension(const QString& path)
{
    if (path.isEmpty() || path.endsWith(QLatin1String(".opml"), Qt::CaseInsensitive))
        return path;
    return path + QStringLiteral(".opml");
}

QString OpmlSaveDialog::chosenPath() const
{
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : withOpmlExtension(files.first());
}

bool writeOpmlFile(const QString& path, const QString& text, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    file.write(text.toUtf8());
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

void exportAsOPML(
    QWidget* window, const OutlineTree& outline, const QString& pdfFileName, std::function<QString()> currentPrefix)
{
    auto* dialog = new OpmlSaveDialog(window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QWidget> owner(window);
    QObject::connect(
        dialog, &QDialog::finished, window, [dialog, owner, &outline, pdfFileName, currentPrefix](int result) {
            if (result != QDialog::Accepted || !owner)
                return;
            const QString path = dialog->chosenPath();
            if (path.isEmpty())
                return;
            const QString text = OPMLFileText(
                outline, pdfFileName, currentPrefix ? currentPrefix() : QString(), quint64(dialog->style()));
            qCInfo(lcOpml).noquote() << "OPML is: \n" + text;
            QString error;
            if (!writeOpmlFile(path, text, &error)) {
                // A lost export should not pass for a saved one.
                QMessageBox alert(QMessageBox::Warning, QObject::tr("Export failed"),
                    QObject::tr("The OPML file could not be saved."), QMessageBox::Ok, owner);
                alert.setInformativeText(QObject::tr("Tolvo could not write \"%1\": %2").arg(path, error));
                alert.exec();
            }
        });
    dialog->open();
}

} // namespace tolvo
