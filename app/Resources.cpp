#include "Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE names a function of the global namespace.
static void loadQuorvelResources()
{
    Q_INIT_RESOURCE(quorvel);
}

namespace quorvel {

void LoadPictures()
{
    loadQuorvelResources();
}

} // namespace quorvel
