#include "view/View.h"
#include "analysis/ui/RunGuard.h"
#include "app/Globals.h"
#define REACH globals::Mesh()
