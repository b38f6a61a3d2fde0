#pragma once

#include <QLabel>

namespace quorvel {

// A raised grey panel naming a row or a field. A click on it takes the crew
// to that row's cell (and so to its help).
class CaptionPanel : public QLabel
{
    Q_OBJECT

public:
    CaptionPanel(int panel, const QString &caption, QWidget *parent);

    [[nodiscard]] int panel() const { return panel_; }
    void setMissingInput(bool missing);
    [[nodiscard]] bool showsMissingInput() const { return missing_; }

signals:
    void clicked(int panel);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Shrinks the font a little where a fallback font is wider than the
    // panel, so no caption is ever clipped.
    void fitFont();

    int panel_;
    bool missing_ = false;
};

} // namespace quorvel
