// Temporary: the empty model constructor until the model library lands on
// this branch. Removed when it does.
#include "tolmek/model/pfsa.h"

PFSA::PFSA() {}
