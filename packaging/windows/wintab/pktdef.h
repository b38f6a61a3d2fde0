// See wintab.h next to this file: Wine's pktdef.h builds the PACKET structure
// from the PACKETDATA its includer defines, on top of the Wintab types.
#include "wintab.h"
#include "wine-pktdef.h"
