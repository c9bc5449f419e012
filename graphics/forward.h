// The classes of graphics/, for headers that only pass pointers or references.
#pragma once

class TGraphicsObject;
class TFont;
class TPen;
class TBrush;
class TCanvas;
class TResourceManager;
struct TResource;
class TGraphic;
class TBitmap;
class TBitmapCanvas;
class TIcon;
class TInternalImage;
class TBitmapImage;
class TIconImage;
