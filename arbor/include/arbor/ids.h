// The identifiers of the tree-list control's type library: the library itself, every interface and
// every class it describes. Hosts and the component library share this one list, so an identifier
// is written once.
#pragma once

#include "platform/com/guid.h"

inline constexpr GUID LIBID_ArborLib = guid("{FF047D84-C3F1-11D2-877E-0040055C08D9}");
inline constexpr WORD kArborLibMajor = 1;
inline constexpr WORD kArborLibMinor = 0;
inline constexpr LCID kArborLibLcid = 0x409;

inline constexpr IID DIID__IArborEvents = guid("{B33FEC84-E5C6-11D2-B8DB-525400E38A85}");
inline constexpr IID IID_IArbor = guid("{FF047D93-C3F1-11D2-877E-0040055C08D9}");
inline constexpr IID IID_IControlHolder = guid("{DA835692-E9BC-11D2-B392-953A35AC1105}");
inline constexpr IID IID_IControl = guid("{0EAA906B-E9C1-11D2-B393-A0545072DB05}");
inline constexpr IID IID_IEventInfo = guid("{E19C19E3-EE4A-11D2-B8EE-525400E38A85}");
inline constexpr IID IID_IEventsParamInfo = guid("{1A1F484D-EC10-11D2-B8EF-525400E38A85}");
inline constexpr IID IID_IEventParamInfo = guid("{E19C19E5-EE4A-11D2-B8EE-525400E38A85}");
inline constexpr IID IID_IGroups = guid("{2E9420C2-F4C0-11D3-AD37-00C0DFC59237}");
inline constexpr IID IID_IGroup = guid("{2E9420C1-F4C0-11D3-AD37-00C0DFC59237}");

inline constexpr CLSID CLSID_Arbor = guid("{FF047D94-C3F1-11D2-877E-0040055C08D9}");
inline constexpr CLSID CLSID_General = guid("{BE5FDA74-E660-11D2-B8DD-525400E38A85}");
inline constexpr CLSID CLSID_ControlHolder = guid("{DA835693-E9BC-11D2-B392-953A35AC1105}");
inline constexpr CLSID CLSID_Control = guid("{0EAA906C-E9C1-11D2-B393-A0545072DB05}");
inline constexpr CLSID CLSID_EventInfo = guid("{E19C19E4-EE4A-11D2-B8EE-525400E38A85}");
inline constexpr CLSID CLSID_EventsParamInfo = guid("{1A1F484E-EC10-11D2-B8EF-525400E38A85}");
inline constexpr CLSID CLSID_EventParamInfo = guid("{E19C19E6-EE4A-11D2-B8EE-525400E38A85}");
inline constexpr CLSID CLSID_Groups = guid("{BBDF2E04-F3F4-11D3-AD35-00C0DFC59237}");
inline constexpr CLSID CLSID_Group = guid("{BBDF2E06-F3F4-11D3-AD35-00C0DFC59237}");
