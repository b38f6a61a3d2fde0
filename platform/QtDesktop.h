#pragma once

#include "Desktop.h"

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
    std::optional<QString> chooseFileToOpen(QWidget *parent, const FileDialog &dialog) override;
    std::optional<QString> chooseFileToSave(QWidget *parent, const FileDialog &dialog) override;
    void setBusyPointer(bool busy) override;

private:
    bool busy_ = false;
};

} // namespace quorvel
