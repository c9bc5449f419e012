// The controls tests' form compiler, compiled into this program too: descriptions are
// written as form text.
#include "tests/controls/form_text.cpp"
