#include "app/Globals.h"
#define USE globals::View()
