// See wintab.h next to this file: Wine's pktdef.h builds the PACKET structure
// from the PACKETDATA its includer defines, on top of the Wintab types.
#include "wintab.h"

// After wintab.h, which declares what it builds on.
#include "wine-pktdef.h"
