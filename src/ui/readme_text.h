// The explanation shown by the consent dialog, read from a text file.
#ifndef KV_UI_README_TEXT_H
#define KV_UI_README_TEXT_H

#include <string>

// The text of the file `fileName` (used as given, so a bare name is looked
// up in the current directory) for a multi-line box: every line followed by
// CR LF, the last one too. A CR LF or a lone LF ends a line; every other byte
// is kept as it is (the ANSI code page's multibyte text). The file is opened
// for reading while others may go on reading and writing it. A file that
// cannot be opened or read gives an empty text; nothing is reported.
std::string LoadReadme(const std::string& fileName);

// The consent dialog's "Readme.txt": from the current directory, as the
// tool has always read it, or, when none can be read there (the tool was
// started from a shortcut, a script or another folder), from beside the
// program.
std::string LoadToolReadme();

#endif  // KV_UI_README_TEXT_H
