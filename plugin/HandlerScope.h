// The plug-in's handlers run on the host's thread, and some of them wait in a modal box or file
// dialog, inside which the host's messages go on being dispatched: the user may end the plug-in
// or the player may ask for its next song while a handler waits. A HandlerScope marks a handler
// of the plug-in on the stack. While one is, _pinAbort only notes the request, and the plug-in
// is torn down when the outermost scope ends, so that no handler returns into freed objects.
//
// A scope must be the first local of the outermost frame that belongs to the plug-in (an export,
// a window procedure, a dialog handler): the teardown at its end may free that frame's object.
#pragma once

class HandlerScope {
  public:
    HandlerScope();
    ~HandlerScope();
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

    // Whether a handler of the plug-in is running.
    static bool Active();
    // Whether an end of the plug-in waits for the running handlers to return.
    static bool EndPending();
};
