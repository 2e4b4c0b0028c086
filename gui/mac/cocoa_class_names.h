#pragma once
// The editor's Cocoa classes are named after the plug-in they are built into (<class>_v<name>_au):
// the window system keeps one class per name for a whole process, so two plug-ins loaded side by
// side must never bring classes of the same name. The build compiles these sources once per
// plug-in with KORV_PLUGIN_CLASS_NAME set to the plug-in's name.
#ifndef KORV_PLUGIN_CLASS_NAME
#error "the editor's Cocoa sources are compiled per plug-in with KORV_PLUGIN_CLASS_NAME set"
#endif

#define KORV_COCOA_PASTE_(a, b, c) a##_v##b##_au
#define KORV_COCOA_PASTE(a, b) KORV_COCOA_PASTE_(a, b, _)
#define KORV_COCOA_CLASS(base) KORV_COCOA_PASTE(base, KORV_PLUGIN_CLASS_NAME)

#define KORV_COCOA_VIEW KORV_COCOA_CLASS(IGraphicsCocoa)
#define KORV_COCOA_WINDOW KORV_COCOA_CLASS(CustomCocoaWindow)
#define KORV_COCOA_MENU KORV_COCOA_CLASS(IGraphicsNSMenu)
#define KORV_COCOA_MENU_RECEIVER KORV_COCOA_CLASS(IGraphicsMenuRcvr)
#define KORV_COCOA_FORMATTER KORV_COCOA_CLASS(CocoaFormatter)
