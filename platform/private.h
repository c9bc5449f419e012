// Every internal header of the platform includes this file. It is found only through
// the include folder of the td_platform_internals target, which the platform library and
// the platform's own tests, benchmarks and fuzz targets link; any other layer that reaches
// for an internal header fails to compile here. Other layers include "platform/win32.h".
#pragma once
