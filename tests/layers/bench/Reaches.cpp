#include "app/frmMenu.h"
#include "app/Globals.h"
