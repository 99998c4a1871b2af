// Building the global tables once, before the first position is set up.
#pragma once

void initEngineTables();
