// Decimal text to int, as the program reads coordinates and settings.
#pragma once

// The rules of atoi (leading white space, one optional sign, digits up to the first other
// character, 0 without digits), held to the range of int instead of overflowing.
int ParseDecimal(const char* text);
