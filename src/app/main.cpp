// Tolvo's entry point. For now one window per PDF named on the command line,
// showing what the PDF services read; the document window replaces it.
#include "app/Defaults.h"
#include "document/pdf/PdfDocument.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QVBoxLayout>

namespace {

class PdfSummaryWindow : public QMainWindow {
public:
    explicit PdfSummaryWindow(QWidget* parent = nullptr)
        : QMainWindow(parent)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        auto* label = new QLabel(this);
        label->setAlignment(Qt::AlignCenter);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setMargin(24);
        m_label = label;
        setCentralWidget(label);
        QMenu* file = menuBar()->addMenu(tr("&File"));
        QAction* open = file->addAction(tr("&Open..."), this, [this] { chooseFile(); });
        open->setShortcut(QKeySequence::Open);
        QAction* close = file->addAction(tr("&Close"), this, &QWidget::close);
        close->setShortcut(QKeySequence::Close);
        QAction* quit = file->addAction(tr("&Quit"), qApp, &QApplication::closeAllWindows);
        quit->setShortcut(QKeySequence::Quit);
        showEmpty();
        resize(520, 320);
    }

    bool openFile(const QString& path)
    {
        tolvo::pdf::OpenResult result = tolvo::pdf::openDocument(path);
        if (!result.document) {
            QMessageBox box(QMessageBox::Warning, tr("Error opening PDF"), tr("Error opening PDF"), QMessageBox::Ok,
                            this);
            box.setInformativeText(result.error);
            box.exec();
            return false;
        }
        const QString name = QFileInfo(path).fileName();
        const int pages = result.document->pageCount();
        m_label->setText(tr("<h2>%1</h2><p>%n page(s)</p>", nullptr, pages).arg(name.toHtmlEscaped()));
        setWindowTitle(tr("%1 - Tolvo").arg(name));
        m_document = std::move(result.document);
        return true;
    }

private:
    void showEmpty()
    {
        m_label->setText(tr("<h2>Tolvo</h2><p>Open a PDF with File, Open (Ctrl+O).</p>"));
        setWindowTitle(tr("Tolvo"));
    }

    void chooseFile()
    {
        const QString path = QFileDialog::getOpenFileName(this, tr("Open PDF"), QString(), tr("PDF files (*.pdf)"));
        if (!path.isEmpty())
            openFile(path);
    }

    QLabel* m_label = nullptr;
    std::unique_ptr<tolvo::pdf::Document> m_document;
};

} // namespace

int main(int argc, char** argv)
{
    // Registered before anything can read a key.
    tolvo::Defaults::standard();

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QString());
    QApplication::setApplicationName(QStringLiteral("Tolvo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tolvo"));
    QApplication::setDesktopFileName(QStringLiteral("tolvo"));

    QStringList files = app.arguments().mid(1);
    if (files.isEmpty()) {
        (new PdfSummaryWindow)->show();
    } else {
        for (const QString& file : files) {
            auto* window = new PdfSummaryWindow;
            window->show();
            window->openFile(file);
        }
    }
    return app.exec();
}
