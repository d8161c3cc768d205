#include "framework/gui/Canvas.h"
