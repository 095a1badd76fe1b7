#include "form/PathChooser.h"

PathChooser::~PathChooser() = default;
