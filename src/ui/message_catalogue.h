// The tool's message boxes: the outcome of a run and the restart question.
// Each box loads its text and its caption (text 5000) from the string table
// when it is shown, has no owner window and no icon; a text that cannot be
// loaded leaves the text or caption empty.
#ifndef KV_UI_MESSAGE_CATALOGUE_H
#define KV_UI_MESSAGE_CATALOGUE_H

#include <cstdint>

// A failed pre-check or run of `mode` (1 Setup, 2 Removal), by its result:
//   2 firewall unreachable        5024   (either mode)
//   3 not an administrator        5025   (either mode)
//   4 suite not installed         5026   (Setup)
//   5 no suite exceptions         5028   (Removal)
//   6 firewall change failed      5029   (either mode)
// One OK button; the button pressed. A result without a text for the mode
// (0, or 4 in Removal, 5 in Setup) shows nothing and gives 0.
int ShowResultMessage(int32_t mode, int32_t code);

// A completed run: 5008 for Setup (mode 1), 5009 for any other mode. One OK
// button; the button pressed.
int ShowDoneMessage(int32_t mode);

// Text 5010, asking whether to restart Windows now, with Yes and No: 1 for
// Yes, else 0.
int32_t AskRestart();

#endif  // KV_UI_MESSAGE_CATALOGUE_H
