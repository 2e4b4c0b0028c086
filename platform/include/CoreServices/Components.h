#pragma once
// Component manager: registered components, their instances, instance storage and the call block.
#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef SInt32 ComponentResult;
typedef struct ComponentRecord* Component;
typedef struct ComponentInstanceRecord* ComponentInstance;

enum : OSStatus {
  badComponentInstance = (OSStatus)0x80008001,
  badComponentSelector = (OSStatus)0x80008002,
  invalidComponentID = -3000,
  cfragNoLibraryErr = -2801,
  cfragNoSymbolErr = -2802
};

enum : SInt16 {
  kComponentOpenSelect = -1,
  kComponentCloseSelect = -2,
  kComponentCanDoSelect = -3,
  kComponentVersionSelect = -4
};

// Zero fields of a search description match anything; flags are compared under componentFlagsMask.
typedef struct ComponentDescription {
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
} ComponentDescription;

// Word 0 holds the instance (the asked selector for CanDo); the call's arguments follow one word each.
typedef struct ComponentParameters {
  UInt8 flags;
  UInt8 paramSize;
  SInt16 what;
  UInt32 padding;
  long params[1];
} ComponentParameters;

typedef ComponentResult (*ComponentRoutineProcPtr)(ComponentParameters* cp, Handle componentStorage);

static_assert(sizeof(ComponentDescription) == 20, "ComponentDescription layout");
static_assert(sizeof(ComponentParameters) == 16, "ComponentParameters layout");
static_assert(offsetof(ComponentParameters, params) == 8, "ComponentParameters layout");

// Null aComponent starts the search; null looking matches every component.
Component FindNextComponent(Component aComponent, ComponentDescription* looking);
long CountComponents(ComponentDescription* looking);
// Accepts a component or an open instance of one. The name, info and icon handles must be null.
OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle componentName, Handle componentInfo,
                       Handle componentIcon);
// Null when the component is unknown, cannot be loaded or refuses to open.
ComponentInstance OpenComponent(Component aComponent);
// invalidComponentID for an unknown component, cfragNoLibraryErr or cfragNoSymbolErr when its library
// or entry cannot be loaded, else the open call's status (invalidComponentID when it needs more than 16
// bits). A refused open is followed by the close call.
OSErr OpenAComponent(Component aComponent, ComponentInstance* ci);
// invalidComponentID for an instance that is not open, else the close call's status.
OSErr CloseComponent(ComponentInstance aComponentInstance);
void SetComponentInstanceStorage(ComponentInstance aComponentInstance, Handle theStorage);
Handle GetComponentInstanceStorage(ComponentInstance aComponentInstance);
ComponentResult CallComponentCanDo(ComponentInstance ci, SInt16 ftnNumber);
ComponentResult GetComponentVersion(ComponentInstance ci);

#ifdef __cplusplus
}
#endif
