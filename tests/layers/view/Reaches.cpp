#include "view/View.h"
#include <GL/gl.h>
#include "app/Selection.h"
#include <QCursor>
#include "analysis/EigenSolver.h"
