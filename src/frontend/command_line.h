// Start-up switches: a personality file, the skill level, parameters by name.
#pragma once

// Applies the switches in order; returns the skill the evaluator starts with.
int applyCommandLine(int argc, char** argv);
