// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/NotesSafety.h"

#include "document/NotesStore.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvo {

namespace {

NotesQuitQuestion& quitQuestion()
{
    static NotesQuitQuestion question;
    return question;
}

NotesSaveAsPicker& saveAsPicker()
{
    static NotesSaveAsPicker picker;
    return picker;
}

NotesQuitAnswer askWithMessageBox(QWidget* parent, const QString& problem)
{
    QMessageBox box(QMessageBox::Warning, QObject::tr("Tolvo"), QObject::tr("Your notes could not be saved."),
        QMessageBox::NoButton, parent);
    box.setInformativeText(QObject::tr("The reason: %1. If you quit now, what you typed since the last save "
                                       "is lost.")
                               .arg(problem));
    QPushButton* saveAs = box.addButton(QObject::tr("Save Notes As..."), QMessageBox::AcceptRole);
    QPushButton* again = box.addButton(QObject::tr("Try Again"), QMessageBox::ActionRole);
    QPushButton* quit = box.addButton(QObject::tr("Quit Anyway"), QMessageBox::DestructiveRole);
    box.setDefaultButton(saveAs);
    box.setEscapeButton(again);
    box.exec();
    if (box.clickedButton() == quit)
        return NotesQuitAnswer::QuitAnyway;
    return box.clickedButton() == saveAs ? NotesQuitAnswer::SaveAs : NotesQuitAnswer::TryAgain;
}

QString pickWithFileDialog(QWidget* parent)
{
    return QFileDialog::getSaveFileName(parent, QObject::tr("Save Notes As"),
        QDir::home().filePath(QStringLiteral("Tolvo notes.html")), QObject::tr("HTML files (*.html)"));
}

} // namespace

void setNotesQuitQuestion(NotesQuitQuestion question)
{
    quitQuestion() = std::move(question);
}

void setNotesSaveAsPicker(NotesSaveAsPicker picker)
{
    saveAsPicker() = std::move(picker);
}

bool saveNotesAs(NotesStore& store, QWidget* parent)
{
    const QString path = saveAsPicker() ? saveAsPicker()(parent) : pickWithFileDialog(parent);
    if (path.isEmpty())
        return false;
    const QString problem = store.saveAllAs(path);
    if (problem.isEmpty())
        return true;
    if (!saveAsPicker())
        QMessageBox::warning(parent, QObject::tr("Tolvo"),
            QObject::tr("The notes could not be saved in %1: %2.").arg(QDir::toNativeSeparators(path), problem));
    return false;
}

bool notesAllowQuit(NotesStore& store, QWidget* parent)
{
    while (!store.flush()) {
        const QString problem = store.writeProblem();
        const NotesQuitAnswer answer
            = quitQuestion() ? quitQuestion()(parent, problem) : askWithMessageBox(parent, problem);
        if (answer == NotesQuitAnswer::QuitAnyway)
            return true;
        if (answer == NotesQuitAnswer::SaveAs && saveNotesAs(store, parent))
            return true;
    }
    return true;
}

NotesMessageBar::NotesMessageBar(NotesStore& store, QWidget* parent)
    : QFrame(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("notesMessageBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette warning = palette();
    warning.setColor(QPalette::Window, QColor(0xff, 0xf0, 0xc8));
    warning.setColor(QPalette::WindowText, Qt::black);
    setPalette(warning);

    m_problem = new QLabel(this);
    m_problem->setWordWrap(true);
    m_saveAs = new QPushButton(tr("Save Notes As..."), this);
    m_notice = new QLabel(this);
    m_notice->setWordWrap(true);
    m_notice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_dismiss = new QPushButton(tr("OK"), this);

    auto* problemRow = new QHBoxLayout;
    problemRow->addWidget(m_problem, 1);
    problemRow->addWidget(m_saveAs);
    auto* noticeRow = new QHBoxLayout;
    noticeRow->addWidget(m_notice, 1);
    noticeRow->addWidget(m_dismiss);
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(6, 4, 6, 4);
    rows->addLayout(problemRow);
    rows->addLayout(noticeRow);

    connect(m_saveAs, &QPushButton::clicked, this, [this] { saveNotesAs(m_store, window()); });
    connect(m_dismiss, &QPushButton::clicked, this, [this] {
        m_dismissed = m_store.notice();
        showState();
    });
    connect(&m_store, &NotesStore::writeProblemChanged, this, &NotesMessageBar::showState);
    connect(&m_store, &NotesStore::noticeChanged, this, &NotesMessageBar::showState);
    showState();
}

QString NotesMessageBar::problemText() const
{
    return m_problem->isHidden() ? QString() : m_problem->text();
}

QString NotesMessageBar::noticeText() const
{
    return m_notice->isHidden() ? QString() : m_notice->text();
}

void NotesMessageBar::showState()
{
    const QString problem = m_store.writeProblem();
    const QString notice = m_store.notice() == m_dismissed ? QString() : m_store.notice();
    m_problem->setText(problem.isEmpty()
            ? QString()
            : tr("Your notes could not be saved: %1. Tolvo keeps trying; to keep them safe now, save them "
                 "elsewhere.")
                  .arg(problem));
    m_problem->setHidden(problem.isEmpty());
    m_saveAs->setHidden(problem.isEmpty());
    m_notice->setText(notice);
    m_notice->setHidden(notice.isEmpty());
    m_dismiss->setHidden(notice.isEmpty());
    setHidden(problem.isEmpty() && notice.isEmpty());
}

} // namespace tolvo
