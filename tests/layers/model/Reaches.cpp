#include "model/Mesh.h"
#include "platform/TextFile.h"
#include "analysis/SolverInput.h"
