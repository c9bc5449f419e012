// The classes of filectrl/, for headers that only pass pointers or references.
#pragma once

class TFileListBox;
class TDirectoryListBox;
class TFolderBitmap;
class TDriveComboBox;
class TFilterComboBox;
