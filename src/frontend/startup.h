// Building the global tables once, before the first position is set up.
#pragma once

// Mobility tables, then the named parameters: before the command line may change any of them.
void prepareParameters();

// Everything else (bit, attack and key tables, piece-square tables, the reference generator's
// tables), and the random seed. Safe to call more than once.
void initEngineTables();
