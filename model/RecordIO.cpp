#include "model/RecordIO.h"
