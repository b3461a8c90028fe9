// The libraries the program loads by a bare name ("zamgik.dll") are looked
// for in its own directory, the system directories and, last, the current
// directory, which whoever starts the tool chooses. Where the system allows
// it, the current directory is taken out of that search at start-up.
#ifndef KV_APP_LIBRARY_SEARCH_H
#define KV_APP_LIBRARY_SEARCH_H

// Calls SetDllDirectoryA("") when kernel32 exports it (Windows XP SP1 and
// later); earlier systems keep their search, and nothing is reported.
void RemoveCurrentDirectoryFromLibrarySearch();

#endif  // KV_APP_LIBRARY_SEARCH_H
