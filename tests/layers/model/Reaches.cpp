#include "model/Mesh.h"
#include "platform/TextFile.h"
#include "analysis/SolverInput.h"
#include "platform/qt/GLSurface.h"
