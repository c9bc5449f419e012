// Descriptions for tests, written in the form text of resources/README.md.
#pragma once
#include <string>

class TComponent;

// Compiles the text and reads it into root.
void ReadFormText(const std::string& text, TComponent* root);
