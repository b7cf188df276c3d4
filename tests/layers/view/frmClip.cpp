#include <QDialog>
#include "ui_frmClip.h"
