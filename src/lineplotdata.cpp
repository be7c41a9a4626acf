#include "LinePlotData.h"
