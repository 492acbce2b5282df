// The lines a start with a command line writes for the script or the person that started it.
#pragma once

// Writes line (UTF-8) and a line break to the output the caller gave the program (a file or a
// pipe), or, when it gave none, to the console of the process that started it; with neither,
// nowhere. A failure goes to the error output.
void TellCaller(const char* line, bool failed);
