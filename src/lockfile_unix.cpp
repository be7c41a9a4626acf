#include "TavShare.h"
