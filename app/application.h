// The application object lives with the forms, so that every program on the framework
// (the player and its companions) shares it; this name is kept for code that includes it
// from here.
#pragma once
#include "forms/application.h"
