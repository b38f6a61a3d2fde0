#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace quorvel {

// Which of the user's running programs this one is: the first free number,
// held under a lock for as long as the program runs. A lock left by a
// program that is gone is taken over. The number places the window, so a
// second program never opens exactly on top of the first and hides its race.
class RunningPrograms
{
public:
    // folder: the user's state folder of the program.
    explicit RunningPrograms(const QString &folder);
    ~RunningPrograms();
    RunningPrograms(const RunningPrograms &) = delete;
    RunningPrograms &operator=(const RunningPrograms &) = delete;

    // 0 for the first program, 1 for one started while the first runs, and
    // so on; 0 too where no lock can be made.
    [[nodiscard]] int number() const { return number_; }

private:
    std::unique_ptr<QLockFile> lock_;
    int number_ = 0;
};

} // namespace quorvel
