#pragma once

#include <QString>

class QWidget;

namespace quorvel {

class Desktop;

// Help > Program Help: the manual beside the program, opened in the first
// text viewer that starts and keeps going.
class HelpViewer
{
public:
    HelpViewer(Desktop &desktop, QWidget *parent, const QString &programFolder);

    void show();

private:
    Desktop &desktop_;
    QWidget *parent_;
    QString bookPath_;
};

} // namespace quorvel
