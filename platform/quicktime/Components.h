// Component Manager: as far as the movie importers and the standard sound compression
// component need it.
//
// The components here are the movie importers that GetMovieImporterForDataRef (Movies.h)
// finds and, once OpenDefaultComponent asked for it, the standard sound compression component
// ('scdi', 'soun', QuickTimeComponents.h); there are no sound output devices ('sdev'): sound
// plays on no device. A
// Component is a registered description that lives as long as the process; opening it gives an
// instance, which CloseComponent ends.
#pragma once

#include "MacTypes.h"

typedef struct ComponentRecord* Component;
typedef struct ComponentInstanceRecord* ComponentInstance;

struct ComponentDescription {
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
};

enum : OSErr {
  invalidComponentID = -3000,
  badComponentInstance = static_cast<OSErr>(0x80008001),
  badComponentSelector = static_cast<OSErr>(0x80008002),
};

// The description of a component; `componentName`, `componentInfo` and `componentIcon`
// (each may be null) receive the name and information strings as length-prefixed bytes and
// an empty icon. invalidComponentID for a null or unknown component.
OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle componentName,
                       Handle componentInfo, Handle componentIcon);

// The next component after `aComponent` (null: the first) whose description matches
// `looking`: its type, subtype and manufacturer where they are not 0, and the flags the mask
// selects. Null when there is none.
Component FindNextComponent(Component aComponent, const ComponentDescription* looking);
// How many components match.
SInt32 CountComponents(const ComponentDescription* looking);

// An instance of the component; null for a null or unknown component.
ComponentInstance OpenComponent(Component aComponent);
// Ends an instance. badComponentInstance for a null or unknown instance.
OSErr CloseComponent(ComponentInstance aComponentInstance);
// An instance of the first component of that type and subtype; null when there is none.
ComponentInstance OpenDefaultComponent(OSType componentType, OSType componentSubType);
