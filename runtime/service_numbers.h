// The requests of the runtime service function (RuntimeService), by number.
#pragma once

namespace rt {

enum RuntimeServiceNumber : int {
    kServiceForms = 1001,                 // the form list
    kServiceComponentType = 1002,         // the component type of a type reference
    kServiceRuntimeVersion = 1005,
    kServiceProgramPath = 1006,           // the program's folder or file name into a buffer
    kServiceWindowOfObject = 1010,        // the window of a component object
    kServiceAddIdleCallback = 1012,
    kServiceRemoveIdleCallback = 1013,
    kServiceBelongsToLoadedForm = 1014,   // whether a window is a component of a loaded form
    kServiceComponentDestroyed = 2000,    // a component's window is gone: forget its object
    kServiceLoadForm = 2005,
    kServiceRaiseShortEvent = 2008,
    kServiceSuppressEvents = 2009,
    kServiceAllowEvents = 2010,
    kServiceProcessPendingMessages = 2018,
    kServiceAllocate = 2024,
    kServiceRaiseFullEvent = 2031,
};

}  // namespace rt
