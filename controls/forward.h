// The classes of controls/, for headers that only pass pointers or references.
#pragma once

class TCustomListBox;
class TListBox;
class TCustomComboBox;
class TComboBox;
class TListBoxStrings;
class TComboBoxStrings;
class TTimer;
class TCustomLabel;
class TCustomEdit;
class TEdit;
class TLabel;
class TTrackBar;
class TSpeedButton;
class TButtonGlyph;
class TImageList;
class TGlyphList;
class TGlyphCache;
class TMenuItem;
class TMenu;
class TMainMenu;
class TPopupMenu;
