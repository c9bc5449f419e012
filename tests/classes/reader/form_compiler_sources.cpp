// The form compiler is a build tool, not a library; its sources are compiled into this
// test program so that its byte output can be checked directly.
#include "tools/rescomp/bytes.cpp"
#include "tools/rescomp/form.cpp"
#include "tools/rescomp/pixmap.cpp"
