// Not built: the include check must refuse this, a window that reaches past
// the form state into the runner.
#include "runner/ChildProcess.h"
