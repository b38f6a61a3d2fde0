#pragma once

namespace quorvel {

// The pictures live in a static library, whose resources the linker would
// drop unless something asks for them; every window that shows one does.
void LoadPictures();

} // namespace quorvel
