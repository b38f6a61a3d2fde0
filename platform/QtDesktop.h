#pragma once

#include "Desktop.h"
#include "WindowPrinter.h"

#include <memory>

namespace quorvel {

class QtDesktop final : public Desktop
{
public:
    QtDesktop() = default;
    QtDesktop(const QtDesktop &) = delete;
    QtDesktop &operator=(const QtDesktop &) = delete;
    ~QtDesktop() override;

    void showMessage(QWidget *parent, const QString &text, const QString &title) override;
    Answer askYesNoCancel(QWidget *parent, const QString &text, const QString &title) override;
    bool askYesNo(QWidget *parent, const QString &text, const QString &title,
                  Answer preferred) override;
    std::optional<QString> chooseFileToOpen(QWidget *parent, const FileDialog &dialog) override;
    std::optional<QString> chooseFileToSave(QWidget *parent, const FileDialog &dialog) override;
    std::optional<QString> askText(QWidget *parent, const QString &prompt, const QString &title,
                                   const QString &initialText) override;
    void choosePrinter(QWidget *parent) override;
    PrintResult printImage(QWidget *widget) override;
    QFuture<bool> startProgram(const QString &program, const QStringList &arguments) override;
    void setBusyPointer(bool busy) override;

private:
    // Made on first use: a printer loads the whole printing system, which
    // start-up has no need of.
    WindowPrinter &printer();

    std::unique_ptr<WindowPrinter> printer_;
    bool busy_ = false;
};

} // namespace quorvel
