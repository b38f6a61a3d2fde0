#pragma once

#include "RecalculateSheet.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <string>

class QLockFile;
class QWidget;

namespace quorvel {

class Desktop;
class RaceDocument;
struct RecoveryCopy;

// Keeps the race in a recovery copy while the program runs, so that a crash,
// a kill or a flat battery never costs the crew what they typed, and offers
// the copy at the next start. Each running program keeps its own copy under
// a lock, so two programs never offer or remove each other's. While the
// sheet holds nothing typed or opened since start or New, no copy is kept. A
// copy that cannot be written is simply not kept: the crew is never
// interrupted.
class RecoveryKeeper : public QObject
{
    Q_OBJECT

public:
    // folder: where the copies are kept (the user's state folder).
    RecoveryKeeper(RaceDocument &document, Desktop &desktop, QString folder, QWidget *window);
    ~RecoveryKeeper() override;

    // The race may have changed. The copy takes it in a second later, with
    // whatever else changed meanwhile: never on the way to the next cell.
    void noteChange();
    // The program ends cleanly: its copy goes, and no other is written.
    void discard();
    // At start: puts back the races of saves a crash cut short and clears
    // stray temporary files. Then offers the newest copy that no running program holds and that
    // holds something typed or opened; restores it (Yes), caption included, or throws it away (No).
    // Copies that hold nothing go without a word.
    void offerLeftCopy();

signals:
    // A copy was restored: the sheet is new and belongs to its file again.
    void sheetReplaced(const quorvel::RecalculationOutcome &outcome);
    void captionChanged(const QString &caption);

private:
    // The race, and the caption, as the window shows them.
    [[nodiscard]] RecoveryCopy take() const;
    void write();
    bool holdOwnCopy();

    RaceDocument &document_;
    Desktop &desktop_;
    QWidget *window_;
    const QString folder_;
    QTimer timer_;
    // The copy as last written; at first the race the program starts with,
    // so nothing is written until something changes.
    std::string written_;
    QString ownCopy_;
    std::unique_ptr<QLockFile> ownLock_;
    bool ended_ = false;
};

} // namespace quorvel
