// Built only by the layering test: the game layer reaching up to the jobs
// layer must not compile.
#include "jobs/job.h"
