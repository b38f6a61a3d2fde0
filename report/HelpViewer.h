#pragma once

#include <QString>

class QWidget;

namespace quorvel {

class Desktop;

// Help > Program Help: the manual beside the program, opened in the first
// viewer that does not fail. Each viewer is judged by how it ends, however
// late, while the window stays usable; one that fails hands over to the
// next, and when none is left the crew is told where the manual is.
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
