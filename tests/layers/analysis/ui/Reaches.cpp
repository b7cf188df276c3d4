#include "analysis/ui/RunGuard.h"
#include "dialogs/DialogText.h"
#include "ui_Reaches.h"
#include "app/frmMenu.h"
