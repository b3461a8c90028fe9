// The version a build of a suite program carries (VER_MAJOR, VER_MINOR,
// VER_PATCH and VER_BUILD are given by the build), as text; read by the
// version resource and by the program itself.
#ifndef KV_TESTBED_SUITE_VERSION_H
#define KV_TESTBED_SUITE_VERSION_H

#define VER_TEXT2(a, b, c, d) #a "." #b "." #c "." #d
#define VER_TEXT(a, b, c, d) VER_TEXT2(a, b, c, d)
#define VER_STRING VER_TEXT(VER_MAJOR, VER_MINOR, VER_PATCH, VER_BUILD)

#endif  // KV_TESTBED_SUITE_VERSION_H
