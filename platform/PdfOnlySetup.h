#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace quorvel {

// Print Setup while the print system does not answer: its printers cannot
// be listed, but the page can still go to a PDF file. The file chosen, or
// nullopt when cancelled; `file` is the one chosen before, if any.
std::optional<QString> ChoosePdfOnly(QWidget *parent, const QString &file);

} // namespace quorvel
