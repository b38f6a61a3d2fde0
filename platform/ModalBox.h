#pragma once

class QMessageBox;

namespace quorvel {

// Runs a message box until it is answered, as a modal box runs, and gives it
// the keys the crew typed before it came up. The window system still hands
// those to the window they were typed into, and a toolkit-modal box drops
// them: a crew typing fast would lose the keys that answer the box, where
// typed slowly they would have answered it. Clicks and close requests on
// the program's other windows wait, as with any modal box. Returns the
// button that answered.
int RunModalBox(QMessageBox &box);

} // namespace quorvel
