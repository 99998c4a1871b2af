#include "frontend/settings.h"

EngineSettings engineSettings;
