#include "analysis/RunUi.h"
#include "dialogs/DialogText.h"
