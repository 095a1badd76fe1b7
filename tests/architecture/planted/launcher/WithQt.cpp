// Not built: the include check must refuse this, a launcher program that
// takes a part of the runner that needs Qt.
#include "runner/ActionRunner.h"
