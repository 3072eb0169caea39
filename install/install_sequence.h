#pragma once

// Performs the whole installation from the program-wide state; always 0.
int InstallSequence();
