#include "platform/TextFile.h"
#include "model/Mesh.h"
