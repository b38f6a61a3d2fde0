#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace quorvel {

class Desktop;

// Help > Program Help: the manual beside the program, opened in the first
// text viewer that starts.
class HelpViewer
{
public:
    // The desktop's own choice first, then the text editors of the common
    // desktops.
    static const QStringList Viewers;
    static const QString ReturnMessage;
    static const QString NoViewerMessage;

    HelpViewer(Desktop &desktop, QWidget *parent, const QString &programFolder,
               QStringList viewers = Viewers);

    [[nodiscard]] const QString &bookPath() const { return bookPath_; }
    void show();

private:
    Desktop &desktop_;
    QWidget *parent_;
    QString bookPath_;
    QStringList viewers_;
};

} // namespace quorvel
