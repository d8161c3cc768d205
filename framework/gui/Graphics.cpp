#include "framework/gui/Graphics.h"
