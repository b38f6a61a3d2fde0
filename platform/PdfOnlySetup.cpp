#include "PdfOnlySetup.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quorvel {

std::optional<QString> ChoosePdfOnly(QWidget *parent, const QString &file)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QObject::tr("Print Setup"));
    auto *note = new QLabel(QObject::tr("The print system does not answer, so its printers cannot "
                                        "be listed now. The page can go to a PDF file."));
    note->setWordWrap(true);
    // Named as in the system's dialog, which offers the same choice.
    auto *printers = new QComboBox;
    printers->setObjectName(QStringLiteral("printers"));
    printers->addItem(QObject::tr("Print to File (PDF)"));
    auto *fileName =
        new QLineEdit(file.isEmpty() ? QDir::home().filePath(QStringLiteral("quorvel.pdf")) : file);
    fileName->setObjectName(QStringLiteral("filename"));
    fileName->setMinimumWidth(fileName->fontMetrics().averageCharWidth() * 50);
    auto *browse = new QPushButton(QObject::tr("..."));
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
        // An earlier file is never replaced (the page goes to the next free
        // name), so there is nothing to confirm.
        const QString chosen = QFileDialog::getSaveFileName(
            &dialog, QObject::tr("Print To File ..."), fileName->text(),
            QObject::tr("PDF files (*.pdf)"), nullptr, QFileDialog::DontConfirmOverwrite);
        if (!chosen.isEmpty())
            fileName->setText(chosen);
    });
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(fileName);
    fileRow->addWidget(browse);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(fileName, &QLineEdit::textChanged, &dialog, [&](const QString &text) {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(!text.trimmed().isEmpty());
    });

    auto *form = new QFormLayout(&dialog);
    form->addRow(note);
    form->addRow(QObject::tr("Printer:"), printers);
    form->addRow(QObject::tr("Output file:"), fileRow);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return QFileInfo(fileName->text()).absoluteFilePath();
}

} // namespace quorvel
