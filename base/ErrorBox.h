// The program's one way to tell the user of a failure: a modal "Error" box with no owner.
#pragma once

// Shows text in an "Error" box with the error icon and an OK button, and returns once it is
// answered. A box's own message loop goes on dispatching timer ticks and clicks; a failure met
// there while one of our boxes is open shows nothing, so boxes never pile up inside each other.
// Returns 1 when the box was shown, 0 when another was already open.
int ShowErrorBox(const char* text);
