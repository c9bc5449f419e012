// The classes of classes/, for headers that only pass pointers or references.
#pragma once

class TObject;
class TClassInfo;
class TPersistent;
class TComponent;
class TFiler;
class TReader;
class TStream;
class THandleStream;
class TFileStream;
class TCustomMemoryStream;
class TMemoryStream;
class TResourceStream;
class TList;
class TStrings;
class TStringList;
class TBits;
struct TMessage;
template <class... A>
class TEvent;
