// Built only by the layering test: the network layer reaching up to the
// engine layer must not compile.
#include "engine/score.h"
