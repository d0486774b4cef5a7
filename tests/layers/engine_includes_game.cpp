// Built only by the layering test: the engine layer reaching up to the game
// layer must not compile.
#include "game/game.h"
